#include "editor/text_commands.h"
#include "scripted_prompt.h"
#include "widgets/kor_syn_edit.h"

#include <gtest/gtest.h>

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
         [](TKorSynEdit& e) { ChangeCase(e, TCaseChange::Upper); }, "éCOLE éTé"},
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
