#pragma once
// Perl's own documentation for a word of Perl code: a built-in function (as "perldoc -f"
// shows it), a special variable ("perldoc -v") or a module (its POD), rendered to HTML.
#include <atomic>
#include <string>

namespace korvane {

struct TPerlDocQuery {
    enum class TKind { None, Word, Variable, Module };
    TKind Kind = TKind::None;
    std::string Name;
    bool operator==(const TPerlDocQuery&) const = default;
};

// The word of line at column (0-based; the caret may stand just after the word): a name
// with "::" is a module, a name after a sigil or a sigil with one punctuation character
// ("$_", "$/", "@ARGV") a variable, any other name a word (a function, or a module such as
// "POSIX").
TPerlDocQuery PerlDocQueryAt(const std::string& line, int column);

// The documentation as a whole HTML page, or "" when Perl documents no such thing (or its
// documentation is not installed, or cancelled became true meanwhile). perldoc runs with a time
// limit; called off the window's thread, so the window goes on while it runs.
std::string PerlDocumentationHtml(const TPerlDocQuery& query, const std::atomic<bool>& cancelled);

} // namespace korvane
