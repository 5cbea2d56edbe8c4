#pragma once
// Keeps a display of console lines (the lines joined by line feeds) up to date while the lines
// grow. Each update hands over only the text added since the previous one, so showing a large
// output costs time in proportion to its size, not to its size times the number of updates.
#include "exec/console_lines.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

class TConsoleDisplay {
public:
    class TUpdate {
    public:
        bool Restart = false; // the display is to be emptied before Append() is added
        // The text to add. Where the lines hold it in one piece it is not copied: it then
        // holds only until the lines change.
        std::string_view Append() const { return Copied ? std::string_view(Copy) : InPlace; }

    private:
        friend class TConsoleDisplay;
        bool Copied = false;
        std::string Copy;
        std::string_view InPlace;
    };

    // What the display lacks of lines. Lines that were cleared or replaced since the last
    // update are shown again from the start.
    TUpdate Next(const TConsoleLines& lines);
    // The display has been emptied; the next update starts it again.
    void Forget();
    // Bytes of the display that show lines (it may hold more after them).
    size_t ShownBytes() const { return Shown; }

private:
    uint64_t Generation = 0;
    bool Known = false;       // Generation names the lines shown so far
    size_t Lines = 0;         // lines shown, the last of them perhaps in part
    size_t LastLineBytes = 0; // how much of that last line is shown
    size_t Shown = 0;
};

} // namespace korvane
