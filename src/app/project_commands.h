#pragma once
// The "&Project" menu's commands: new, open, save, save as, the default project and its
// factory reset, and the project recent list. While the project is locked as the default one,
// the recent list is off, and New, Open and Save As offer to unlock it first.
#include "app/mru_menu.h"
#include "model/mru_list.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QMainWindow;
class QMenu;

namespace korvane {

class TCommandUpdates;
class TGlobalSettings;
class TKorProject;

class TProjectCommands : public QObject {
public:
    struct THooks {
        QAction* Lock = nullptr;             // "&Lock as Default Project"
        std::function<void()> LockClick;     // that item's click handler
        std::function<void()> ShowOrganizer; // the project organizer window
    };
    TProjectCommands(QMainWindow& window, TKorProject& project, TGlobalSettings& settings,
                     TCommandUpdates& updates, THooks hooks);
    ~TProjectCommands() override;

    // Fills the Project menu in order; the items already in it (the organizer, the lock and
    // the others' commands) are placed among them.
    void FillMenu(QMenu& project);

    void NewProject();
    void OpenProject();
    // Loads path after the save question; the recent list's and the command's way in.
    void OpenProjectFile(const std::string& path);
    void SaveProject();
    void SaveProjectAs();
    void UseDefaultProject();
    void ResetToFactoryDefaults();

    TMRUList& RecentProjects() { return Recent; }

private:
    QAction* Command(const char* name, const char* caption, const char* hint,
                     std::function<void()> run);
    void ProjectMenuShowing(QMenu& project);
    bool Locked() const;
    bool SaveCheckPassed();
    // True when the project is not locked, or the user has just unlocked it when asked.
    bool UnlockedForOtherProjects();
    // Shows the organizer when the loaded project had it open.
    void AfterLoad();
    // The lock follows a new default project.
    void AfterDefaultLoaded();
    std::string ProjectFolderSetting();
    std::string FactoryFile();

    QMainWindow& Window;
    TKorProject& Project;
    TGlobalSettings& Settings;
    TCommandUpdates& Updates;
    THooks Hooks;
    TMRUList Recent;
    QMenu* RecentSubmenu = nullptr;
    std::unique_ptr<TMRUMenu> RecentMenu;
};

} // namespace korvane
