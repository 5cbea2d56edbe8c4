#include "exec/console_display.h"

namespace korvane {

void TConsoleDisplay::Forget() {
    Known = false;
    Lines = LastLineBytes = Shown = 0;
}

TConsoleDisplay::TUpdate TConsoleDisplay::Next(const TConsoleLines& lines) {
    TUpdate update;
    if (!Known || lines.Generation() != Generation || lines.Count() < Lines) {
        update.Restart = true;
        Forget();
        Known = true;
        Generation = lines.Generation();
    }
    const size_t count = lines.Count();
    // Only the last line of the list ever grows, so what is shown of it stays as it was.
    const size_t first = Lines > 0 ? Lines - 1 : 0;
    const size_t skip = Lines > 0 ? LastLineBytes : 0;
    if (const std::optional<std::string_view> inPlace = lines.JoinedInPlace(first, skip)) {
        update.InPlace = *inPlace;
    } else {
        update.Copied = true;
        std::string& text = update.Copy;
        const std::string_view lastShown = Lines > 0 ? lines[Lines - 1] : std::string_view();
        size_t size = lastShown.size() - LastLineBytes;
        for (size_t i = Lines; i < count; ++i)
            size += lines[i].size() + (i > 0 ? 1 : 0);
        text.reserve(size);
        text.append(lastShown.substr(LastLineBytes));
        for (size_t i = Lines; i < count; ++i) {
            if (i > 0) text += '\n';
            text.append(lines[i]);
        }
    }
    Lines = count;
    LastLineBytes = count > 0 ? lines[count - 1].size() : 0;
    Shown += update.Append().size();
    return update;
}

} // namespace korvane
