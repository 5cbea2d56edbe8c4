#include "app/project_commands.h"

#include "app/command.h"
#include "app/file_dialogs.h"
#include "model/global_settings.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "storage/file_utils.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "widgets/user_feedback.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

namespace korvane {
namespace {

constexpr const char* ClassName = "TProjectCommands";

} // namespace

TProjectCommands::TProjectCommands(QMainWindow& window, TKorProject& project,
                                   TGlobalSettings& settings, TCommandUpdates& updates,
                                   THooks hooks)
    : Window(window), Project(project), Settings(settings), Updates(updates),
      Hooks(std::move(hooks)), Recent("Projects MRU", "DefaultProject") {}

TProjectCommands::~TProjectCommands() = default;

QAction* TProjectCommands::Command(const char* name, const char* caption, const char* hint,
                                   std::function<void()> run) {
    QAction* action = MakeCommand(Window, {name, "Project", caption, QKeySequence(), hint});
    connect(action, &QAction::triggered, this, [this, name, run = std::move(run)] {
        TraceScope trace(this, ClassName, name);
        ReportingErrors(run);
    });
    return action;
}

bool TProjectCommands::Locked() const {
    return Hooks.Lock && Hooks.Lock->isChecked();
}

void TProjectCommands::FillMenu(QMenu& project) {
    // What others put in the menu is placed again below, in its place.
    const QList<QAction*> others = project.actions();
    for (QAction* action : others)
        project.removeAction(action);

    QAction* newProject =
        Command("NewProjectAction", "&New", "New Project", [this] { NewProject(); });
    project.addAction(newProject);
    project.addAction(Command("ResetProjectDefaultsAction", "Reset to Korvane Defaults", "",
                              [this] { ResetToFactoryDefaults(); }));
    project.addAction(Command("KorvaneDefaultAction", "Use Korvane Default Project", "",
                              [this] { UseDefaultProject(); }));
    project.addSeparator();
    QAction* open =
        Command("OpenProjectAction", "&Open", "Open Project", [this] { OpenProject(); });
    project.addAction(open);
    QAction* save = Command("SaveProject", "Save", "Save Project", [this] { SaveProject(); });
    Updates.Add(*save, [this](QAction& action) { action.setEnabled(Project.getModified()); });
    project.addAction(save);
    QAction* saveAs = Command("SaveProjectAsAction", "Save &As...", "Save Project As",
                              [this] { SaveProjectAs(); });
    project.addAction(saveAs);
    if (QAction* saveAll = FindCommand(Window, "SaveAll")) project.addAction(saveAll);
    RecentSubmenu = project.addMenu(QStringLiteral("&Recent"));
    RecentMenu =
        std::make_unique<TMRUMenu>(Recent, *RecentSubmenu, nullptr, QStringLiteral("ProjectRecent"),
                                   [this](const std::string& path) {
                                       TraceScope trace(this, ClassName, "MRUClick");
                                       ReportingErrors([&] { OpenProjectFile(path); });
                                   });
    if (Locked()) RecentMenu->Empty();
    project.addSeparator();
    if (QAction* properties = FindCommand(Window, "PropertyAction")) project.addAction(properties);
    for (QAction* action : others)
        if (action != Hooks.Lock && !action->isSeparator()) project.addAction(action);
    if (Hooks.Lock) {
        project.addSeparator();
        project.addAction(Hooks.Lock);
    }
    connect(&project, &QMenu::aboutToShow, this, [this, &project] { ProjectMenuShowing(project); });
}

void TProjectCommands::ProjectMenuShowing(QMenu& project) {
    if (Locked())
        RecentMenu->Empty();
    else
        RecentMenu->Rebuild();
    const bool isDefault = Project.IsDefaultProject();
    QAction* reset = FindCommand(Window, "ResetProjectDefaultsAction");
    reset->setVisible(isDefault);
    reset->setEnabled(FileExists(FactoryFile()));
    FindCommand(Window, "KorvaneDefaultAction")->setVisible(!isDefault);
    // The settings dialog's command may be made after this menu.
    QAction* properties = FindCommand(Window, "PropertyAction");
    if (properties && !project.actions().contains(properties))
        project.insertAction(RecentSubmenu->menuAction(), properties);
}

bool TProjectCommands::UnlockedForOtherProjects() {
    if (!Locked()) return true;
    if (CurrentPrompt().Ask(PromptKind::Confirmation,
                            "This project is locked as the default project (Project > Lock as "
                            "Default Project), which keeps other projects out.\n"
                            "Unlock it and go on?",
                            pbYes | pbNo) != pbYes)
        return false;
    if (Hooks.LockClick) Hooks.LockClick();
    return !Locked();
}

bool TProjectCommands::SaveCheckPassed() {
    const PromptButton answer = Project.SaveAllCheck();
    return answer == pbYes || answer == pbNo;
}

void TProjectCommands::AfterLoad() {
    if (Project.ProjOrgVisible() && Hooks.ShowOrganizer) Hooks.ShowOrganizer();
}

void TProjectCommands::AfterDefaultLoaded() {
    if (Locked())
        Project.UpdateCaption();
    else if (Hooks.LockClick)
        Hooks.LockClick();
}

std::string TProjectCommands::ProjectFolderSetting() {
    return Settings.getLastProjectPath();
}

// The factory project: beside the last project when one is there, else the program's own.
std::string TProjectCommands::FactoryFile() {
    const std::string folder = ProjectFolderSetting();
    if (!folder.empty() && FileExists(folder + "default_original.kvp"))
        return folder + "default_original.kvp";
    return ProgramFolder() + "projects/default_original.kvp";
}

void TProjectCommands::NewProject() {
    if (!UnlockedForOtherProjects() || !SaveCheckPassed()) return;
    const std::string path = CurrentPrompt().ChooseFile(
        ProjectChoice("New Project...", ProjectFolderSetting(), FileNamePart(Project.FileName())));
    if (path.empty() || !MayOverwrite("Project", path)) return;
    Project.Clear();
    Project.setTitle("New");
    Project.Add("", true).ActivateTab();
    Project.setModified(false);
    Project.SaveAll(path);
    Project.MoveToPageUpdate();
    Recent.Add(path);
}

void TProjectCommands::OpenProject() {
    if (!UnlockedForOtherProjects() || !SaveCheckPassed()) return;
    const std::string path = CurrentPrompt().ChooseFile(
        ProjectChoice("Open Project File...", ProjectFolderSetting(), ""));
    if (path.empty()) return;
    Project.LoadFromFile(path);
    if (!Project.FileName().empty()) Settings.setLastProjectPath(FolderPart(Project.FileName()));
    Recent.Add(Project.FileName());
    AfterLoad();
}

void TProjectCommands::OpenProjectFile(const std::string& path) {
    if (Locked() || !SaveCheckPassed()) return;
    Project.LoadFromFile(path);
    Recent.Add(path);
    AfterLoad();
}

void TProjectCommands::SaveProject() {
    if (Project.FileName().empty()) {
        SaveProjectAs();
        return;
    }
    Project.SaveToFile(Project.FileName());
    Recent.Add(Project.FileName());
}

void TProjectCommands::SaveProjectAs() {
    if (!UnlockedForOtherProjects()) return;
    const std::string path = CurrentPrompt().ChooseFile(
        ProjectChoice("Save Project...", ProjectFolderSetting(), FileNamePart(Project.FileName())));
    if (path.empty() || !MayOverwrite("Project", path)) return;
    Project.SaveToFile(path);
    Recent.Add(path);
}

void TProjectCommands::UseDefaultProject() {
    if (!SaveCheckPassed()) return;
    const std::string folder = ProjectFolderSetting();
    std::string file = folder.empty() ? std::string() : folder + "default.kvp";
    if (file.empty() || !FileExists(file)) file = ProgramFolder() + "projects/default.kvp";
    if (!FileExists(file)) {
        if (CurrentPrompt().Ask(PromptKind::Error,
                                "Default Project file missing. Reset to factory defaults?",
                                pbYes | pbNo) == pbYes)
            ResetToFactoryDefaults();
        return;
    }
    Project.LoadFromFile(file);
    AfterLoad();
    Settings.setDefaultProject(file);
    AfterDefaultLoaded();
}

void TProjectCommands::ResetToFactoryDefaults() {
    const std::string factory = FactoryFile();
    if (!FileExists(factory)) {
        CurrentPrompt().Inform(PromptKind::Error, "Original Default Project file missing.");
        return;
    }
    if (CurrentPrompt().Ask(PromptKind::Warning,
                            "This will overwrite ALL settings for the default project - \"" +
                                Settings.getDefaultProject() + "\". Proceed?",
                            pbOK | pbCancel) != pbOK)
        return;
    Project.setModified(false);
    if (!SaveCheckPassed()) return;
    Project.LoadFromFile(factory);
    AfterLoad();
    Project.setModified(true);
    Project.SaveToFile(FolderPart(factory) + "default.kvp");
    Settings.setDefaultProject(Project.FileName());
    AfterDefaultLoaded();
}

} // namespace korvane
