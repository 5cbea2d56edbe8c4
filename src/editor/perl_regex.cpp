#include "editor/perl_regex.h"

#include "editor/utf8_scan.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>

namespace korvane {
namespace {

// A byte that is not UTF-8 stands in the engine's copy as a character of the last private
// plane, U+10FF80 to U+10FFFF, which no text of a person's writing holds: it matches itself.
constexpr char32_t StandInBase = 0x10FF00;
constexpr long long StandInLength = 4; // its UTF-8 bytes

// A match gives up past this much backtracking memory (KiB) or this many steps; the search is
// made in stretches of this many start positions, so that the step limit holds for one
// stretch and a long search without hits does not run into it.
constexpr uint32_t HeapLimitKiB = 1024 * 1024;
constexpr uint32_t MatchLimit = 20'000'000;
constexpr size_t Stretch = 1 << 20;
constexpr size_t JitStackStart = 64 * 1024;
constexpr size_t JitStackMax = 256 * 1024 * 1024;

std::string ErrorMessage(int code) {
    PCRE2_UCHAR buffer[256];
    const int length = pcre2_get_error_message(code, buffer, sizeof buffer);
    return length < 0
               ? "error " + std::to_string(code)
               : std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
}

// The expression as the engine gets it, with where each of its bytes came from.
struct Translation {
    std::string Text;
    std::vector<size_t> Origin; // for each byte of Text, and one for its end

    void Add(std::string_view bytes, size_t origin) {
        Text += bytes;
        Origin.insert(Origin.end(), bytes.size(), origin);
    }
};

// Copies the character at `at` (a stray byte as its stand-in); returns its length.
size_t AddCharacter(Translation& out, std::string_view pattern, size_t at, bool utf8) {
    const size_t length = utf8 ? Utf8SequenceLength(pattern, at) : 1;
    if (length > 0) {
        out.Add(pattern.substr(at, length), at);
        return length;
    }
    std::string standIn;
    AppendUtf8(standIn, StandInBase + static_cast<unsigned char>(pattern[at]));
    out.Add(standIn, at);
    return 1;
}

// The text holds CR LF line ends (or the file's own): `\n` matches a line end of any kind, as
// `\R` does (limited to CR, LF and CR LF); in a character class it stands for both CR and LF.
// Text between \Q and \E is taken as it is.
Translation TranslatePattern(std::string_view pattern, bool utf8) {
    Translation out;
    bool inClass = false;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\\' && i + 1 < pattern.size()) {
            const char next = pattern[i + 1];
            if (next == 'Q') {
                out.Add("\\Q", i);
                const size_t end = pattern.find("\\E", i + 2);
                const size_t stop = end == std::string_view::npos ? pattern.size() : end;
                for (i += 2; i < stop;)
                    i += AddCharacter(out, pattern, i, utf8);
                continue;
            }
            if (!inClass && pattern.compare(i, 4, "\\r\\n") == 0) {
                out.Add("\\R", i);
                i += 4;
                continue;
            }
            if (next == 'n') {
                out.Add(inClass ? "\\r\\n" : "\\R", i);
                i += 2;
                continue;
            }
            // Any other escape: the escaped character is never a class bracket.
            out.Add("\\", i);
            i += 1 + AddCharacter(out, pattern, i + 1, utf8);
            continue;
        }
        if (!inClass && c == '[') {
            inClass = true;
            out.Add("[", i++);
            if (i < pattern.size() && pattern[i] == '^') out.Add("^", i++);
            if (i < pattern.size() && pattern[i] == ']') out.Add("]", i++); // a literal ]
            continue;
        }
        if (inClass && c == '[' && pattern.compare(i, 2, "[:") == 0) {
            const size_t end = pattern.find(":]", i + 2);
            if (end != std::string_view::npos) {
                out.Add(pattern.substr(i, end + 2 - i), i);
                i = end + 2;
                continue;
            }
        }
        if (inClass && c == ']') inClass = false;
        i += AddCharacter(out, pattern, i, utf8);
    }
    out.Origin.push_back(pattern.size());
    return out;
}

// The number of characters (a stray byte counts as one) in the first `bytes` of text.
size_t CharactersBefore(std::string_view text, size_t bytes, bool utf8) {
    if (!utf8) return bytes;
    size_t count = 0;
    for (size_t at = 0; at < bytes && at < text.size(); ++count)
        at += std::max<size_t>(1, Utf8SequenceLength(text, at));
    return count;
}

} // namespace

