#include "editor_fixture.h"

#include "web/web_server.h"

#include "storage/byte_stream.h"
#include "storage/file_utils.h"
#include "storage/section_list.h"

#include <filesystem>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

std::string Lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "my $v" + std::to_string(i) + " = " + std::to_string(i) + ";\n";
    return text;
}

TEST_F(EditorTest, PageRecordRoundTripsEditorStateBreakpointsAndStoredText) {
    const std::string file = Dir.File("site/app.pl");
    WriteBytes(file, Lines(60));
    Project->setFilesInProject(true);
    TEditorPage& page = Open(file);
    page.Editor()->ReplaceSelectionRaw("# stored in the project\r\n");
    page.Editor()->SetBookmark(7, 3, 40);
    page.Editor()->SetBookmark(2, 1, 12);
    page.Editor()->SetCaret(5, 30);
    page.Editor()->SetTopLine(20);
    page.AddBreakPoint(15);
    page.AddBreakPoint(9);
    page.setFtpUpload(true);
    page.setFtpChModVal("700");
    page.setUseProjectEnvVars(false);
    page.EnvVars = {"YDEBUG=1"};
    page.FormFields = {"Yname=value"};
    Project->SaveToFile(Dir.File("site/site.kvp"));

    // The stored text wins over a disk file that changed since; the disk's version is kept
    // as a backup.
    WriteBytes(file, "changed elsewhere\n");
    Touch(file, 30);
    auto loaded = NewProject();
    Project.reset();
    std::filesystem::create_directories(Dir.File("temp")); // else the load repairs the temp path
    loaded->LoadFromFile(Dir.File("site/site.kvp"));
    ASSERT_EQ(loaded->Count(), 1);
    TEditorPage& back = AsEditorPage(loaded->Page(0));
    EXPECT_EQ(back.FileName(), file);
    EXPECT_EQ(back.Editor()->LineText(1), "# stored in the project");
    EXPECT_EQ(ReadBytes(file), "# stored in the project\n" + Lines(60));
    EXPECT_EQ(ReadBytes(file + ".bak"), "changed elsewhere\n");
    int column = 0, line = 0;
    ASSERT_TRUE(back.Editor()->GetBookmark(2, column, line));
    EXPECT_EQ(std::make_pair(column, line), std::make_pair(1, 12));
    ASSERT_TRUE(back.Editor()->GetBookmark(7, column, line));
    EXPECT_EQ(std::make_pair(column, line), std::make_pair(3, 40));
    EXPECT_FALSE(back.Editor()->GetBookmark(0, column, line));
    EXPECT_EQ(back.Editor()->CaretLine(), 30);
    EXPECT_EQ(back.Editor()->CaretColumn(), 5);
    EXPECT_EQ(back.MarkedLine(), 30);
    ASSERT_EQ(back.Breakpoints().Count(), 2);
    EXPECT_EQ(back.Breakpoints()[0].Line, 15);
    EXPECT_EQ(back.Breakpoints()[1].Line, 9);
    EXPECT_TRUE(back.FtpUpload());
    EXPECT_EQ(back.FtpChModVal(), "700");
    EXPECT_FALSE(back.UseProjectEnvVars());
    EXPECT_EQ(back.EnvVars, (TStringList{"YDEBUG=1"}));
    EXPECT_EQ(back.FormFields, (TStringList{"Yname=value"}));
    EXPECT_EQ(back.LineEndingFormat(), 2);
    EXPECT_EQ(ReadBytes(file).substr(0, 24), "# stored in the project\n")
        << "LF ends inside the project too";
    EXPECT_FALSE(back.EditorModified());
    EXPECT_TRUE(back.Visible());
    EXPECT_FALSE(loaded->getModified());
}

