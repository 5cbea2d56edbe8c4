#pragma once
// The lines of a program's output, kept up to date as its bytes arrive. CR, LF and CR LF each
// end a line; text after the last line end is the last line and grows when the rest of it
// comes. Adding bytes costs time in proportion to the new bytes only, so a program that
// prints a great deal does not slow the program down as its output grows.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The object a line belongs to (the page, project or dialog that started the run), compared
// by address only.
using ConsoleTag = const void*;

class TConsoleLines {
public:
    // Called after every change except Assign; survives Clear.
    std::function<void()> OnChange;

    size_t Count() const { return Lines.size(); }
    bool Empty() const { return Lines.empty(); }
    std::string_view operator[](size_t index) const {
        return std::string_view(Storage).substr(Lines[index].Start, Lines[index].Length);
    }
    ConsoleTag Object(size_t index) const { return Lines[index].Object; }
    // Lines before this index were left as they were by the last change.
    size_t FirstChanged() const { return ChangedFrom; }

    std::vector<std::string> Strings() const;
    // Every line followed by CR LF.
    std::string Text() const;

    void Clear();
    // Continues the lines with the next bytes of the stream they are made from; every line
    // that is added or extended gets tag as its object.
    void AppendBytes(std::string_view bytes, ConsoleTag tag);
    // Replaces the lines without calling OnChange; bytes appended later start a new line.
    void Assign(const std::vector<std::string>& lines);
    // Shows typed input: text is added to the last line (to a new one when there are none)
    // and that line is ended, so the program's next output starts on a line of its own.
    void EchoInput(const std::string& text);

private:
    // Line texts lie one after another in Storage; only the last line ever changes, so it
    // always ends where Storage ends. One allocation for all texts instead of one per line.
    struct Line {
        size_t Start;
        size_t Length;
        ConsoleTag Object;
    };
    void Changed();
    void AddLine(std::string_view text, ConsoleTag tag);
    void ExtendLastLine(std::string_view text);

    std::string Storage;
    std::vector<Line> Lines;
    size_t ChangedFrom = 0;
    bool LastLineOpen = false; // the stream so far does not end with a line end
    bool SkipLineFeed = false; // it ends with CR, so an LF that follows ends nothing more
};

} // namespace korvane