TPerlRegex::TPerlRegex(std::string_view pattern, const TRegexSettings& settings)
    : Utf8(settings.Utf8) {
    Translation translated = TranslatePattern(pattern, settings.Utf8);
    if (settings.WholeWords) {
        translated.Text = "\\b(?:" + translated.Text + ")\\b";
        translated.Origin.insert(translated.Origin.begin(), 5, 0);
        translated.Origin.insert(translated.Origin.end(), 4, pattern.size());
    }
    uint32_t options = PCRE2_MULTILINE | PCRE2_USE_OFFSET_LIMIT;
    if (settings.Utf8) options |= PCRE2_UTF | PCRE2_UCP;
    if (!settings.MatchCase) options |= PCRE2_CASELESS;
    pcre2_compile_context* compileContext = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(compileContext, PCRE2_NEWLINE_ANYCRLF);
    pcre2_set_bsr(compileContext, PCRE2_BSR_ANYCRLF);
    int error = 0;
    PCRE2_SIZE errorAt = 0;
    Code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.Text.data()),
                         translated.Text.size(), options, &error, &errorAt, compileContext);
    pcre2_compile_context_free(compileContext);
    if (!Code) {
        ErrorText = ErrorMessage(error);
        const size_t origin = translated.Origin[std::min(errorAt, translated.Text.size())];
        ErrorOffset = CharactersBefore(pattern, origin, settings.Utf8);
        return;
    }
    pcre2_jit_compile(Code, PCRE2_JIT_COMPLETE); // without JIT the interpreter runs
    MatchData = pcre2_match_data_create_from_pattern(Code, nullptr);
    Context = pcre2_match_context_create(nullptr);
    JitStack = pcre2_jit_stack_create(JitStackStart, JitStackMax, nullptr);
    pcre2_jit_stack_assign(Context, nullptr, JitStack);
    pcre2_set_heap_limit(Context, HeapLimitKiB);
    pcre2_set_match_limit(Context, MatchLimit);
}

TPerlRegex::~TPerlRegex() {
    pcre2_jit_stack_free(JitStack);
    pcre2_match_context_free(Context);
    pcre2_match_data_free(MatchData);
    pcre2_code_free(Code);
}

int TPerlRegex::GroupCount() const {
    uint32_t count = 0;
    if (Code) pcre2_pattern_info(Code, PCRE2_INFO_CAPTURECOUNT, &count);
    return static_cast<int>(count);
}

int TPerlRegex::GroupNumber(std::string_view name) const {
    if (!Code) return -1;
    const std::string terminated(name);
    const auto* spelled = reinterpret_cast<PCRE2_SPTR>(terminated.c_str());
    const int number = pcre2_substring_number_from_name(Code, spelled);
    if (number != PCRE2_ERROR_NOUNIQUESUBSTRING) return number > 0 ? number : -1;
    // A name given to several groups with (?J): the first of them.
    PCRE2_SPTR first = nullptr;
    PCRE2_SPTR last = nullptr;
    if (pcre2_substring_nametable_scan(Code, spelled, &first, &last) < 0) return -1;
    return (first[0] << 8) | first[1];
}

void TPerlRegex::Attach(std::string_view text) {
    Text = text;
    Clean.clear();
    StandIns.clear();
    size_t invalid = Utf8 ? FirstInvalidUtf8(text) : std::string_view::npos;
    if (invalid == std::string_view::npos) return;
    size_t copied = 0;
    while (invalid != std::string_view::npos) {
        Clean.append(text.substr(copied, invalid - copied));
        StandIns.push_back(static_cast<long long>(Clean.size()));
        AppendUtf8(Clean, StandInBase + static_cast<unsigned char>(text[invalid]));
        copied = invalid + 1;
        invalid = FirstInvalidUtf8(text, copied);
    }
    Clean.append(text.substr(copied));
    Text = Clean;
}