TEST_F(EditorTest, BookmarksAreStoredInNumberOrderAndBreakpointsOnlyOnCodeLines) {
    const std::string file = Dir.File("site/b.pl");
    WriteBytes(file, "print 1;\n\n# note\nprint 2;\n");
    TEditorPage& page = Open(file);
    page.Editor()->SetBookmark(7, 1, 4);
    page.Editor()->SetBookmark(2, 1, 1);
    page.AddBreakPoint(2); // blank
    page.AddBreakPoint(3); // comment
    page.AddBreakPoint(4);

    TMemoryStream bytes;
    {
        TSectionListUse use(SectionList(), bytes, false);
        page.SaveToStream(SectionList());
    }
    ASSERT_EQ(page.Breakpoints().Count(), 1)
        << "breakpoints off code lines are dropped before saving";
    bytes.Seek(0);
    TSectionListUse use(SectionList(), bytes, true);
    TSectionList& s = SectionList();
    s.BeginSection("File Details");
    s.BeginSection("Preliminary");
    s.EndSection();
    s.BeginSection("Data");
    EXPECT_EQ(s.ReadInt(), 0);
    s.EndSection();
    s.BeginSection("Editor Details");
    s.BeginSection("Bookmarks");
    EXPECT_EQ(s.ReadInt(), 2);
    EXPECT_EQ(s.ReadPair(), (TPoint{1, 1}));
    EXPECT_EQ(s.ReadInt(), 7);
    EXPECT_EQ(s.ReadPair(), (TPoint{1, 4}));
    EXPECT_TRUE(s.AtEnd());
    s.EndSection();
    s.EndSection();
    s.BeginSection("FTP Details");
    s.EndSection();
    s.BeginSection("Compiler Details");
    s.EndSection();
    s.BeginSection("Debugging");
    s.BeginSection("Breakpoints");
    EXPECT_EQ(s.ReadInt(), 1);
    s.BeginSection("Breakpoint");
    EXPECT_EQ(s.ReadInt(), 4);
    s.EndSection();
    s.EndSection();
    s.EndSection();
    s.BeginSection("File Format");
    EXPECT_EQ(s.ReadByte(), 2) << "a new file's format is Unix";
    s.EndSection();
    s.EndSection();
}

TEST_F(EditorTest, TemporaryPagesComeBackWithTheirNumberTypeAndFile) {
    NewTempPage();
    NewTempPage();
    NewTempPage();
    TEditorPage& page = NewTempPage();
    ASSERT_EQ(page.TempNumber(), 4);
    page.Editor()->SetRawText("<?php echo 1; ?>\r\n");
    page.SaveToFileExt("", "php", true, true, Now());
    for (int i = 2; i >= 0; --i)
        Project->FreePage(&Project->Page(i));
    Project->SaveToFile(Dir.File("site/site.kvp"));
    const TDateTime stored = page.LastSavedDate();
    fs::remove(Dir.File("temp/tmp4.php"));

    auto loaded = NewProject();
    Project.reset();
    loaded->LoadFromFile(Dir.File("site/site.kvp"));
    ASSERT_EQ(loaded->Count(), 1);
    TEditorPage& back = AsEditorPage(loaded->Page(0));
    EXPECT_EQ(back.TempNumber(), 4);
    EXPECT_TRUE(back.IsPHP());
    EXPECT_EQ(back.TabCaption(), "<temp4>");
    EXPECT_EQ(ReadBytes(Dir.File("temp/tmp4.php")), "<?php echo 1; ?>\n");
    TDateTime onDisk = 0;
    ASSERT_TRUE(FileDateTime(Dir.File("temp/tmp4.php"), onDisk));
    EXPECT_NEAR(onDisk, stored, 1e-6);
    EXPECT_NEAR(back.LastSavedDate(), onDisk, 1e-9);
}

