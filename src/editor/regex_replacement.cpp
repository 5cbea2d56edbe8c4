#include "editor/regex_replacement.h"

#include "editor/letter_case.h"
#include "editor/perl_regex.h"
#include "editor/utf8_scan.h"

#include <cctype>

namespace korvane {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

TRegexReplacement::TRegexReplacement(std::string_view text, const TPerlRegex& regex,
                                     std::string_view lineEnd, bool utf8)
    : Utf8(utf8) {
    size_t i = 0;
    while (i < text.size() && ErrorText.empty()) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            i += 2;
            if (IsDigit(next)) {
                AddGroup(next - '0', regex);
            } else if (next == 'n' || next == 'r') {
                // CR LF written out is one line end too.
                if (next == 'r' && text.compare(i, 2, "\\n") == 0) i += 2;
                AddText(lineEnd);
            } else if (next == 't') {
                AddText("\t");
            } else if (next == 'x') {
                i = ReadHex(text, i);
            } else if (next == 'U' || next == 'L' || next == 'E' || next == 'u' || next == 'l') {
                const Kind kind = next == 'U'   ? Kind::Upper
                                  : next == 'L' ? Kind::Lower
                                  : next == 'E' ? Kind::EndCase
                                  : next == 'u' ? Kind::UpperNext
                                                : Kind::LowerNext;
                Pieces.push_back({kind, {}, 0});
                ChangesCase = true;
            } else if (std::isalnum(static_cast<unsigned char>(next))) {
                AddText(text.substr(i - 2, 2));
            } else {
                AddText(text.substr(i - 1, 1));
            }
            continue;
        }
        if (c == '$' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (IsDigit(next)) {
                size_t end = i + 1;
                int number = 0;
                while (end < text.size() && IsDigit(text[end]) && number < 100000)
                    number = number * 10 + (text[end++] - '0');
                AddGroup(number, regex);
                i = end;
                continue;
            }
            if (next == '&') {
                AddGroup(0, regex);
                i += 2;
                continue;
            }
            const bool plusBrace = text.compare(i + 1, 2, "+{") == 0;
            if (next == '{' || plusBrace) {
                const size_t open = i + (plusBrace ? 3 : 2);
                const size_t close = text.find('}', open);
                const std::string_view name =
                    close == std::string_view::npos ? "" : text.substr(open, close - open);
                bool digits = !name.empty() && !plusBrace;
                bool word = !name.empty() && !IsDigit(name[0]);
                for (const char n : name) {
                    digits = digits && IsDigit(n);
                    word = word && IsNameCharacter(n);
                }
                if (digits || word) {
                    if (digits)
                        AddGroup(std::stoi(std::string(name.substr(0, 6))), regex);
                    else
                        AddNamedGroup(name, regex);
                    i = close + 1;
                    continue;
                }
            }
        }
        AddText(text.substr(i, 1));
        ++i;
    }
}

void TRegexReplacement::AddText(std::string_view text) {
    if (Pieces.empty() || Pieces.back().What != Kind::Text) Pieces.push_back({Kind::Text, {}, 0});
    Pieces.back().Text += text;
}

void TRegexReplacement::AddGroup(int number, const TPerlRegex& regex) {
    const int count = regex.GroupCount();
    if (number > count) {
        ErrorText =
            "The replacement uses group " + std::to_string(number) + ", but the expression has " +
            (count == 0 ? std::string("no groups")
                        : "only " + std::to_string(count) + (count == 1 ? " group" : " groups")) +
            ".";
        return;
    }
    Pieces.push_back({Kind::Group, {}, number});
}

void TRegexReplacement::AddNamedGroup(std::string_view name, const TPerlRegex& regex) {
    const int number = regex.GroupNumber(name);
    if (number < 0) {
        ErrorText = "The replacement uses the group named \"" + std::string(name) +
                    "\", but the expression has no group of that name.";
        return;
    }
    Pieces.push_back({Kind::Group, {}, number});
}

size_t TRegexReplacement::ReadHex(std::string_view text, size_t at) {
    char32_t value = 0;
    if (at < text.size() && text[at] == '{') {
        const size_t close = text.find('}', at);
        if (close == std::string_view::npos) {
            ErrorText = "The replacement has \\x{ without its closing brace.";
            return text.size();
        }
        for (size_t i = at + 1; i < close; ++i) {
            const int digit = HexValue(text[i]);
            if (digit < 0 || value > 0x10FFFF) {
                ErrorText = "The replacement has a \\x{...} that is not a character number.";
                return close + 1;
            }
            value = value * 16 + static_cast<char32_t>(digit);
        }
        at = close + 1;
    } else {
        for (int n = 0; n < 2 && at < text.size() && HexValue(text[at]) >= 0; ++n)
            value = value * 16 + static_cast<char32_t>(HexValue(text[at++]));
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ErrorText = "The replacement has a \\x escape that is not a character.";
        return at;
    }
    std::string bytes;
    if (Utf8)
        AppendUtf8(bytes, value);
    else
        bytes += static_cast<char>(value & 0xFF);
    AddText(bytes);
    return at;
}

std::string TRegexReplacement::Expand(const GroupText& group) const {
    std::string out;
    if (!ChangesCase) {
        for (const Piece& piece : Pieces)
            out += piece.What == Kind::Text ? std::string_view(piece.Text) : group(piece.Group);
        return out;
    }
    // Perl's case escapes: \U and \L until \E (or the next of them), \u and \l for the next
    // character only, applied after the running one (so "\u\L$1" capitalises a word).
    Kind running = Kind::EndCase;
    Kind next = Kind::EndCase;
    for (const Piece& piece : Pieces) {
        if (piece.What != Kind::Text && piece.What != Kind::Group) {
            if (piece.What == Kind::UpperNext || piece.What == Kind::LowerNext)
                next = piece.What;
            else
                running = piece.What;
            continue;
        }
        std::string text(piece.What == Kind::Text ? std::string_view(piece.Text)
                                                  : group(piece.Group));
        if (text.empty()) continue;
        if (running == Kind::Upper || running == Kind::Lower)
            text = ChangeLetterCase(
                text, running == Kind::Upper ? TCaseChange::Upper : TCaseChange::Lower, Utf8);
        if (next != Kind::EndCase) {
            text = ChangeFirstLetter(text, next == Kind::UpperNext, Utf8);
            next = Kind::EndCase;
        }
        out += text;
    }
    return out;
}

} // namespace korvane
