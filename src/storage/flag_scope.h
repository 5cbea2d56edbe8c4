#pragma once
// Sets a flag for the length of a scope and gives it back the value it had, so scopes nest
// (a load inside a load stays "loading" until the outer one ends).
#include <utility>

namespace korvane {

class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : Flag(flag), Previous(std::exchange(flag, true)) {}
    ~TFlagScope() { Flag = Previous; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& Flag;
    bool Previous;
};

} // namespace korvane
