#include "editor/perl_outline.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace korvane {
namespace {

bool IsWordStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsWordChar(char c) {
    return IsWordStart(c) || IsDigit(c);
}
// False for the end of the text.
bool InSet(char c, std::string_view set) {
    return c != '\0' && set.find(c) != std::string_view::npos;
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f';
}

// Words after which a slash starts a pattern rather than a division.
bool PatternFollows(std::string_view word) {
    static constexpr std::array<std::string_view, 19> words = {
        "and",   "or",   "not", "xor",  "if",    "unless", "while", "until",   "elsif", "return",
        "split", "grep", "map", "when", "print", "push",   "join",  "unshift", "x"};
    return std::find(words.begin(), words.end(), word) != words.end();
}

bool IsQuoteOperator(std::string_view word, int& parts) {
    if (word == "q" || word == "qq" || word == "qw" || word == "qr" || word == "m") {
        parts = 1;
        return true;
    }
    if (word == "s" || word == "tr" || word == "y") {
        parts = 2;
        return true;
    }
    return false;
}

char Closer(char open) {
    switch (open) {
    case '(':
        return ')';
    case '[':
        return ']';
    case '{':
        return '}';
    case '<':
        return '>';
    default:
        return open;
    }
}

class TOutlineScanner {
public:
    TOutlineScanner(std::string_view text, const std::atomic<bool>* cancelled)
        : Text(text), Cancelled(cancelled) {}

    std::vector<TOutlineItem> Run() {
        unsigned steps = 0;
        while (Pos < Text.size()) {
            if ((++steps & 0xFFFF) == 0 && Cancelled && Cancelled->load()) break;
            if (AtLineStart) {
                AtLineStart = false;
                if (At(Pos) == '=' && IsWordStart(At(Pos + 1))) {
                    SkipPod();
                    continue;
                }
            }
            Step();
        }
        return std::move(Items);
    }

private:
    // What came before, which decides what a slash, a percent sign or a "<" means.
    enum class TPrior { Operator, Operand, Word, PatternWord };

    char At(size_t index) const { return index < Text.size() ? Text[index] : '\0'; }

    void Step() {
        const char c = Text[Pos];
        if (!IsBlank(c) && c != '\n' && c != '#') {
            WordStartsStatement = NextStartsStatement;
            NextStartsStatement = c == ';' || c == '{' || c == '}';
        }
        if (c == '\n') {
            ++Pos;
            EndOfLine();
        } else if (IsBlank(c)) {
            ++Pos;
        } else if (c == '#') {
            SkipToLineEnd();
        } else if (c == '\'' || c == '"' || c == '`') {
            Pos = SkipDelimited(Pos + 1, c);
            Prior = TPrior::Operand;
        } else if (c == '$') {
            SkipScalar();
        } else if (c == '@') {
            ++Pos;
            SkipSigilName();
        } else if (c == '%' || c == '&' || c == '*') {
            // A sigil where an operand may stand (%hash, &name, *glob); else "&&", "%"...
            const bool doubled = At(Pos + 1) == c;
            ++Pos;
            if (Prior != TPrior::Operand && !doubled) {
                SkipSigilName();
            } else {
                Pos += doubled ? 1 : 0;
                Prior = TPrior::Operator;
            }
        } else if (c == '{') {
            OpenBlock();
        } else if (c == '}') {
            CloseBlock();
        } else if (c == ')' || c == ']') {
            ++Pos;
            Prior = TPrior::Operand;
        } else if (c == '/') {
            Slash();
        } else if (c == '<') {
            LessThan();
        } else if (c == '-') {
            Minus();
        } else if (IsDigit(c)) {
            SkipNumber();
        } else if (IsWordStart(c)) {
            Word();
        } else {
            ++Pos;
            Prior = TPrior::Operator;
        }
    }

    void EndOfLine() {
        ++Line;
        AtLineStart = true;
        for (const THereDoc& document : PendingDocuments)
            SkipHereDocBody(document);
        PendingDocuments.clear();
    }

