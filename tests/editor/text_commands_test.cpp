#include "editor/text_commands.h"
#include "scripted_prompt.h"
#include "temp_dir.h"
#include "widgets/kor_syn_edit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>

namespace korvane::test {
namespace {

// Each command on a text with a selection, from anchor to caret (byte positions; -1: none).
TEST(TextCommands, GiveTheirOutputsAndUndoInOneStep) {
    struct Case {
        const char* Name;
        std::string Text;
        long Anchor, Caret;
        std::function<void(TKorSynEdit&)> Command;
        std::string Expected;
        const char* Entered = nullptr; // typed into the input box, if one is asked
    };
    const Case cases[] = {
        {"upper case", "école été", 0, 12,
         [](TKorSynEdit& e) { ChangeCase(e, TCaseChange::Upper); }, "ÉCOLE ÉTÉ"},
        {"case with nothing selected", "abc", -1, 1,
         [](TKorSynEdit& e) { ChangeCase(e, TCaseChange::Upper); }, "abc"},
        {"word case", "hELLO wORLD", 0, 11,
         [](TKorSynEdit& e) { ChangeCase(e, TCaseChange::Word); }, "Hello World"},
        {"comment", "a\r\n# b\r\nc", 0, 9, [](TKorSynEdit& e) { CommentLines(e, false); },
         "# a\r\n# b\r\n# c"},
        {"comment stacking", "a\r\n# b\r\nc", 0, 9, [](TKorSynEdit& e) { CommentLines(e, true); },
         "# a\r\n# # b\r\n# c"},
        {"uncomment", "#  x\r\n##y\r\nz", 0, 11, [](TKorSynEdit& e) { UncommentLines(e); },
         " x\r\n#y\r\nz"},
        {"indent", "a\r\n  b", 0, 6, [](TKorSynEdit& e) { IndentLines(e, false); }, "  a\r\n    b"},
        {"unindent the caret's line", "a\r\n  b", -1, 5,
         [](TKorSynEdit& e) { IndentLines(e, true); }, "a\r\nb"},
        {"print lines", "say \"hi\"\r\nbye", 0, 13, [](TKorSynEdit& e) { PrintLines(e); },
         "print \"say \\\"hi\\\"\\n\";\r\nprint \"bye\";"},
        {"print lines of nothing", "", -1, 0, [](TKorSynEdit& e) { PrintLines(e); }, "print \"\";"},
        {"here-document", "$a costs 5%", 0, 11, [](TKorSynEdit& e) { PrintHereDocLines(e); },
         "print <<_EOT;\r\n\\$a costs 5\\%\r\n_EOT\r\n"},
        {"dos echo", "a&b\r\n\r\n100%", 0, 11, [](TKorSynEdit& e) { DosEcho(e); },
         "@echo off\r\necho a^&b\r\necho.\r\necho 100%%\r\n"},
        {"embed scalar", "x = $x+1;", 4, 8, [](TKorSynEdit& e) { EmbedSelection(e, false, ""); },
         "x = ${\\($x+1)};"},
        {"embed array typed", "", -1, 0, [](TKorSynEdit& e) { EmbedSelection(e, true, "@a"); },
         "@{[sort @a]}", "sort @a"},
        {"embed cancelled", "", -1, 0, [](TKorSynEdit& e) { EmbedSelection(e, false, "$x"); }, ""},
        {"url encode", "a b/c", 0, 5, [](TKorSynEdit& e) { UrlCodeSelection(e, false); },
         "a%20b%2fc", "a b/c"},
        {"url decode", "", -1, 0, [](TKorSynEdit& e) { UrlCodeSelection(e, true); }, "é/",
         "%C3%A9%2F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ScriptedPrompt prompt;
        if (c.Entered) prompt.QueueText(c.Entered);
        TKorSynEdit editor;
        editor.setIndentationsUseTabs(false);
        editor.SetRawText(c.Text);
        if (c.Anchor < 0)
            editor.SendScintilla(QsciScintillaBase::SCI_GOTOPOS,
                                 static_cast<unsigned long>(c.Caret));
        else
            editor.SendScintilla(QsciScintillaBase::SCI_SETSEL,
                                 static_cast<unsigned long>(c.Anchor), c.Caret);
        c.Command(editor);
        EXPECT_EQ(editor.RawText(), c.Expected);
        if (editor.RawText() != c.Text) {
            editor.undo();
            EXPECT_EQ(editor.RawText(), c.Text) << "one undo step";
        }
    }
}

// Case commands change every letter of a UTF-8 page; a byte that is not UTF-8 stays.
TEST(TextCommands, CaseCommandsFollowUnicode) {
    struct Case {
        TCaseChange Change;
        std::string Text;
        std::string Expected;
    };
    const Case cases[] = {
        {TCaseChange::Upper, "straße привет été", "STRASSE ПРИВЕТ ÉTÉ"},
        {TCaseChange::Lower, "ÉCOLE ΣΟΦΊΑ ДОМ", "école σοφία дом"},
        {TCaseChange::Title, "élan VITAL. über", "Élan Vital. Über"},
        {TCaseChange::Word, "élan ÜBER ǆungla", "Élan Über ǅungla"},
        {TCaseChange::Upper, "caf\xE9 x", "CAF\xE9 X"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        TKorSynEdit editor;
        editor.SetRawText(c.Text);
        editor.selectAll();
        ChangeCase(editor, c.Change);
        EXPECT_EQ(editor.RawText(), c.Expected);
        EXPECT_EQ(editor.SelectedRawText(), c.Expected) << "the changed text stays selected";
    }
}

// Under auto-indent the terminator used to be indented, and Perl then found no end.
TEST(TextCommands, HereDocumentRunsUnderAutoIndent) {
    TKorSynEdit editor;
    editor.setAutoIndent(true);
    editor.setIndentationsUseTabs(false);
    const std::string body = "    $total costs 5% of @all\r\n      (indented)\r\n";
    editor.SetRawText(body);
    editor.selectAll();
    PrintHereDocLines(editor);
    EXPECT_EQ(editor.RawText(), "print <<_EOT;\r\n    \\$total costs 5\\% of \\@all\r\n"
                                "      (indented)\r\n_EOT\r\n");
    TempDir dir;
    const std::string script = dir.File("heredoc.pl");
    std::string unix = editor.RawText();
    for (size_t at = unix.find('\r'); at != std::string::npos; at = unix.find('\r', at))
        unix.erase(at, 1);
    std::ofstream(script, std::ios::binary) << unix;
    FILE* perl = popen(("perl '" + script + "' 2>&1").c_str(), "r");
    ASSERT_NE(perl, nullptr);
    std::string printed;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, perl))
        printed.append(buffer, n);
    EXPECT_EQ(pclose(perl), 0) << printed;
    EXPECT_EQ(printed, "    $total costs 5% of @all\n      (indented)\n");
}

// The line commands change thousands of lines as one edit: listeners hear of it once, one undo
// takes it back, and marks stay on their lines.
TEST(TextCommands, LineCommandsAreOneEditOverThousandsOfLines) {
    struct Case {
        const char* Name;
        std::function<void(TKorSynEdit&)> Command;
        std::string Line;     // every line of the text
        std::string Expected; // every line after the command
    };
    const Case cases[] = {
        {"comment", [](TKorSynEdit& e) { CommentLines(e, false); }, "x = 1;", "# x = 1;"},
        {"comment stacking", [](TKorSynEdit& e) { CommentLines(e, true); }, "# x", "# # x"},
        {"uncomment", [](TKorSynEdit& e) { UncommentLines(e); }, "# x", "x"},
        {"indent", [](TKorSynEdit& e) { IndentLines(e, false); }, "\tx", "      x"},
        {"unindent", [](TKorSynEdit& e) { IndentLines(e, true); }, "     x", "   x"},
    };
    constexpr int Lines = 3000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string text;
        for (int i = 0; i < Lines; ++i)
            text += c.Line + "\r\n";
        TKorSynEdit editor;
        editor.setIndentationsUseTabs(false);
        editor.setTabWidth(4);
        editor.setIndentationWidth(2);
        editor.SetRawText(text);
        editor.SetBookmark(3, 1, 1000);
        // From the first line to the end of the last full one.
        editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL,
                             static_cast<long>(text.size() - 2));
        int edits = 0;
        QObject::connect(&editor, &TKorSynEdit::TextEdited, [&edits] { ++edits; });
        c.Command(editor);
        EXPECT_EQ(edits, 1);
        ASSERT_EQ(editor.LineCount(), Lines + 1);
        EXPECT_EQ(editor.LineText(1), c.Expected);
        EXPECT_EQ(editor.LineText(Lines), c.Expected);
        EXPECT_EQ(editor.LineText(Lines + 1), "") << "the empty last line is left alone";
        int column = 0, line = 0;
        ASSERT_TRUE(editor.GetBookmark(3, column, line));
        EXPECT_EQ(line, 1000);
        editor.undo();
        EXPECT_EQ(editor.RawText(), text);
    }
}

TEST(TextCommands, TextsForPagesAreEscapedWhereTheyLand) {
    EXPECT_EQ(MetaTagLines("Tom & \"Jerry\"", "<b>", "perl, cgi"),
              "<META NAME=\"AUTHOR\" CONTENT=\"Tom &amp; &quot;Jerry&quot;\">\r\n"
              "<META NAME=\"DESCRIPTION\" CONTENT=\"&lt;b&gt;\">\r\n"
              "<META NAME=\"KEYWORDS\" CONTENT=\"perl, cgi\">\r\n");
    // "à" ends in the byte A0: only the real non-breaking space becomes a blank.
    EXPECT_EQ(WithoutNbsp("voil\xC3\xA0\xC2\xA0!"), "voil\xC3\xA0 !");
}

} // namespace
} // namespace korvane::test
