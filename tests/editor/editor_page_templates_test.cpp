// Pages and the templates they reach by alias: "new" for a new temporary page, the
// extension's template when a page is saved as another type, "char_ents" for HTML.
#include "editor_fixture.h"

#include "template_menus/template_commands.h"
#include "templates/code_template.h"

#include <QAction>
#include <QMenu>

namespace korvane::test {
namespace {

class PageTemplatesTest : public EditorTest {
protected:
    PageTemplatesTest() {
        TCodeTemplate& root = Project->CodeTemplates();
        const auto add = [&root](const std::string& alias, std::vector<std::string> lines) {
            root.AddChild(alias)->SetLines(lines);
        };
        add("new", {"#!/usr/bin/perl", "use strict;", "##CURSOR##"});
        add(".pl", {"#!/usr/bin/perl", "use strict;", "##CURSOR##"});
        add(".php", {"<?php", "##PROMPT:Title:t##", "##CURSOR##"});
        add(".sql", {"-- ##PROMPT:Purpose##", "##CURSOR##"});
        TCodeTemplate* entities = root.AddChild("char_ents");
        entities->AddChild()->SetDescription("amp [&]");
        entities->LastChild()->SetLines({" &amp; "});
    }
};

TEST_F(PageTemplatesTest, NewPagesStartFromTheirTemplatesAndKeepWhatTheUserWrote) {
    TEditorPage& page = NewTempPage();
    TKorSynEdit& editor = *page.Editor();
    EXPECT_EQ(editor.RawText(), "#!/usr/bin/perl\r\nuse strict;\r\n");
    EXPECT_FALSE(editor.Modified());
    EXPECT_EQ(editor.CaretLine(), 3);

    // Saved as PHP: the Perl beginning becomes the PHP template (asked for), the rest stays.
    editor.ReplaceSelectionRaw("print 1;");
    Prompt.QueueText("Home");
    page.SaveToFileExt(page.TempFileName(), ".php", true, true, Now());
    EXPECT_EQ(editor.RawText(), "<?php\r\nHome\r\n\r\nprint 1;");

    // An empty page takes the new type's template without questions.
    TEditorPage& empty = NewTempPage();
    empty.Editor()->ClearAllUndoable();
    Prompt.ClearRecords();
    empty.SaveToFileExt(Dir.File("site/setup.sql"), "", true, true, Now());
    EXPECT_EQ(empty.Editor()->RawText(), "-- \r\n");
    EXPECT_TRUE(Prompt.Records().empty());

    // Text of the user's that is not a template's is never replaced, however short.
    for (const std::string text : {"ab", "print 2;"}) {
        TEditorPage& own = NewTempPage();
        own.Editor()->ClearAllUndoable();
        own.Editor()->ReplaceSelectionRaw(text);
        own.SaveToFileExt(own.TempFileName(), ".php", true, true, Now());
        EXPECT_EQ(own.Editor()->RawText(), text);
    }
}

TEST_F(PageTemplatesTest, HtmlConversionTakesTheEntitiesOfTheCharEntsTemplate) {
    TEditorPage& page = NewTempPage();
    page.Editor()->SetRawText("a&b");
    page.Editor()->selectAll();
    page.ConvertToHTML(false);
    EXPECT_EQ(page.Editor()->RawText(), "a&amp;b");
}

TEST_F(PageTemplatesTest, TheInsertCommandNamesTheWordAndExpandsItsTemplate) {
    Project->CodeTemplates().AddChild("foreachx")->SetLines({"for (##PROMPT:N##) {}"});
    TEditorPage& page = NewTempPage();
    QMenu menu;
    QWidget window;
    TTemplateCommands commands(menu, window);
    commands.Attach(*Project, [&page] { return &page; });
    QAction& insert = commands.InsertAction();

    page.Editor()->SetRawText("x foreachx:\"a, b\" y");
    page.Editor()->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 4UL);
    commands.UpdateInsertAction();
    EXPECT_TRUE(insert.isEnabled());
    EXPECT_EQ(insert.text().toStdString(),
              "&Insert Selected Code Template [foreach...]\tCtrl+J, F6");

    page.Editor()->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0UL); // "x": no template
    commands.UpdateInsertAction();
    EXPECT_FALSE(insert.isEnabled());
    EXPECT_EQ(insert.text().toStdString(), "&Insert Selected Code Template\tCtrl+J, F6");

    // The selected alias with its answers is replaced by the expansion, without a question.
    page.Editor()->SendScintilla(QsciScintillaBase::SCI_SETSEL, 2UL, 17L);
    commands.InsertCodeTemplate();
    EXPECT_EQ(page.Editor()->RawText(), "x for (a, b) {} y");
    EXPECT_TRUE(Prompt.Records().empty());
}

} // namespace
} // namespace korvane::test
