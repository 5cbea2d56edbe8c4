#include "editor_fixture.h"

#include "editor/confirm_replace_dialog.h"
#include "editor/find_dlg.h"
#include "editor/text_search.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>

#include <fstream>

namespace korvane::test {
namespace {

class SearchTest : public EditorTest {
protected:
    TKorSynEdit& Page(const std::string& text) {
        TEditorPage& page = NewTempPage();
        page.Editor()->SetRawText(text);
        Current = &page;
        return *page.Editor();
    }
    void Options(const std::string& search, const std::string& replace, bool regEx = false) {
        Project->setLastSearch(search);
        Project->setLastReplace(replace);
        Project->setSearchRegEx(regEx);
        Project->setReplacePrompt(false);
    }
    // The main window's "Replace &All".
    void ReplaceAllCommand() {
        Project->setReplaceAll(true);
        Project->setSearchScope(1);
        Current->DoSearchReplace(true, true, false);
    }
    std::string Selected() { return Current->Editor()->SelectedRawText(); }
    long long SelStart() { return Current->Editor()->SelectionStartPosition(); }

    TEditorPage* Current = nullptr;
};

TEST_F(SearchTest, ReplaceAllEndsAfterEveryKindOfHitAndUndoesInOneStep) {
    struct Case {
        const char* Search;
        const char* Replace;
        bool RegEx;
        bool MatchCase;
        bool WholeWords;
        std::string Text;
        std::string Expected;
    };
    const Case cases[] = {
        // Empty matches and replacements holding their own search text must not loop.
        {"x*", "-", true, false, false, "ab", "-a-b-"},
        {"a", "aa", false, false, false, "banana", "baanaanaa"},
        {"$", ";", true, false, false, "a\r\nb", "a;\r\nb;"},
        {"(\\w+)=(\\d+)", "\\2=\\1", true, false, false, "a=1, b=22", "1=a, 22=b"},
        {"in", "IN", false, false, true, "in inside in", "IN inside IN"},
        {"\\bin\\b|x", "_", true, false, false, "in inside x", "_ inside _"},
        {"Foo", "bar", false, false, false, "foo FOO", "bar bar"},
        {"Foo", "bar", false, true, false, "foo FOO Foo", "foo FOO bar"},
        // UTF-8 text around the hits keeps its characters.
        {"é", "e", false, true, false, "café élan", "cafe elan"},
        {"é+", "[\\0]", true, true, false, "ééa", "[éé]a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Search + std::string(" in ") + c.Text);
        TKorSynEdit& editor = Page(c.Text);
        Options(c.Search, c.Replace, c.RegEx);
        Project->setSearchMatchCase(c.MatchCase);
        Project->setSearchWholeWords(c.WholeWords);
        ReplaceAllCommand();
        EXPECT_EQ(editor.RawText(), c.Expected);
        EXPECT_EQ(Project->SearchScope(), 0) << "later repeats go on from the caret";
        editor.undo();
        EXPECT_EQ(editor.RawText(), c.Text) << "one undo takes the whole replacement back";
    }
    EXPECT_TRUE(Prompt.Records().empty());
}

TEST_F(SearchTest, ReplaceAllOfLineStartPrefixesEachOfAThousandLinesOnce) {
    std::string text;
    for (int i = 1; i <= 1000; ++i)
        text += (i > 1 ? "\r\n" : "") + std::string("print ") + std::to_string(i) + ";";
    TKorSynEdit& editor = Page(text);
    editor.SetCaret(1, 500); // the command searches the whole text wherever the caret is
    Options("^", "# ", true);
    ReplaceAllCommand();
    ASSERT_EQ(editor.LineCount(), 1000);
    for (int line = 1; line <= 1000; ++line)
        ASSERT_EQ(editor.LineText(line), "# print " + std::to_string(line) + ";") << line;
    editor.undo();
    EXPECT_EQ(editor.RawText(), text);
    EXPECT_FALSE(editor.isUndoAvailable());
}

TEST_F(SearchTest, MarksFollowAReplaceAllThatAddsLinesAndItsUndo) {
    std::string text = "x;";
    for (int i = 2; i <= 10; ++i)
        text += "\r\nx;";
    TKorSynEdit& editor = Page(text);
    Current->AddBreakPoint(5);
    editor.SetBookmark(1, 1, 8);
    Options("x;", "x;\\r\\ny;", true);
    ReplaceAllCommand();
    ASSERT_EQ(editor.LineCount(), 20);
    int column = 0, line = 0;
    // As when typed: a mark follows the rest of its line, here the line added after the hit.
    ASSERT_TRUE(editor.GetBookmark(1, column, line));
    EXPECT_EQ(line, 16);
    ASSERT_EQ(Current->Breakpoints().Count(), 1);
    EXPECT_EQ(Current->Breakpoints()[0].Line, 10);
    EXPECT_EQ(editor.markerFindNext(0, 1 << TKorSynEdit::BreakpointMarker), 9);
    editor.undo();
    EXPECT_EQ(editor.RawText(), text);
    ASSERT_TRUE(editor.GetBookmark(1, column, line));
    EXPECT_EQ(line, 8);
    EXPECT_EQ(Current->Breakpoints()[0].Line, 5);
    editor.redo();
    EXPECT_EQ(Current->Breakpoints()[0].Line, 10);
}

TEST_F(SearchTest, ReplaceInSelectionKeepsToItWhileTheTextGrowsAndShrinks) {
    TKorSynEdit& editor = Page("a a\r\na a\r\na a\r\na a");
    editor.setSelection(1, 0, 2, 3); // lines 2 and 3
    Options("a", "xyz");
    Project->setReplaceAll(true);
    Project->setSearchScope(2);
    Current->DoSearchReplace(true, true, true);
    EXPECT_EQ(editor.RawText(), "a a\r\nxyz xyz\r\nxyz xyz\r\na a");
    EXPECT_EQ(Selected(), "xyz xyz\r\nxyz xyz") << "the selection covers the grown text";
    Options("xyz ", "");
    Current->DoSearchReplace(true, true, true);
    EXPECT_EQ(editor.RawText(), "a a\r\nxyz\r\nxyz\r\na a");
    EXPECT_EQ(Selected(), "xyz\r\nxyz");
    EXPECT_EQ(Project->SearchScope(), 2) << "only the whole-document scope switches back";
}

TEST_F(SearchTest, FindStepsPassTheSelectionWrapAndGoBackwards) {
    TKorSynEdit& editor = Page("one two one\r\nsubone one");
    Options("one", "");
    Project->setSearchWholeWords(true);
    Project->setSearchScope(1);
    Current->DoSearchReplace(false, true, false); // F4 from the whole document
    EXPECT_EQ(SelStart(), 0);
    EXPECT_EQ(Project->SearchScope(), 0);
    Current->DoSearchReplace(false, true, false);
    EXPECT_EQ(SelStart(), 8) << "the selected hit is passed over";
    Current->DoSearchReplace(false, true, false);
    EXPECT_EQ(SelStart(), 20) << "whole words skip \"subone\"";
    Current->DoSearchReplace(false, true, false);
    EXPECT_FALSE(editor.hasSelectedText()) << "past the last hit the search stops";
    Current->DoSearchReplace(false, true, false);
    EXPECT_EQ(SelStart(), 0) << "and the step after goes on from the top";
    Current->DoSearchReplace(false, false, false); // Shift+F4
    EXPECT_FALSE(editor.hasSelectedText()) << "backwards from the first hit stops";
    Current->DoSearchReplace(false, false, false);
    EXPECT_EQ(SelStart(), 20) << "and the step after goes on from the bottom";
    Current->DoSearchReplace(false, false, false);
    EXPECT_EQ(SelStart(), 8);
    EXPECT_EQ(Selected(), "one");
    EXPECT_TRUE(Prompt.Records().empty()) << "hits need no message";

    // Not found: F4 only beeps; from the dialog the message says so.
    Options("three", "");
    Current->DoSearchReplace(false, true, false);
    EXPECT_TRUE(Prompt.Records().empty());
    EXPECT_FALSE(editor.hasSelectedText());
    Current->DoSearchReplace(false, true, true);
    EXPECT_EQ(Prompt.TextsShown(), std::vector<std::string>{"Text three not found."});
}

TEST_F(SearchTest, ConfirmationAnswersReplaceSkipAllOrStop) {
    struct Case {
        std::vector<PromptButton> Answers;
        std::string Expected;
    };
    const Case cases[] = {
        {{pbYes, pbNo, pbYesToAll}, "b a b b b"},
        {{pbNo, pbYes, pbCancel}, "a b a a a"},
        {{pbNo, pbNo, pbNo, pbNo, pbYes}, "a a a a b"},
    };
    for (const Case& c : cases) {
        TKorSynEdit& editor = Page("a a a a a");
        Options("a", "b");
        Project->setReplacePrompt(true);
        Prompt.ClearRecords();
        for (PromptButton answer : c.Answers)
            Prompt.QueueAnswer(answer);
        ReplaceAllCommand();
        EXPECT_EQ(editor.RawText(), c.Expected);
        ASSERT_FALSE(Prompt.Records().empty());
        EXPECT_EQ(Prompt.Records()[0].Text, "Replace this occurence of \"a\"?");
        EXPECT_EQ(Prompt.Records()[0].Buttons, pbYes | pbNo | pbCancel | pbYesToAll);
        editor.undo();
        EXPECT_EQ(editor.RawText(), "a a a a a");
    }
    // A hit equal to its replacement is skipped without a question.
    TKorSynEdit& editor = Page("same same");
    Options("same", "same");
    Project->setReplacePrompt(true);
    Prompt.ClearRecords();
    ReplaceAllCommand();
    EXPECT_TRUE(Prompt.Records().empty());
    EXPECT_FALSE(editor.Modified());
}

TEST_F(SearchTest, ReplaceNextAndPreviousReplaceOneHitEachAndShowTheNext) {
    TKorSynEdit& editor = Page("x1 x2 x3");
    editor.SetCaret(4, 1);
    Options("x", "y");
    Project->setReplaceAll(false);
    Current->DoSearchReplace(true, true, false); // F6
    EXPECT_EQ(editor.RawText(), "x1 y2 x3");
    EXPECT_EQ(Selected(), "x");
    EXPECT_EQ(SelStart(), 6) << "the hit the next step replaces";
    Current->DoSearchReplace(true, false, false); // Shift+F6 replaces the hit shown
    EXPECT_EQ(editor.RawText(), "x1 y2 y3");
    EXPECT_EQ(SelStart(), 0) << "and shows the one before";
    Current->DoSearchReplace(true, false, false);
    EXPECT_EQ(editor.RawText(), "y1 y2 y3");
    EXPECT_FALSE(editor.hasSelectedText());
}

TEST_F(SearchTest, EmptyTextAndBadPatternsSayWhyAndChangeNothing) {
    TKorSynEdit& editor = Page("(acb) aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa!b");
    const std::string text = editor.RawText();
    Options("", "x");
    ReplaceAllCommand();
    Options("(ab", "x", true);
    ReplaceAllCommand();
    Current->DoSearchReplace(false, true, true);
    Options("é[", "x", true); // the position counts characters, not bytes
    Current->DoSearchReplace(false, true, true);
    Options("(a)", "$2", true);
    ReplaceAllCommand();
    Options("(?<x>a)", "${y}", true);
    ReplaceAllCommand();
    Options("(a+)+b", "x", true); // backtracks without end on the row of a's
    ReplaceAllCommand();
    EXPECT_EQ(editor.RawText(), text);
    const std::vector<std::string> expected = {
        "There is no text to search for: enter one with \"Find...\".",
        "\"(ab\" is not a valid regular expression: missing closing parenthesis at offset 3. "
        "Nothing was searched.",
        "\"(ab\" is not a valid regular expression: missing closing parenthesis at offset 3. "
        "Nothing was searched.",
        "\"é[\" is not a valid regular expression: missing terminating ] for character class at "
        "offset 2. Nothing was searched.",
        "The replacement uses group 2, but the expression has only 1 group. Nothing was "
        "replaced.",
        "The replacement uses the group named \"y\", but the expression has no group of that "
        "name. Nothing was replaced.",
        "The regular expression \"(a+)+b\" gave up on this text: match limit exceeded.",
    };
    EXPECT_EQ(Prompt.TextsShown(), expected);
}

TEST_F(SearchTest, DialogsKeepTheHistoriesAndOptionsInTheProject) {
    TStringList history;
    for (int i = 1; i <= 31; ++i)
        AddToHistory(history, "t" + std::to_string(i));
    ASSERT_EQ(history.size(), SearchHistoryLimit);
    EXPECT_EQ(history.front(), "t31");
    EXPECT_EQ(history.back(), "t2") << "the oldest entry went";
    AddToHistory(history, "t10");
    EXPECT_EQ(history.size(), SearchHistoryLimit);
    EXPECT_EQ(history[0], "t10");
    EXPECT_EQ(history[1], "t31");

    Project->setLastSearch("Foo");
    Project->setSearchHistory({"Foo", "bar"});
    Project->setReplaceHistory({"old"});
    Project->setSaveFindReplace(false);
    Project->setModified(false);
    TReplaceDlg dialog;
    dialog.Load(*Project, "");
    EXPECT_EQ(dialog.SearchText->currentText().toStdString(), "Foo");
    EXPECT_EQ(dialog.SearchText->count(), 2);
    dialog.SearchText->setEditText(QStringLiteral("bar"));
    dialog.ReplaceText->setEditText(QStringLiteral("baz"));
    dialog.MatchCase->setChecked(true);
    dialog.Direction->button(1)->setChecked(true);
    dialog.Scope->button(2)->setChecked(true);
    dialog.ReplaceAll->setChecked(true);
    dialog.Store(*Project);
    EXPECT_EQ(Project->LastSearch(), "bar");
    EXPECT_EQ(Project->SearchHistory(), (TStringList{"bar", "Foo"}));
    EXPECT_EQ(Project->ReplaceHistory(), (TStringList{"baz", "old"}));
    EXPECT_TRUE(Project->SearchMatchCase());
    EXPECT_TRUE(Project->SearchBackwards());
    EXPECT_EQ(Project->SearchScope(), 2);
    EXPECT_TRUE(Project->ReplaceAll());
    EXPECT_FALSE(Project->getModified()) << "search settings are not kept with this project";

    // The setters compare exactly: a search for "foo" after "Foo" is a new one.
    Project->setSaveFindReplace(true);
    Project->setLastSearch("Bar");
    EXPECT_EQ(Project->LastSearch(), "Bar");
    EXPECT_TRUE(Project->getModified());

    dialog.Load(*Project, "selected");
    EXPECT_EQ(dialog.SearchText->currentText().toStdString(), "selected");
}

// Perl's own forms, which the old ECMAScript engine did not know, in search and replacement.
TEST_F(SearchTest, ReplaceAllReadsPerlsExpressionsAndReplacements) {
    struct Case {
        const char* Search;
        const char* Replace;
        std::string Text;
        std::string Expected;
    };
    const Case cases[] = {
        {"\\Aab", "X", "ab\r\nab", "X\r\nab"}, // \A is the start of the text only
        {"ab\\z", "X", "ab\r\nab", "ab\r\nX"}, // \z its end
        {"^ab", "X", "ab\r\nab", "X\r\nX"},    // ^ every line's start
        {"(?<key>\\w+)=(?<value>\\d+)", "${value}=$+{key}", "a=1 bb=22", "1=a 22=bb"},
        {"(\\w+)@", "<$1>", "me@ you@", "<me> <you>"},
        {"foo\\Kbar", "BAZ", "foobar bar", "fooBAZ bar"},       // \K keeps "foo"
        {"a++b", "X", "aaab aaa", "X aaa"},                     // possessive
        {"(?<=\\$)\\w+", "v", "$x = y + $zz", "$v = y + $v"},   // lookbehind
        {"(?x) a \\s+ b  # a comment", "-", "a  b ab", "- ab"}, // extended
        {"(\\w+)", "\\u\\L$1", "hELLO wORLD", "Hello World"},   // case escapes
        {"(\\w)(\\w*)", "\\U$1\\E$2!", "perl is", "Perl! Is!"},
        {"x", "$&$&\\$1", "axb", "axx$1b"},
        {";$", ";\\n#", "a;\r\nb;", "a;\r\n#\r\nb;\r\n#"}, // the page's line end
        {"é", "e", "Été", "ete"},                          // Unicode case folding
        {"\\w+", "<$&>", "naïve café", "<naïve> <café>"},  // Unicode word letters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Search + std::string(" -> ") + c.Replace);
        TKorSynEdit& editor = Page(c.Text);
        Options(c.Search, c.Replace, true);
        Project->setSearchMatchCase(false);
        ReplaceAllCommand();
        EXPECT_EQ(editor.RawText(), c.Expected);
    }
    EXPECT_TRUE(Prompt.Records().empty());
}

// The old engine recursed once per character and killed the program on a line of 20,000.
TEST_F(SearchTest, AMillionCharacterLineIsSearchedAndReplaced) {
    const std::string line = "x=" + std::string(1'000'000, 'a') + "Q";
    TKorSynEdit& editor = Page("first\r\n" + line + "\r\nlast");
    Options(".*zzz", "", true);
    Current->DoSearchReplace(false, true, false);
    EXPECT_FALSE(editor.hasSelectedText()) << "nothing to find, and no crash";
    Options("x=(.*)Q", "[$1]", true);
    ReplaceAllCommand();
    EXPECT_EQ(editor.LineText(2), "[" + std::string(1'000'000, 'a') + "]");
    Options("(a|b)+Q", "Q", true); // a group repeated a million times
    editor.undo();
    ReplaceAllCommand();
    EXPECT_EQ(editor.LineText(2), "x=Q");
    EXPECT_TRUE(Prompt.Records().empty());
}

// A byte that is not UTF-8 is a character of its own and comes back unchanged.
TEST_F(SearchTest, BytesThatAreNotUtf8AreMatchedAsThemselves) {
    const std::string text = "caf\xE9 ol\xE9\r\n\xFF\xFEz \xC3\xA9t\xC3\xA9";
    struct Case {
        const char* Search;
        const char* Replace;
        std::string Expected;
    };
    const Case cases[] = {
        {"caf.", "<$&>", "<caf\xE9> ol\xE9\r\n\xFF\xFEz \xC3\xA9t\xC3\xA9"},
        {"(\\S+)$", "[$1]", "caf\xE9 [ol\xE9]\r\n\xFF\xFEz [\xC3\xA9t\xC3\xA9]"},
        {"^..z", "Z", "caf\xE9 ol\xE9\r\nZ \xC3\xA9t\xC3\xA9"},
        {"\\w+", "w", "w\xE9 w\xE9\r\n\xFF\xFEw w"},   // a stray byte is no letter
        {"é", "E", "caf\xE9 ol\xE9\r\n\xFF\xFEz EtE"}, // nor the letter it means in Latin-1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Search);
        TKorSynEdit& editor = Page(text);
        Options(c.Search, c.Replace, true);
        ReplaceAllCommand();
        EXPECT_EQ(editor.RawText(), c.Expected);
    }
}

TEST_F(SearchTest, SelectedTextOnlyKeepsToTheSelectionTheSearchBeganWith) {
    // No selection: nothing is replaced, and the message says why.
    TKorSynEdit& editor = Page("a a\r\na a\r\na a");
    editor.SetCaret(1, 2);
    Options("a", "b");
    Project->setSearchScope(2);
    Project->setReplaceAll(true);
    Current->DoSearchReplace(true, true, true);
    EXPECT_EQ(editor.RawText(), "a a\r\na a\r\na a");
    ASSERT_EQ(Prompt.TextsShown().size(), 1u);
    EXPECT_NE(Prompt.TextsShown()[0].find("no text is selected"), std::string::npos);

    // Find Next and Replace Next go from hit to hit inside the selection, and no further.
    editor.setSelection(1, 0, 1, 3); // "a a" of line 2
    Project->setReplaceAll(false);
    Current->DoSearchReplace(false, true, false);
    EXPECT_EQ(SelStart(), 5);
    Current->DoSearchReplace(false, true, false);
    EXPECT_EQ(SelStart(), 7) << "the second hit of the selection";
    Current->DoSearchReplace(true, true, false);
    Current->DoSearchReplace(true, true, false);
    Current->DoSearchReplace(true, true, false);
    EXPECT_EQ(editor.RawText(), "a a\r\na b\r\na a") << "only the selected hit was replaced";
}

TEST_F(SearchTest, FromTheCursorStopsAtTheEndAndWrapsOnTheNextStep) {
    TKorSynEdit& editor = Page("one two one");
    Options("one", "");
    editor.SetCaret(6, 1);
    Current->DoSearchReplace(false, true, false);
    EXPECT_EQ(SelStart(), 8);
    Current->DoSearchReplace(false, true, false);
    EXPECT_FALSE(editor.hasSelectedText()) << "the end stops the search";
    Current->DoSearchReplace(false, true, false);
    EXPECT_EQ(SelStart(), 0) << "the step after goes on from the top";
}

TEST_F(SearchTest, ReplaceStartsWithTheSelectedHit) {
    TKorSynEdit& editor = Page("x1 x2 x3");
    Options("x", "y");
    Project->setReplaceAll(false);
    editor.setSelection(0, 3, 0, 4); // the hit "x" of x2
    Current->DoSearchReplace(true, true, false);
    EXPECT_EQ(editor.RawText(), "x1 y2 x3");
    EXPECT_EQ(SelStart(), 6) << "the next hit is shown";
    Current->DoSearchReplace(true, true, false);
    EXPECT_EQ(editor.RawText(), "x1 y2 y3");
    // Backwards, and with Replace All from the cursor: the selected hit is replaced too.
    editor.setSelection(0, 0, 0, 1);
    Current->DoSearchReplace(true, false, false);
    EXPECT_EQ(editor.RawText(), "y1 y2 y3");
    TKorSynEdit& other = Page("ab ab ab");
    other.setSelection(0, 3, 0, 5);
    Options("ab", "-");
    Project->setReplaceAll(true);
    Project->setSearchScope(0);
    Current->DoSearchReplace(true, true, false);
    EXPECT_EQ(other.RawText(), "ab - -");
}

// A regular-expression \n or \r gives the page's own line end, never a lone LF or CR.
TEST_F(SearchTest, LineBreaksInAReplacementAreThePagesOwn) {
    for (const char* file : {"crlf.txt", "lf.txt"}) {
        SCOPED_TRACE(file);
        const bool crlf = std::string(file) == "crlf.txt";
        const std::string path = Dir.File(file);
        const std::string eol = crlf ? "\r\n" : "\n";
        std::ofstream(path, std::ios::binary) << "a;b;" << eol << "c" << eol;
        TEditorPage& page = Open(path);
        Current = &page;
        Options(";", ";\\n", true);
        ReplaceAllCommand();
        Options("c", "c\\rd", true);
        ReplaceAllCommand();
        page.SaveToFile(path, true);
        std::ifstream in(path, std::ios::binary);
        const std::string saved((std::istreambuf_iterator<char>(in)), {});
        const std::string expected = "a;" + eol + "b;" + eol + eol + "c" + eol + "d" + eol;
        EXPECT_EQ(saved, expected);
    }
}

TEST(ConfirmReplacePlacement, StaysInsideTheWindowAndOffTheLine) {
    struct Case {
        QSize Dialog;
        int X, Y1, Y2;
        QPoint Expected;
    };
    const QRect window(100, 50, 600, 300); // the lower third starts below y 250
    const Case cases[] = {
        {{200, 80}, 150, 100, 116, {150, 120}}, // below the line, at the hit
        {{200, 80}, 650, 100, 116, {500, 120}}, // pulled back inside the right edge
        {{200, 80}, 150, 260, 276, {150, 176}}, // in the lower third: above the line
        {{700, 80}, 150, 100, 116, {50, 120}},  // wider than the window: centred on it
        {{200, 80}, 150, 234, 250, {150, 254}}, // exactly at two thirds stays below
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceNearTextPosition(c.Dialog, window, c.X, c.Y1, c.Y2), c.Expected)
            << c.X << "," << c.Y1;
}

} // namespace
} // namespace korvane::test

namespace korvane::test {
namespace {

// Case-sensitive plain text is searched in the editor's bytes rather than by the engine; the
// engine's own search of the same text (as an escaped regular expression) is the oracle.
TEST(PlainSearch, FindsWhatTheEngineFindsInEveryDirectionAndRange) {
    const std::string text = "ab$x ab\r\n$xx ab$x\r\nab";
    // (The oracle reads one line at a time, so no pattern spans a line end.)
    const std::string patterns[] = {"ab", "$x", "b$x", "x ab", "zz"};
    struct Range {
        long Anchor, Caret;
        TSearchScope Scope;
        bool Backwards;
    };
    const Range ranges[] = {
        {0, 0, TSearchScope::FromCursor, false},   {3, 3, TSearchScope::FromCursor, false},
        {7, 7, TSearchScope::FromCursor, true},    {22, 22, TSearchScope::FromCursor, true},
        {1, 6, TSearchScope::FromCursor, false},   {1, 6, TSearchScope::FromCursor, true},
        {2, 17, TSearchScope::Selection, false},   {2, 17, TSearchScope::Selection, true},
        {20, 20, TSearchScope::FromCursor, false}, {0, 0, TSearchScope::WholeDocument, true},
    };
    const auto run = [&text](const TSearchOptions& options, const Range& range, bool replace) {
        TKorSynEdit editor;
        editor.SetRawText(text);
        editor.SendScintilla(QsciScintillaBase::SCI_SETSEL,
                             static_cast<unsigned long>(range.Anchor), range.Caret);
        const TSearchResult result = SearchReplace(editor, options, replace, nullptr);
        return std::tuple(result.Outcome, result.Wrapped, result.Replaced,
                          editor.SelectionStartPosition(), editor.SelectionEndPosition(),
                          editor.RawText());
    };
    for (const std::string& pattern : patterns) {
        for (const Range& range : ranges) {
            for (const bool all : {false, true}) {
                SCOPED_TRACE(pattern + " from " + std::to_string(range.Anchor) + " to " +
                             std::to_string(range.Caret) + (range.Backwards ? " back" : "") +
                             (all ? " replacing all" : ""));
                TSearchOptions bytes{pattern, "<>",        true,  false, range.Backwards,
                                     false,   range.Scope, false, all};
                TSearchOptions engine = bytes;
                engine.RegEx = true;
                engine.Search.clear();
                for (const char c : pattern) {
                    if (c == '$') engine.Search += '\\';
                    engine.Search += c;
                }
                EXPECT_EQ(run(bytes, range, all), run(engine, range, all));
            }
        }
    }
}

} // namespace
} // namespace korvane::test
