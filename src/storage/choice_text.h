#pragma once
// The name of a numbered choice stored in a file ("None", "Get", "Post" for 0 to 2), and
// "Unknown" for a number a newer or damaged file may hold.
#include <initializer_list>

namespace korvane {

inline const char* ChoiceText(unsigned index, std::initializer_list<const char*> names) {
    return index < names.size() ? names.begin()[index] : "Unknown";
}

} // namespace korvane