TEST_F(EditorTest, AFileGoneAtRestartIsCreatedAtOnceWhenTheUserWantsItBack) {
    for (const bool stored : {false, true}) {
        SCOPED_TRACE(stored ? "text stored in the project" : "only the name stored");
        const std::string file = Dir.File(stored ? "site/stored.pl" : "site/named.pl");
        WriteBytes(file, "print 1;\n");
        Project->setFilesInProject(stored);
        Open(file);
        Project->SaveToFile(Dir.File("site/site.kvp"));
        fs::remove(file);

        Project.reset();
        Project = NewProject();
        Prompt.QueueAnswer(pbYes);
        Project->LoadFromFile(Dir.File("site/site.kvp"));
        EXPECT_EQ(Prompt.Records().back().Text,
                  "File \"" + file + "\" does not exist. Do you wish to create it?");
        ASSERT_TRUE(fs::exists(file));
        EXPECT_EQ(ReadBytes(file), stored ? "print 1;\n" : "");
        TEditorPage& back = AsEditorPage(*Project->PageByFileName(file));
        EXPECT_FALSE(back.NewFile());
        EXPECT_FALSE(back.EditorModified());
        EXPECT_FALSE(back.FileDateHasChanged());
    }
}

TEST_F(EditorTest, APageWhoseFileIsGoneCostsOnlyThatPage) {
    WriteBytes(Dir.File("site/a.pl"), "1;\n");
    WriteBytes(Dir.File("site/b.pl"), "2;\n");
    WriteBytes(Dir.File("site/logo.png"), std::string("\x89PNG\0", 5));
    Open(Dir.File("site/a.pl"));
    Open(Dir.File("site/b.pl"));
    Project->Add(Dir.File("site/logo.png"), true);
    ASSERT_FALSE(Project->Page(2).HasEditor());
    Project->SaveToFile(Dir.File("site/site.kvp"));
    fs::remove(Dir.File("site/a.pl"));

    auto loaded = NewProject();
    Project.reset();
    Prompt.QueueAnswer(pbNo);
    loaded->LoadFromFile(Dir.File("site/site.kvp"));
    ASSERT_EQ(loaded->Count(), 2);
    EXPECT_EQ(loaded->Page(0).FileName(), Dir.File("site/b.pl"));
    EXPECT_EQ(AsEditorPage(loaded->Page(0)).Editor()->RawText(), "2;\r\n");
    EXPECT_EQ(loaded->Page(1).FileName(), Dir.File("site/logo.png"));
    EXPECT_FALSE(loaded->Page(1).HasEditor());
    EXPECT_EQ(Host.Tabs.count(), 1) << "only the editor page has a tab";
}

TEST_F(EditorTest, FilesOutsideTheProjectsFoldersAskToBeTrustedAndTheProjectKeepsTheTrust) {
    std::filesystem::create_directories(Dir.File("downloads"));
    WriteBytes(Dir.File("site/own.pl"), "print 1;\n");
    WriteBytes(Dir.File("downloads/theirs.pl"), "BEGIN { print 1 }\n");
    EXPECT_TRUE(Open(Dir.File("site/own.pl")).CodeTrusted()) << "in the project's folder";
    EXPECT_TRUE(NewTempPage().CodeTrusted()) << "typed here";
    TEditorPage& theirs = Open(Dir.File("downloads/theirs.pl"));
    EXPECT_FALSE(theirs.CodeTrusted());
    Project->WebServer().setRootPath(Dir.File("downloads"));
    EXPECT_TRUE(theirs.CodeTrusted()) << "in the web server's root";
    Project->WebServer().setRootPath("");
    EXPECT_FALSE(theirs.CodeTrusted());

    theirs.SyntaxCheck();
    EXPECT_FALSE(theirs.TrustBarWidget()->isHidden()) << "the check says it only read the file";
    Project->setModified(false);
    theirs.TrustCode();
    EXPECT_TRUE(theirs.CodeTrusted());
    EXPECT_TRUE(theirs.TrustBarWidget()->isHidden());
    EXPECT_TRUE(Project->getModified());

    Project->SaveToFile(Dir.File("site/site.kvp"));
    auto loaded = NewProject();
    Project.reset();
    std::filesystem::create_directories(Dir.File("temp"));
    loaded->LoadFromFile(Dir.File("site/site.kvp"));
    auto* back = loaded->PageByFileName(Dir.File("downloads/theirs.pl"));
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(AsEditorPage(*back).CodeTrusted()) << "the project keeps the trust";
}

} // namespace
} // namespace korvane::test
