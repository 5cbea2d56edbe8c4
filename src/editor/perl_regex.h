#pragma once
// Perl-compatible regular expressions (PCRE2) over an editor's bytes. The text is read as UTF-8
// where the page is UTF-8, with Unicode letter classes and case folding; a byte that is not
// UTF-8 is a character of its own that only itself (and wildcards) match, so a line with a
// stray Latin-1 byte is searched like any other and its bytes come back unchanged. Lines end
// in CR LF, LF or CR alike: `$` matches before each, `.` matches none, and `\n` in an
// expression matches whichever the text has. `^` and `$` match at every line, `\A` and `\z` at
// the ends of the text. Matching keeps no stack per character, so a line of any length can be
// searched; an expression that would backtrack without end stops with a reason instead.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;
struct pcre2_real_match_context_8;
struct pcre2_real_jit_stack_8;

namespace korvane {

struct TRegexSettings {
    bool MatchCase = true;
    bool WholeWords = false; // the hit begins and ends at a word boundary
    bool Utf8 = true;        // the text is UTF-8; otherwise every byte is a character
};

struct TRegexHit {
    long long Start = 0;
    long long End = 0;
    bool Empty() const { return Start == End; }
};

class TPerlRegex {
public:
    TPerlRegex(std::string_view pattern, const TRegexSettings& settings);
    ~TPerlRegex();
    TPerlRegex(const TPerlRegex&) = delete;
    TPerlRegex& operator=(const TPerlRegex&) = delete;

    bool Valid() const { return Code != nullptr; }
    // Why the expression does not compile, in PCRE2's words, and where: the number of the
    // expression's characters before the point where the error was found.
    const std::string& CompileError() const { return ErrorText; }
    size_t CompileErrorOffset() const { return ErrorOffset; }

    int GroupCount() const;
    // The number of the group of that name, or -1 when the expression has none.
    int GroupNumber(std::string_view name) const;

    // The text searched from now on; it must stay unchanged until the next Attach.
    void Attach(std::string_view text);
    // The first hit that starts from `from` to `lastStart` (it may end anywhere).
    // nonEmptyAtStart asks for a hit that starts exactly at from and is not empty (Perl's
    // second try after an empty hit). False when there is none, or when matching failed.
    bool Match(long long from, long long lastStart, bool nonEmptyAtStart, TRegexHit& hit);
    // Group n of the last hit; false when the group took no part in it.
    bool Group(int n, long long& start, long long& end) const;
    // The position one character after position in the attached text (CR LF is one).
    long long After(long long position) const;
    // The start of the character that holds position (0 for positions before the text).
    long long CharacterStart(long long position) const;
    // Set when a match gave up (too much backtracking or memory): why, in PCRE2's words.
    const std::string& MatchError() const { return MatchErrorText; }

private:
    // Positions in the engine's copy of the text, where bytes that are not UTF-8 stand as
    // characters of a private plane.
    long long ToEngine(long long position) const;
    long long FromEngine(long long position) const;
    int RunMatch(size_t from, unsigned options, bool withJit);

    pcre2_real_code_8* Code = nullptr;
    pcre2_real_match_data_8* MatchData = nullptr;
    pcre2_real_match_context_8* Context = nullptr;
    pcre2_real_jit_stack_8* JitStack = nullptr;
    bool Utf8 = true;
    std::string ErrorText;
    size_t ErrorOffset = 0;
    std::string MatchErrorText;

    std::string_view Text;           // as the engine reads it: the attached text or Clean
    std::string Clean;               // the attached text with its stray bytes stood in for
    std::vector<long long> StandIns; // where each stand-in starts in Clean
};

} // namespace korvane
