#include "project_fixture.h"

#include "editor/editor_page.h"
#include "exec/console_controller.h"
#include "platform/program_folder.h"
#include "storage/program_log.h"

#include <filesystem>

namespace korvane::test {

ProjectTest::ProjectTest()
    : Home("KORVANE_HOME", Dir.File("home")), Config("XDG_CONFIG_HOME", Dir.File("config")),
      NoToolsOnPath("PATH", Dir.File("no-tools")), UserHome("HOME", Dir.Path().string()) {
    std::filesystem::create_directories(Dir.File("home/temp"));
    std::filesystem::create_directories(Dir.File("home/projects"));
    SetClockForTesting([] { return FixedNow; });
    CreateSectionList();
    Settings = std::make_unique<TGlobalSettings>();
    Settings->setPerlCompilerDlgAgain(false);
    Settings->setPhpCompilerDlgAgain(false);
    Settings->setSqlDlgAgain(false);
    Debugger = std::make_unique<TDebugForm>();
    Settings->setDefaultProject(DefaultProjectFile());
    Project = NewProject();
}

ProjectTest::~ProjectTest() {
    Project.reset();
    FreeSectionList();
    SetClockForTesting({});
    LogFile.clear(); // the session log is program-wide; a test that logs must not leak it
}

std::unique_ptr<TKorProject> ProjectTest::NewProject() {
    auto project = std::make_unique<TKorProject>(*Settings, Debugger->Console(), &Host);
    project->Tools().SystemToolFolders = ToolFolders;
    InstallEditorPages(*project, *Debugger);
    return project;
}

std::string ProjectTest::DefaultProjectFile() const {
    return ProgramFolder() + "projects/default.kvp";
}

void ProjectTest::WriteProjectFile(const std::string& path,
                                   const std::function<void(TSectionList&)>& body,
                                   const std::string& version, const std::string& maker) {
    TMemoryStream bytes;
    TSectionList& list = SectionList();
    {
        TSectionListUse use(list, bytes, false);
        list.BeginSection("VersionInfo");
        list.WriteStr(maker);
        list.WriteStr("Korvane");
        list.WriteStr(version);
        list.WriteStr("0");
        list.EndSection();
        list.SetCompressChildren(true);
        body(list);
        list.SetCompressChildren(false);
    }
    WriteBytes(path, std::string(bytes.Bytes().begin(), bytes.Bytes().end()));
}

} // namespace korvane::test
