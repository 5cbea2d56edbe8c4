#include "editor/perl_regex.h"
#include "editor/text_search.h"
#include "editor/utf8_scan.h"
#include "widgets/kor_syn_edit.h"

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

// Every hit of pattern in text, as [start, end) byte positions of the text.
std::vector<std::pair<long long, long long>> Hits(const std::string& pattern,
                                                  const std::string& text) {
    TPerlRegex regex(pattern, {});
    EXPECT_TRUE(regex.Valid()) << regex.CompileError();
    regex.Attach(text);
    std::vector<std::pair<long long, long long>> hits;
    TRegexHit hit;
    for (long long at = 0; at <= static_cast<long long>(text.size()) &&
                           regex.Match(at, static_cast<long long>(text.size()), false, hit);
         at = hit.Empty() ? regex.After(hit.End) : hit.End)
        hits.emplace_back(hit.Start, hit.End);
    return hits;
}

using Ranges = std::vector<std::pair<long long, long long>>;

TEST(PerlRegex, HitsAreBytePositionsOfTheTextAroundStrayBytes) {
    // é is two bytes, \xE9 and \xFF stray ones: positions stay those of the text itself.
    const std::string text = "\xE9x\xC3\xA9x\xFF\xFFx";
    EXPECT_EQ(Hits("x", text), (Ranges{{1, 2}, {4, 5}, {7, 8}}));
    EXPECT_EQ(Hits(".x", text), (Ranges{{0, 2}, {2, 5}, {6, 8}}));
    EXPECT_EQ(Hits("[^x]+", text), (Ranges{{0, 1}, {2, 4}, {5, 7}}));
    // A stray byte in the expression matches that byte only.
    EXPECT_EQ(Hits("\xFF", text), (Ranges{{5, 6}, {6, 7}}));
    // Line ends of every kind: $ before each, \n matching a whole CR LF.
    EXPECT_EQ(Hits("$", "a\r\nb\nc\rd"), (Ranges{{1, 1}, {4, 4}, {6, 6}, {8, 8}}));
    EXPECT_EQ(Hits("a\\nb", "a\r\nb a\nb"), (Ranges{{0, 4}, {5, 8}}));
    EXPECT_EQ(Hits("[^\\n]+", "ab\r\ncd"), (Ranges{{0, 2}, {4, 6}}));
    EXPECT_EQ(Hits("\\Q\\n[\\E", "x\\n[y"), (Ranges{{1, 4}}));
}

TEST(PerlRegex, AnInvalidExpressionSaysWhyAndWhere) {
    struct Case {
        const char* Pattern;
        const char* Reason;
        size_t Offset;
    };
    const Case cases[] = {
        {"a(b", "missing closing parenthesis", 3},
        {"ab\\", "\\ at end of pattern", 3},
        {"x{3,1}", "numbers out of order in {} quantifier", 5},
        {"\xC3\xA9\xC3\xA9(?<n", "syntax error in subpattern name (missing terminator?)", 6},
        {"[\\n", "missing terminating ] for character class", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Pattern);
        TPerlRegex regex(c.Pattern, {});
        EXPECT_FALSE(regex.Valid());
        EXPECT_EQ(regex.CompileError(), c.Reason);
        EXPECT_EQ(regex.CompileErrorOffset(), c.Offset);
    }
}

// Find Previous tries growing stretches before the caret; their edges fall inside characters
// of a long UTF-8 text and must not break one.
TEST(PerlRegex, FindPreviousFindsTheLastHitFarBackInUtf8) {
    std::string text = "needle ";
    for (int i = 0; i < 50'000; ++i)
        text += "\xC3\xA9\xE2\x82\xAC"; // é €
    text += " needle€";
    TKorSynEdit editor;
    editor.SetRawText(text);
    const auto end = static_cast<unsigned long>(text.size());
    editor.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, end);
    TSearchOptions options;
    options.Search = "n\\w+e";
    options.RegEx = true;
    options.Backwards = true;
    ASSERT_EQ(SearchReplace(editor, options, false, nullptr).Outcome, TSearchOutcome::Found);
    EXPECT_EQ(editor.SelectionStartPosition(), static_cast<long long>(text.size()) - 9);
    ASSERT_EQ(SearchReplace(editor, options, false, nullptr).Outcome, TSearchOutcome::Found);
    EXPECT_EQ(editor.SelectionStartPosition(), 0);
    EXPECT_EQ(editor.SelectedRawText(), "needle");
}

TEST(Utf8Scan, FindsEveryKindOfMalformedSequence) {
    const std::pair<std::string, size_t> cases[] = {
        {"plain ascii text longer than eight", std::string::npos},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", std::string::npos},
        {"ab\x80", 2},           // a stray continuation byte
        {"\xC0\xAF", 0},         // overlong
        {"\xE0\x80\xAF", 0},     // overlong, three bytes
        {"x\xED\xA0\x80", 1},    // a surrogate
        {"\xF4\x90\x80\x80", 0}, // past U+10FFFF
        {"\xE2\x82", 0},         // cut short
        {"abcdefgh\xC3", 8},     // cut short after a run of ASCII
    };
    for (const auto& [text, first] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(FirstInvalidUtf8(text), first);
    }
    std::string encoded;
    for (const char32_t c : {U'A', U'é', U'€', U'😀'})
        AppendUtf8(encoded, c);
    EXPECT_EQ(encoded, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(DecodeUtf8(encoded, 6, 4), U'😀');
}

} // namespace
} // namespace korvane::test
