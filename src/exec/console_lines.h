#pragma once
// The lines of a program's output, kept up to date as its bytes arrive. CR, LF and CR LF each
// end a line; text after the last line end is the last line and grows when the rest of it
// comes. Adding bytes costs time in proportion to the new bytes only, so a program that
// prints a great deal does not slow the program down as its output grows.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/growing_block.h"

namespace korvane {

// The object a line belongs to (the page, project or dialog that started the run), compared
// by address only.
using ConsoleTag = const void*;

// Bytes as a program wrote them, in one piece.
using TConsoleBytes = TGrowingArray<char>;

class TConsoleLines {
public:
    // Called after every change except Assign; survives Clear.
    std::function<void()> OnChange;

    size_t Count() const { return Lines.size(); }
    bool Empty() const { return Lines.empty(); }
    std::string_view operator[](size_t index) const { return TextOf(Lines[index]); }
    ConsoleTag Object(size_t index) const { return Lines[index].Object; }
    // Lines before this index were left as they were by the last change.
    size_t FirstChanged() const { return ChangedFrom; }
    // Changes whenever the lines are emptied or replaced; between two such changes lines are
    // only added and the last one only grows.
    uint64_t Generation() const { return GenerationValue; }

    std::vector<std::string> Strings() const;
    // Every line followed by CR LF.
    std::string Text() const;
    // The lines from first on joined by line feeds, without the first skip bytes of the
    // first line, where that text lies in one piece in the bytes the lines are made from (one
    // stream whose lines end in LF alone); nullopt where it has to be pieced together. The
    // view holds until the lines or their stream change.
    std::optional<std::string_view> JoinedInPlace(size_t first, size_t skip) const;

    void Clear();
    // Continues the lines with the next bytes of the stream they are made from; every line
    // that is added or extended gets tag as its object. The lines keep a copy of the bytes.
    void AppendBytes(std::string_view bytes, ConsoleTag tag);
    // The same with the bytes of stream from `from` to `to` (its end when not given). The
    // lines point into stream instead of copying it, so stream must keep its bytes for as long
    // as the lines are kept (it may grow meanwhile). Lines can be made from two streams in
    // turn, as output and errors arrive; a line with text from both holds a copy of its text.
    void AppendBytes(const TConsoleBytes& stream, size_t from, ConsoleTag tag,
                     size_t to = std::string_view::npos);
    // Replaces the lines without calling OnChange; bytes appended later start a new line.
    void Assign(const std::vector<std::string>& lines);
    // Shows typed input: text is added to the last line (to a new one when there are none)
    // and that line is ended, so the program's next output starts on a line of its own.
    void EchoInput(const std::string& text);

private:
    // A line is a piece of one stream; only the last line ever changes. Lines of text that is
    // in no stream the lines point into (appended copies, typed input, assigned lines, a line
    // pieced together from two streams) lie in Own.
    static constexpr unsigned OwnText = 0;
    struct Line {
        size_t Start;
        uint64_t Length : 56;
        uint64_t Source : 8; // OwnText, or 1 + index into Sources
        ConsoleTag Object;
    };
    std::string_view SourceText(unsigned source) const {
        return (source == OwnText ? Own : *Sources[source - 1]).View();
    }
    std::string_view TextOf(const Line& line) const {
        return SourceText(line.Source).substr(line.Start, line.Length);
    }
    unsigned SourceOf(const TConsoleBytes& stream);
    void Changed();
    void Reset();
    void AddOwnLine(std::string_view text, ConsoleTag tag);
    void ExtendLastLine(unsigned source, size_t start, size_t length);
    void MoveLastLineToOwnEnd(size_t room);

    TConsoleBytes Own;
    std::vector<const TConsoleBytes*> Sources;
    TGrowingArray<Line> Lines;
    size_t ChangedFrom = 0;
    uint64_t GenerationValue = 0;
    bool LastLineOpen = false; // the stream so far does not end with a line end
    bool SkipLineFeed = false; // it ends with CR, so an LF that follows ends nothing more
};

} // namespace korvane
