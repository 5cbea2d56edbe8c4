#include "project_fixture.h"

#include "platform/program_folder.h"
#include "project/drop_text.h"
#include "storage/errors.h"

#include <Qsci/qsciscintilla.h>

#include <filesystem>

namespace korvane::test {
namespace {

// A page with an editor whose answers and failures the test decides.
class ScriptedPage : public TProjectPage {
public:
    using TProjectPage::TProjectPage;
    PromptButton Answer = pbNo;
    bool Modified = false;
    int Lines = 1;
    bool FailToLoad = false;
    std::string TempPathWhenRestored;
    int ParamsShown = 0;

    bool EditorModified() const override { return Modified; }
    int LineCount() const override { return Lines; }
    PromptButton SaveToFileCheck(const std::string&) override { return Answer; }
    void UpdateEnvVars() override { ++ParamsShown; }
    void LoadFromStream(TSectionList& stream) override {
        TProjectPage::LoadFromStream(stream);
        if (FileName().ends_with("broken.pl")) throw handledException("damaged record");
        // An editor page writes its temporary file and shows its tab at this point.
        TempPathWhenRestored = Project().TempPath();
        setVisible(HasEditor());
    }
};

class PageListTest : public ProjectTest {
protected:
    PageListTest() { UseScriptedPages(*Project); }

