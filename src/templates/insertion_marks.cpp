#include "templates/insertion_marks.h"

#include "storage/text_utils.h"

#include <string_view>

namespace korvane {
namespace {

constexpr std::string_view Cursor = "##CURSOR##";
constexpr std::string_view Select = "##SELECT##";
// Placed first under other names, so the old marks can go without taking the new ones along.
constexpr std::string_view NewCursor = "##CURSOR2##";
constexpr std::string_view NewSelect = "##SELECT2##";

std::string ReplaceAllIgnoringCase(const std::string& text, std::string_view from,
                                   std::string_view to) {
    const std::string upper = UpperText(text);
    const std::string key = UpperText(from);
    std::string result;
    size_t done = 0;
    for (size_t at = upper.find(key); at != std::string::npos; at = upper.find(key, done)) {
        result.append(text, done, at - done);
        result += to;
        done = at + key.size();
    }
    return result + text.substr(done);
}

} // namespace

TMarkedText MarkInsertion(const std::string& text, std::size_t selectionStart,
                          std::size_t selectionEnd) {
    const bool selected = selectionEnd > selectionStart;
    std::string marked = text.substr(0, selectionStart);
    if (selected)
        marked += std::string(NewCursor) +
                  text.substr(selectionStart, selectionEnd - selectionStart) +
                  std::string(NewSelect);
    else
        marked += NewCursor;
    marked += text.substr(selectionEnd);
    for (std::string_view old : {Cursor, Select})
        marked = ReplaceAllIgnoringCase(marked, old, "");
    marked = ReplaceAllIgnoringCase(marked, NewCursor, Cursor);
    marked = ReplaceAllIgnoringCase(marked, NewSelect, Select);

    TMarkedText result;
    result.Start = marked.find(Cursor);
    result.End = selected ? marked.find(Select) + Select.size() : result.Start + Cursor.size();
    result.Text = std::move(marked);
    return result;
}

} // namespace korvane
