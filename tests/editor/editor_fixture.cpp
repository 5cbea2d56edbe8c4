#include "editor_fixture.h"

#include "exec/console_controller.h"
#include "platform/qt_strings.h"
#include "storage/file_utils.h"
#include "storage/program_log.h"
#include "storage/section_list.h"

#include <filesystem>

namespace korvane::test {

EditorTest::EditorTest()
    : Home("KORVANE_HOME", Dir.File("home")), Config("XDG_CONFIG_HOME", Dir.File("config")),
      NoToolsOnPath("PATH", Dir.File("no-tools")), UserHome("HOME", Dir.Path().string()) {
    std::filesystem::create_directories(Dir.File("home/temp"));
    std::filesystem::create_directories(Dir.File("home/projects"));
    std::filesystem::create_directories(Dir.File("site"));
    CreateSectionList();
    Settings = std::make_unique<TGlobalSettings>();
    Debugger = std::make_unique<TDebugForm>();
    // Loading a project checks the tools; these pages should meet no notices about them.
    Settings->setPerlCompilerDlgAgain(false);
    Settings->setPhpCompilerDlgAgain(false);
    Settings->setSqlDlgAgain(false);
    Project = NewProject();
}

EditorTest::~EditorTest() {
    Project.reset();
    FreeSectionList();
    LogFile.clear();
}

std::unique_ptr<TKorProject> EditorTest::NewProject() {
    auto project = std::make_unique<TKorProject>(*Settings, Debugger->Console(), &Host);
    project->Tools().SystemToolFolders.clear();
    InstallEditorPages(*project, *Debugger);
    project->FileTypes().MakeDefault();
    project->setTempPath(Dir.File("temp/"));
    project->SetFileName(Dir.File("site/site.kvp"));
    project->setModified(false);
    return project;
}

TEditorPage& AsEditorPage(TProjectPage& page) {
    auto* editorPage = dynamic_cast<TEditorPage*>(&page);
    if (!editorPage) throw std::logic_error("not an editor page");
    return *editorPage;
}

TEditorPage& EditorTest::Open(const std::string& path) {
    TEditorPage& page = AsEditorPage(Project->Add(path, true));
    Project->setCurrentPage(&page);
    return page;
}

TEditorPage& EditorTest::NewTempPage() {
    TEditorPage& page = AsEditorPage(Project->Add("", true));
    Project->setCurrentPage(&page);
    return page;
}

std::string EditorTest::TabText(const TEditorPage& page) const {
    const int index = Host.Tabs.indexOf(page.Sheet());
    return index < 0 ? std::string() : ToStdString(Host.Tabs.tabText(index));
}

void EditorTest::Touch(const std::string& path, double seconds) {
    TDateTime date = 0;
    ASSERT_TRUE(FileDateTime(path, date));
    ASSERT_TRUE(SetFileDateTime(path, date + seconds / SecondsPerDay));
}

} // namespace korvane::test