long long TPerlRegex::ToEngine(long long position) const {
    // Stand-in k began at byte StandIns[k] - 3k of the attached text.
    const long long grown = StandInLength - 1;
    size_t low = 0;
    size_t high = StandIns.size();
    while (low < high) {
        const size_t middle = (low + high) / 2;
        if (StandIns[middle] - grown * static_cast<long long>(middle) < position)
            low = middle + 1;
        else
            high = middle;
    }
    return position + grown * static_cast<long long>(low);
}

long long TPerlRegex::FromEngine(long long position) const {
    const auto whole =
        std::partition_point(StandIns.begin(), StandIns.end(), [position](long long start) {
            return start + StandInLength <= position;
        });
    const auto before = static_cast<long long>(whole - StandIns.begin());
    // A position inside a stand-in (never the end of a hit) is taken as its byte's.
    if (whole != StandIns.end() && *whole < position) return *whole - (StandInLength - 1) * before;
    return position - (StandInLength - 1) * before;
}

int TPerlRegex::RunMatch(size_t from, unsigned options, bool withJit) {
    return pcre2_match(Code, reinterpret_cast<PCRE2_SPTR>(Text.data()), Text.size(), from,
                       options | (withJit ? 0u : PCRE2_NO_JIT), MatchData, Context);
}

bool TPerlRegex::Match(long long from, long long lastStart, bool nonEmptyAtStart, TRegexHit& hit) {
    MatchErrorText.clear();
    if (!Code || lastStart < from) return false;
    size_t start = static_cast<size_t>(ToEngine(from));
    const size_t last = std::min(Text.size(), static_cast<size_t>(ToEngine(lastStart)));
    if (start > Text.size()) return false;
    unsigned options = Utf8 ? PCRE2_NO_UTF_CHECK : 0u;
    if (nonEmptyAtStart) options |= PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED;
    for (;;) {
        size_t limit = nonEmptyAtStart ? start : std::min(last, start + Stretch);
        // The next stretch begins at a character, never inside one.
        while (Utf8 && limit < Text.size() &&
               (static_cast<unsigned char>(Text[limit]) & 0xC0) == 0x80)
            ++limit;
        pcre2_set_offset_limit(Context, limit);
        int result = RunMatch(start, options, true);
        // The JIT's stack is bounded; the interpreter keeps its backtracking on the heap.
        if (result == PCRE2_ERROR_JIT_STACKLIMIT) result = RunMatch(start, options, false);
        if (result >= 0) {
            const PCRE2_SIZE* found = pcre2_get_ovector_pointer(MatchData);
            // \K in a lookahead can put the start after the end.
            hit.Start = FromEngine(static_cast<long long>(std::min(found[0], found[1])));
            hit.End = FromEngine(static_cast<long long>(found[1]));
            return true;
        }
        if (result != PCRE2_ERROR_NOMATCH) {
            MatchErrorText = ErrorMessage(result);
            return false;
        }
        if (nonEmptyAtStart || limit >= last) return false;
        start = limit;
    }
}

bool TPerlRegex::Group(int n, long long& start, long long& end) const {
    if (!MatchData || n < 0 || static_cast<uint32_t>(n) >= pcre2_get_ovector_count(MatchData))
        return false;
    const PCRE2_SIZE* found = pcre2_get_ovector_pointer(MatchData);
    const PCRE2_SIZE from = found[2 * n];
    const PCRE2_SIZE to = found[2 * n + 1];
    if (from == PCRE2_UNSET || to == PCRE2_UNSET || from > to) return false;
    start = FromEngine(static_cast<long long>(from));
    end = FromEngine(static_cast<long long>(to));
    return true;
}

long long TPerlRegex::After(long long position) const {
    const auto at = static_cast<size_t>(ToEngine(position));
    if (at >= Text.size()) return position + 1;
    size_t length = 1;
    if (Text.compare(at, 2, "\r\n") == 0)
        length = 2;
    else if (Utf8)
        length = std::max<size_t>(1, Utf8SequenceLength(Text, at));
    return FromEngine(static_cast<long long>(at + length));
}

long long TPerlRegex::CharacterStart(long long position) const {
    if (position <= 0) return 0;
    auto at = static_cast<size_t>(ToEngine(position));
    if (at >= Text.size()) return position;
    while (Utf8 && at > 0 && (static_cast<unsigned char>(Text[at]) & 0xC0) == 0x80)
        --at;
    return FromEngine(static_cast<long long>(at));
}

} // namespace korvane