    // The line from Pos without its line end; Pos then stands at the next line's start.
    std::string_view TakeLine() {
        const size_t end = std::min(Text.find('\n', Pos), Text.size());
        std::string_view line = Text.substr(Pos, end - Pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        Pos = end < Text.size() ? end + 1 : end;
        if (end < Text.size()) ++Line;
        return line;
    }

    void SkipToLineEnd() { Pos = std::min(Text.find('\n', Pos), Text.size()); }

    // From a line starting "=word" to the line starting "=cut", both included.
    void SkipPod() {
        while (Pos < Text.size()) {
            const std::string_view line = TakeLine();
            if (line.starts_with("=cut") && !IsWordChar(line.size() > 4 ? line[4] : ' ')) break;
        }
        AtLineStart = true;
    }

    struct THereDoc {
        std::string Tag;
        bool Indented = false;
    };

    void SkipHereDocBody(const THereDoc& document) {
        while (Pos < Text.size()) {
            std::string_view line = TakeLine();
            if (document.Indented)
                while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
                    line.remove_prefix(1);
            if (line == document.Tag) return;
        }
    }

    // The position after the closing delimiter of a string whose body starts at from. Bracket
    // delimiters nest; a backslash escapes the next byte.
    size_t SkipDelimited(size_t from, char open) {
        const char close = Closer(open);
        int depth = 1;
        size_t at = from;
        while (at < Text.size()) {
            const char c = Text[at++];
            if (c == '\n') ++Line;
            if (c == '\\') {
                if (At(at) == '\n') ++Line;
                ++at;
            } else if (c == close && open != close) {
                if (--depth == 0) return at;
            } else if (c == close) {
                return at;
            } else if (c == open && open != close) {
                ++depth;
            }
        }
        return Text.size();
    }

    void SkipName() {
        while (IsWordChar(At(Pos)) || (At(Pos) == ':' && At(Pos + 1) == ':')) {
            Pos += At(Pos) == ':' ? 2 : 1;
        }
    }

    std::string_view ReadName() {
        const size_t start = Pos;
        SkipName();
        return Text.substr(start, Pos - start);
    }

    // After "$": the variable's name, so that "$sub", "$#array" and "$'" take nothing with them.
    void SkipScalar() {
        ++Pos;
        Prior = TPrior::Operand;
        if (At(Pos) == '#') {
            ++Pos;
            if (At(Pos) == '{' || At(Pos) == '$') return;
        }
        while (At(Pos) == '$')
            ++Pos;
        const char c = At(Pos);
        if (IsWordStart(c) || c == ':') {
            SkipName();
        } else if (c == '^' && IsWordStart(At(Pos + 1))) {
            Pos += 2;
        } else if (IsDigit(c)) {
            while (IsDigit(At(Pos)))
                ++Pos;
        } else if (c != '{' && c != '\0' && !IsBlank(c) && c != '\n') {
            ++Pos; // a punctuation variable: $' $" $; $) ...
        }
    }

    void SkipSigilName() {
        while (At(Pos) == '$')
            ++Pos;
        if (IsWordStart(At(Pos)) || At(Pos) == ':' || At(Pos) == '^') {
            if (At(Pos) == '^') ++Pos;
            SkipName();
        }
        Prior = TPrior::Operand;
    }

    void SkipNumber() {
        while (IsWordChar(At(Pos)) || (At(Pos) == '.' && IsDigit(At(Pos + 1))))
            ++Pos;
        Prior = TPrior::Operand;
    }

    void OpenBlock() {
        ++Pos;
        Scopes.push_back(CurrentPackage);
        if (!BlockPackage.empty()) CurrentPackage = std::exchange(BlockPackage, {});
        Prior = TPrior::Operator;
    }

    void CloseBlock() {
        ++Pos;
        if (!Scopes.empty()) {
            CurrentPackage = std::move(Scopes.back());
            Scopes.pop_back();
        }
        Prior = TPrior::Operand;
    }

    void Slash() {
        if (Prior == TPrior::Operator || Prior == TPrior::PatternWord) {
            Pos = SkipDelimited(Pos + 1, '/');
            SkipName(); // the modifiers
            Prior = TPrior::Operand;
            return;
        }
        Pos += At(Pos + 1) == '/' ? 2 : 1; // "//" is defined-or
        Prior = TPrior::Operator;
    }

    void LessThan() {
        if (At(Pos + 1) == '<' && HereDocument()) return;
        if (Prior != TPrior::Operand) {
            // <STDIN>, <$fh>, <*.txt>: no blanks inside, closed on the same line.
            size_t at = Pos + 1;
            while (IsWordChar(At(at)) || InSet(At(at), "$:.*?~/-"))
                ++at;
            if (At(at) == '>') {
                Pos = at + 1;
                Prior = TPrior::Operand;
                return;
            }
        }
        Pos += At(Pos + 1) == '<' ? 2 : 1;
        Prior = TPrior::Operator;
    }

    // <<"TAG", <<'TAG', <<TAG, <<\TAG and the indented <<~ forms; the body follows the line.
    bool HereDocument() {
        size_t at = Pos + 2;
        THereDoc document;
        if (At(at) == '~') {
            document.Indented = true;
            ++at;
        }
        size_t quote = at;
        while (At(quote) == ' ')
            ++quote;
        const char c = At(quote);
        if (c == '"' || c == '\'' || c == '`') {
            const size_t end = Text.find(c, quote + 1);
            if (end == std::string_view::npos || Text.find('\n', quote) < end) return false;
            document.Tag = Text.substr(quote + 1, end - quote - 1);
            Pos = end + 1;
        } else if (quote == at && (IsWordStart(c) || (c == '\\' && IsWordStart(At(at + 1))))) {
            Pos = c == '\\' ? at + 1 : at;
            document.Tag = ReadName();
        } else {
            return false;
        }
        PendingDocuments.push_back(std::move(document));
        Prior = TPrior::Operand;
        return true;
    }

    void Minus() {
        if (At(Pos + 1) == '>') {
            // A method's name is no keyword: $obj->sub, $class->package.
            Pos += 2;
            while (IsBlank(At(Pos)))
                ++Pos;
            if (IsWordStart(At(Pos))) {
                SkipName();
                Prior = TPrior::Operand;
            } else {
                Prior = TPrior::Operator;
            }
            return;
        }
        // A file test: -s $file, -d _.
        if (Prior != TPrior::Operand && IsWordStart(At(Pos + 1)) && !IsWordChar(At(Pos + 2))) {
            Pos += 2;
            Prior = TPrior::Operator;
            return;
        }
        ++Pos;
        Prior = TPrior::Operator;
    }

    size_t SkipBlanks(size_t at) const {
        while (IsBlank(At(at)))
            ++at;
        return at;
    }

    size_t SkipSpace(size_t at) const {
        while (IsBlank(At(at)) || At(at) == '\n')
            ++at;
        return at;
    }

    // Blanks, line ends and comments, as between "package" and its name.
    size_t SkipSpaceAndComments(size_t at) const {
        for (at = SkipSpace(at); At(at) == '#'; at = SkipSpace(at))
            at = std::min(Text.find('\n', at), Text.size());
        return at;
    }

    // A word used as a plain string: a hash key before "=>" or alone in braces.
    bool QuotedWord(size_t start) const {
        const size_t next = SkipBlanks(Pos);
        if (At(next) == '=' && At(next + 1) == '>') return true;
        if (At(next) != '}') return false;
        size_t before = start;
        while (before > 0 && IsBlank(Text[before - 1]))
            --before;
        return before > 0 && Text[before - 1] == '{';
    }

    void Word() {
        const size_t start = Pos;
        const std::string_view word = ReadName();
        if (QuotedWord(start)) {
            Prior = TPrior::Operand;
            return;
        }
        int parts = 0;
        if (word == "__END__" || word == "__DATA__") {
            Pos = Text.size();
        } else if (word == "sub") {
            SubDeclaration(TOutlineKind::Sub);
        } else if (word == "method") {
            SubDeclaration(TOutlineKind::Method);
        } else if (word == "package") {
            PackageDeclaration(TOutlineKind::Package);
        } else if (word == "class") {
            PackageDeclaration(TOutlineKind::Class);
        } else if ((word == "AUTOLOAD" || word == "DESTROY") && WordStartsStatement &&
                   At(SkipSpace(Pos)) == '{') {
            Items.push_back({TOutlineKind::Sub, std::string(word), Line, CurrentPackage, false});
            Prior = TPrior::Operator;
        } else if (IsQuoteOperator(word, parts)) {
            QuoteOperator(parts);
        } else {
            Prior = PatternFollows(word) ? TPrior::PatternWord : TPrior::Word;
        }
    }

    void QuoteOperator(int parts) {
        const size_t at = SkipSpace(Pos);
        const char open = At(at);
        const bool spaced = at != Pos;
        // After a blank only the usual delimiters count: "y => 1", "-s $file", "(x, y)".
        if (open == '\0' || IsWordChar(open) || open == ';' || open == ')' ||
            (open == '=' && At(at + 1) == '>') || (spaced && !InSet(open, "{([</|!'\""))) {
            Prior = TPrior::Word;
            return;
        }
        for (size_t i = Pos; i < at; ++i)
            if (Text[i] == '\n') ++Line;
        Pos = SkipDelimited(at + 1, open);
        if (parts == 2) {
            if (Closer(open) != open) {
                const size_t second = SkipSpace(Pos);
                for (size_t i = Pos; i < second; ++i)
                    if (Text[i] == '\n') ++Line;
                Pos = second < Text.size() ? SkipDelimited(second + 1, At(second)) : second;
            } else {
                Pos = SkipDelimited(Pos, open);
            }
        }
        SkipName(); // the modifiers
        Prior = TPrior::Operand;
    }

    // The name after "sub" or "method"; an anonymous sub has none.
    void SubDeclaration(TOutlineKind kind) {
        const int line = Line;
        size_t at = SkipSpaceAndComments(Pos);
        if (!IsWordStart(At(at)) && !(At(at) == ':' && At(at + 1) == ':')) {
            Prior = TPrior::Operator;
            return;
        }
        CountLines(Pos, at);
        Pos = at;
        const std::string_view name = ReadName();
        at = SkipBlanks(Pos);
        if (kind == TOutlineKind::Method && !InSet(At(at), "{(:;")) {
            Prior = TPrior::Word;
            return;
        }
        at = SkipPrototype(at);
        Pos = at;
        Items.push_back({kind, std::string(name), line, CurrentPackage, At(SkipBlanks(at)) == ';'});
        Prior = TPrior::Operator;
    }

    // A prototype holds only sigils and a few marks; a signature is left to the scan.
    size_t SkipPrototype(size_t at) const {
        if (At(at) != '(') return at;
        size_t end = at + 1;
        while (InSet(At(end), "$@%&*;\\[]+_ "))
            ++end;
        return At(end) == ')' ? end + 1 : at;
    }

    void PackageDeclaration(TOutlineKind kind) {
        const int line = Line;
        const size_t at = SkipSpaceAndComments(Pos);
        if (at == Pos || !IsWordStart(At(at))) {
            Prior = TPrior::Word;
            return;
        }
        const size_t keep = Pos;
        CountLines(Pos, at);
        Pos = at;
        const std::string name(ReadName());
        size_t after = SkipBlanks(Pos);
        if (IsDigit(At(after)) || (At(after) == 'v' && IsDigit(At(after + 1)))) {
            while (IsWordChar(At(after)) || At(after) == '.')
                ++after;
            after = SkipBlanks(after);
        }
        const char next = At(after);
        if (kind == TOutlineKind::Class && !InSet(next, ";{:")) {
            Line = line;
            Pos = keep; // "class" was just a word
            Prior = TPrior::Word;
            return;
        }
        Pos = after;
        Items.push_back({kind, name, line, name, false});
        // "package NAME {": the package holds for that block only.
        if (next == '{')
            BlockPackage = name;
        else
            CurrentPackage = name;
        Prior = TPrior::Operator;
    }

    void CountLines(size_t from, size_t to) {
        Line += static_cast<int>(std::count(Text.begin() + static_cast<long>(from),
                                            Text.begin() + static_cast<long>(to), '\n'));
    }

    std::string_view Text;
    const std::atomic<bool>* Cancelled;
    size_t Pos = 0;
    int Line = 1;
    bool AtLineStart = true;
    TPrior Prior = TPrior::Operator;
    // Whether the token being read, and the next one, begin a statement.
    bool WordStartsStatement = true;
    bool NextStartsStatement = true;
    std::vector<THereDoc> PendingDocuments; // bodies that start on the next line
    std::string CurrentPackage = "main";
    std::string BlockPackage;        // "package NAME {": the package of the block that opens
    std::vector<std::string> Scopes; // the package outside each open block
    std::vector<TOutlineItem> Items;
};

TOutlineRow PackageRow(const TOutlineItem& item) {
    return {(item.Kind == TOutlineKind::Class ? "class " : "package ") + item.Name, item.Line,
            false};
}

} // namespace

std::string TOutlineItem::FullName() const {
    if (IsPackage() || Name.find("::") != std::string::npos) return Name;
    return Package + "::" + Name;
}

std::vector<TOutlineRow> OutlineRows(const std::vector<TOutlineItem>& items,
                                     std::string_view filter) {
    const auto lower = [](std::string_view text) {
        std::string folded(text);
        std::transform(folded.begin(), folded.end(), folded.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return folded;
    };
    const std::string wanted = lower(filter);
    const auto matches = [&](const TOutlineItem& item) {
        return lower(item.Name).find(wanted) != std::string::npos;
    };
    std::vector<TOutlineRow> rows;
    const TOutlineItem* package = nullptr; // the package row not yet shown
    bool underPackage = false;
    for (const TOutlineItem& item : items) {
        if (item.IsPackage()) {
            underPackage = true;
            package = &item;
            if (!matches(item)) continue;
            package = nullptr;
            rows.push_back(PackageRow(item));
            continue;
        }
        if (!matches(item)) continue;
        if (package) {
            rows.push_back(PackageRow(*package));
            rows.back().Context = true;
            package = nullptr;
        }
        rows.push_back({item.Name + (item.Forward ? " (declared)" : ""), item.Line, underPackage});
    }
    return rows;
}

std::vector<TOutlineItem> ScanPerlOutline(std::string_view text,
                                          const std::atomic<bool>* cancelled) {
    return TOutlineScanner(text, cancelled).Run();
}

} // namespace korvane