    void UseScriptedPages(TKorProject& project) {
        project.SetPageFactory([](TKorProject& p, bool hasEditor, const std::string& fileName) {
            return std::make_unique<ScriptedPage>(p, hasEditor, fileName);
        });
    }
    ScriptedPage& AddPage(const std::string& fileName, bool editor = true) {
        return static_cast<ScriptedPage&>(Project->Add(fileName, editor));
    }
};

TEST_F(PageListTest, TemporaryPagesAreNumberedAfterTheHighest) {
    AddPage("");
    AddPage("");
    AddPage("");
    Project->FreePage(&Project->Page(1));
    EXPECT_EQ(Project->Page(0).TempNumber(), 1);
    EXPECT_EQ(Project->Page(1).TempNumber(), 3);
    EXPECT_EQ(Project->NextTempFileNumber(), 4);
    EXPECT_EQ(Project->TempCount(), 2);
    EXPECT_EQ(Project->Page(1).TempFileName(), Project->TempPath() + "tmp3.pl");
    EXPECT_EQ(Project->PageByFileName(Project->TempPath() + "TMP3.PL"), &Project->Page(1));

    Project->Page(0).setVisible(true);
    EXPECT_EQ(Project->VisibleCount(), 1);
    Project->SelectAllPages();
    Project->FlipPageSelection();
    EXPECT_FALSE(Project->Page(0).Selected());
}

TEST_F(PageListTest, FreeingTheCurrentPageMovesToTheNextEditor) {
    ScriptedPage& a = AddPage("/p/a.pl");
    AddPage("/p/picture.png", false);
    ScriptedPage& c = AddPage("/p/c.pl");
    Project->setCurrentPage(&a);
    Project->FreePage(&a);
    EXPECT_EQ(Project->getCurrentPage(), &c);
    EXPECT_EQ(Project->LastEditablePage(), &c);
    Project->FreePage(&c);
    EXPECT_EQ(Project->getCurrentPage(), nullptr);
    EXPECT_EQ(Project->LastEditablePage(), nullptr);
}

TEST_F(PageListTest, CloseUnusedPagesDropsOnlyEmptyTemporaryEditors) {
    AddPage("").Lines = 0;
    AddPage("").Lines = 3;
    AddPage("/p/empty.pl").Lines = 0;
    Project->CloseUnusedPages();
    ASSERT_EQ(Project->Count(), 2);
    EXPECT_EQ(Project->Page(0).TempNumber(), 2);
}

TEST_F(PageListTest, SaveAllCheckCombinesTheAnswers) {
    Project->SetFileName(Dir.File("p.kvp"));
    Project->setModified(false);
    AddPage("/p/a.pl").Answer = pbNo;
    ScriptedPage& b = AddPage("/p/b.pl");
    Project->setModified(false);

    b.Answer = pbYes;
    EXPECT_EQ(Project->SaveAllCheck(), pbYes);
    b.Answer = pbNo;
    EXPECT_EQ(Project->SaveAllCheck(), pbNo);
    b.Answer = pbCancel;
    EXPECT_EQ(Project->SaveAllCheck(), pbCancel) << "not modified, one page cancels";
    EXPECT_TRUE(Prompt.Records().empty()) << "an unmodified project asks nothing";

    Project->setTitle("changed");
    Prompt.QueueAnswer(pbCancel);
    EXPECT_EQ(Project->SaveAllCheck(), pbCancel);
    ASSERT_EQ(Prompt.Records().size(), 1u);
    EXPECT_EQ(Prompt.Records()[0].Text, "Project p.kvp has changed. Save Changes?");

    Prompt.QueueAnswer(pbYes);
    b.Answer = pbNo;
    EXPECT_EQ(Project->SaveAllCheck(), pbYes);
    EXPECT_TRUE(std::filesystem::exists(Dir.File("p.kvp")));
    EXPECT_FALSE(Project->getModified());
}

TEST_F(PageListTest, FilesOutsideTheProjectFolderSwitchOffSaveWithProject) {
    const std::string folder = Dir.File("site");
    std::filesystem::create_directories(folder);
    Project->SetFileName(folder + "/site.kvp");
    AddPage(folder + "/cgi/a.pl");
    AddPage("");
    Project->setFilesInProject(true);
    EXPECT_TRUE(Project->FilesInProjectScope());
    Project->SaveToFile(folder + "/site.kvp");
    EXPECT_TRUE(Project->FilesInProject());
    EXPECT_TRUE(Prompt.Records().empty());

    AddPage(Dir.File("site2/b.pl")); // a sibling folder that shares the name's beginning
    Project->SaveToFile(folder + "/site.kvp");
    EXPECT_FALSE(Project->FilesInProject());
    ASSERT_EQ(Prompt.Records().size(), 1u);
    EXPECT_EQ(Prompt.Records()[0].Text,
              "Not all files in project (sub)directory.\n\"Save with Project\" switched off.");
    auto loaded = NewProject();
    UseScriptedPages(*loaded);
    loaded->LoadFromFile(folder + "/site.kvp");
    EXPECT_FALSE(loaded->FilesInProject()) << "stored as switched off";
}

TEST_F(PageListTest, PagesAreRecordedInOrderAndADamagedRecordCostsOnlyItsPage) {
    const std::string folder = Dir.File("site");
    std::filesystem::create_directories(folder);
    Project->SetFileName(folder + "/site.kvp");
    AddPage(folder + "/a.pl");
    AddPage(folder + "/broken.pl", false);
    AddPage(folder + "/c.pl");
    Project->setCurrentPage(&Project->Page(2));
    Project->SaveToFile(folder + "/site.kvp");

    auto loaded = NewProject();
    UseScriptedPages(*loaded);
    loaded->LoadFromFile(folder + "/site.kvp");
    ASSERT_EQ(loaded->Count(), 2);
    EXPECT_EQ(loaded->Page(0).FileName(), folder + "/a.pl");
    EXPECT_TRUE(loaded->Page(0).HasEditor());
    EXPECT_EQ(loaded->Page(1).FileName(), folder + "/c.pl");
    EXPECT_EQ(loaded->getCurrentPage(), &loaded->Page(1));
    EXPECT_FALSE(loaded->getModified());
}

TEST_F(PageListTest, PagesAreRestoredIntoARepairedTempFolderAndShowTheirParamsAfterTheLoad) {
    const std::string folder = Dir.File("site");
    std::filesystem::create_directories(folder);
    Project->SetFileName(folder + "/site.kvp");
    Project->setTempPath(""); // stored as "no folder"
    AddPage("");
    AddPage(folder + "/a.pl");
    AddPage(folder + "/data.bin", false);
    Project->SaveToFile(folder + "/site.kvp");

    auto loaded = NewProject();
    UseScriptedPages(*loaded);
    loaded->LoadFromFile(folder + "/site.kvp");
    ASSERT_EQ(loaded->Count(), 3);
    for (int i = 0; i < loaded->Count(); ++i) {
        const auto& page = static_cast<const ScriptedPage&>(loaded->Page(i));
        EXPECT_EQ(page.TempPathWhenRestored, ProgramFolder() + "temp/")
            << "page " << i << " would have written its temporary file into the working folder";
        EXPECT_EQ(page.ParamsShown > 0, page.Visible()) << "page " << i;
    }
    EXPECT_EQ(loaded->Page(0).TempFileName(), ProgramFolder() + "temp/tmp1.pl");
}

TEST_F(PageListTest, EditorStateOfEachPageIsStoredAsYOrN) {
    AddPage("/p/a.pl");
    AddPage("/p/b.png", false);
    AddPage("/p/c.pl");
    Project->SetFileName("/p/site.kvp");
    TMemoryStream bytes;
    {
        TSectionListUse use(SectionList(), bytes, false);
        Project->SaveToStream(SectionList());
    }
    bytes.Seek(0);
    TSectionListUse use(SectionList(), bytes, true);
    TSectionList& s = SectionList();
    s.BeginSection("VersionInfo");
    s.EndSection();
    s.SetCompressChildren(true);
    s.ReadStr();
    for (const char* skipped : {"Header", "Settings", "Search+Replace", "Location", "Portability",
                                "Backups", "Modules"}) {
        s.BeginSection(skipped);
        s.EndSection();
    }
    s.BeginSection("Body");
    s.BeginSection("EdFileInfo");
    EXPECT_EQ(s.ReadStr(), "YNY");
    s.EndSection();
    s.BeginSection("Editor Files");
    EXPECT_EQ(s.ReadInt(), 3);
    s.EndSection();
    s.EndSection();
    s.SetCompressChildren(false);
}

TEST_F(PageListTest, ChangedFileTypeRebuildsThePage) {
    Project->FileTypes().MakeDefault();
    ScriptedPage& notes = AddPage("/p/notes.txt");
    AddPage("/p/run.pl");
    EXPECT_TRUE(notes.Editable());
    Project->setCurrentPage(&notes);
    EXPECT_FALSE(Project->ValidateFileTypes()) << "nothing changed yet";

    Project->FileTypes().Find("txt")->Editable = false;
    EXPECT_TRUE(Project->ValidateFileTypes());
    EXPECT_FALSE(Project->Page(0).HasEditor());
    EXPECT_EQ(Project->Page(0).FileName(), "/p/notes.txt");
    EXPECT_EQ(Project->getCurrentPage(), &Project->Page(1));
}

TEST(DroppedFiles, EachFileGetsAFramedHeadingAndItsLines) {
    TempDir dir;
    WriteBytes(dir.File("a.txt"), "one\r\ntwo\n");
    const std::string a = dir.File("a.txt");
    const std::string missing = dir.File("missing.txt");
    const std::string heading = "#  Text From " + a + "  #";
    const std::string rule(heading.size(), '#');
    const std::string heading2 = "#  Text From " + missing + "  #";
    const std::string rule2(heading2.size(), '#');
    EXPECT_EQ(DroppedFilesText({a, missing}, "\n"), rule + "\n" + heading + "\n" + rule +
                                                        "\n\none\ntwo\n\n\n" + rule2 + "\n" +
                                                        heading2 + "\n" + rule2 + "\n\n\n");
}

TEST_F(ProjectTest, DroppedFilesReplaceTheEditorsSelection) {
    QsciScintilla editor;
    editor.setEolMode(QsciScintilla::EolUnix);
    editor.setText("keep DROP keep");
    editor.setSelection(0, 5, 0, 9);
    Project->EditorDropFiles(editor, {"/nowhere/x"});
    EXPECT_EQ(editor.text().toStdString(),
              "keep " + DroppedFilesText({"/nowhere/x"}, "\n") + " keep");
}

} // namespace
} // namespace korvane::test
