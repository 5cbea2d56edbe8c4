#include "editor/bracket_depth.h"
#include "editor/bracket_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace korvane::test {
namespace {

// The count the index must agree with: one scan of the whole text from its start.
int WholeTextDepth(std::string_view text, size_t end, int pair, bool perlComments) {
    int depth = 0;
    bool inComment = false;
    for (size_t i = 0; i < std::min(end, text.size()); ++i) {
        const char c = text[i];
        if (inComment)
            inComment = c != '\r' && c != '\n';
        else if (c == BracketOpenings[pair])
            ++depth;
        else if (c == BracketClosings[pair])
            --depth;
        else if (c == '#' && perlComments)
            inComment = true;
    }
    return depth;
}

TBracketIndex::TReader Reader(const std::string& text) {
    return [&text](size_t start, size_t length) {
        EXPECT_LE(start + length, text.size()) << "a read past the text";
        EXPECT_LE(length, 2 * TBracketIndex::PieceSize) << "a read larger than two pieces";
        return std::string_view(text).substr(start, length);
    };
}

TEST(BracketIndex, CountsLikeAScanFromTheStart) {
    struct Case {
        const char* Text;
        bool Perl;
        size_t End;
        int Pair;
        int Depth;
    };
    const Case cases[] = {
        {"f((a)", false, 5, 0, 1},
        {"{ # {\r\n {", true, 9, 1, 2},
        {"{ # {\r\n {", false, 9, 1, 3},
        {"{ # {\n {", true, 8, 1, 2}, // a comment also ends at a bare line feed
        {"{ # {\r{", true, 7, 1, 2},  // and at a bare carriage return
        {"{ # {", true, 5, 1, 1},     // a comment to the end of the text
        {"[<a>] # ]", true, 9, 2, 0}, // every pair counts for itself
        {"<<<", false, 2, 3, 2},      // up to, not including, the end
        {"}}{", false, 3, 1, -1},     // more closings than openings
        {"", true, 10, 0, 0},
    };
    for (const Case& c : cases) {
        const std::string text = c.Text;
        TBracketIndex index;
        index.SetPerlComments(c.Perl);
        index.Reset(text.size());
        EXPECT_EQ(index.Depth(Reader(text), c.End, c.Pair), c.Depth) << c.Text;
        EXPECT_EQ(index.Depth(Reader(text), c.End, c.Pair),
                  WholeTextDepth(text, c.End, c.Pair, c.Perl))
            << c.Text;
    }
}

// Random edits, large and small, over a text of brackets, comments and line ends of every
// kind: after each, the depth at random places must match a whole-text scan. Queries between
// edits leave pieces counted that later edits must mark again.
TEST(BracketIndex, FollowsRandomEditsLikeAWholeTextScan) {
    std::mt19937 random(38);
    const std::string alphabet = "({[<>]})#\r\n ab";
    const auto randomText = [&](size_t length) {
        std::string text(length, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        return text;
    };
    for (const bool perl : {true, false}) {
        std::string text = randomText(5 * TBracketIndex::PieceSize + 123);
        TBracketIndex index;
        index.SetPerlComments(perl);
        index.Reset(text.size());
        for (int step = 0; step < 400; ++step) {
            const size_t position = text.empty() ? 0 : random() % (text.size() + 1);
            // Mostly keys, sometimes a paste of several pieces.
            const size_t length =
                step % 50 == 7 ? 3 * TBracketIndex::PieceSize + random() % 999 : random() % 4;
            if (random() % 3 == 0) {
                const size_t removed = std::min(length, text.size() - position);
                index.Deleted(position, removed);
                text.erase(position, removed);
            } else {
                const std::string added = randomText(length);
                index.Inserted(position, added.size());
                text.insert(position, added);
            }
            ASSERT_EQ(index.Length(), text.size());
            for (int query = 0; query < 3; ++query) {
                const size_t end = random() % (text.size() + 1);
                const int pair = static_cast<int>(random() % BracketPairCount);
                ASSERT_EQ(index.Depth(Reader(text), end, pair),
                          WholeTextDepth(text, end, pair, perl))
                    << "step " << step << ", end " << end << ", pair " << pair << ", perl " << perl;
            }
        }
        // Deleting everything leaves nothing to count.
        index.Deleted(0, text.size());
        text.clear();
        EXPECT_EQ(index.Depth(Reader(text), 10, 1), 0);
    }
}

TEST(BracketIndex, ChangingTheCommentRuleCountsAgain) {
    const std::string text = "{ # {\r\n";
    TBracketIndex index;
    index.Reset(text.size());
    EXPECT_EQ(index.Depth(Reader(text), text.size(), 1), 2);
    index.SetPerlComments(true);
    EXPECT_EQ(index.Depth(Reader(text), text.size(), 1), 1);
}

TEST(BracketDisplay, LevelOfTheBracketAtTheCaretElseTheBlockDepth) {
    TBracketIndex index;
    std::string text;
    const auto query = [&](std::string_view source, size_t caret, bool perl) {
        text = source;
        index.SetPerlComments(perl);
        index.Reset(text.size());
        TBracketQuery q;
        q.Length = text.size();
        q.Caret = caret;
        q.CharAt = [&](size_t i) { return text.at(i); };
        q.Depth = [&](size_t end, int pair) { return index.Depth(Reader(text), end, pair); };
        return q;
    };
    const auto panel = [&](std::string_view source, size_t caret, bool perl = true,
                           bool html = false, bool selection = false) {
        TBracketQuery q = query(source, caret, perl);
        q.IsHTML = html;
        q.HasSelection = selection;
        return BracketDisplay(q).Panel;
    };
    EXPECT_EQ(panel("f(a)", 3), "Level 1") << "the closing bracket after the caret";
    EXPECT_EQ(panel("f(a)", 1), "Level 1") << "the opening bracket shows the same level";
    EXPECT_EQ(panel("f(a)", 4), "Level 1") << "the closing bracket before the caret";
    EXPECT_EQ(panel("f((a))", 5), "Level 1");
    EXPECT_EQ(panel("f((a))", 4), "Level 2");
    EXPECT_EQ(panel("sub x {\r\n  my $a = 1;\r\n}", 14), "Block 1");
    EXPECT_EQ(panel("sub x {\r\n  my $a = 1;\r\n}", 14, true, false, true), "")
        << "a selection shows nothing";
    EXPECT_EQ(panel("{ # {\r\n x", 9), "Block 1") << "a Perl comment hides its brackets";
    EXPECT_EQ(panel("{ # {\r\n x", 9, false), "Block 2") << "elsewhere # is text";
    EXPECT_EQ(panel("<a <b>", 6, false, true), "Level 2") << "angle brackets pair up on HTML pages";
    EXPECT_EQ(panel("<a <b>", 6, true, false), "") << "and only there";
    EXPECT_EQ(panel("{ x } y", 7), "") << "past a closed block";

    TBracketQuery inString = query("x = \"(\"", 6, true);
    inString.IsSymbol = [](size_t) { return false; };
    EXPECT_EQ(BracketDisplay(inString).Bracket, -1) << "a bracket inside a string is not examined";
}

} // namespace
} // namespace korvane::test
