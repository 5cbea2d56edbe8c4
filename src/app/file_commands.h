#pragma once
// The "&File" menu's commands: new temporary files and their type, opening a file into the
// project, saving, closing, inserting a file, restoring backups, line endings, export and
// printing, and the file recent list with the Open button's drop-down.
#include "app/mru_menu.h"
#include "model/mru_list.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;
class QPrinter;

namespace korvane {

class TCommandUpdates;
class TEditorPage;
class TGlobalSettings;
class TKorProject;

class TFileCommands : public QObject {
public:
    TFileCommands(QMainWindow& window, TKorProject& project, TGlobalSettings& settings,
                  TCommandUpdates& updates);
    ~TFileCommands() override;

    // Fills the File menu in order. The upload command goes in by name when it exists, else
    // at UploadPlace().
    void FillMenu(QMenu& file);
    QAction* UploadPlace() const { return PrintSeparator; }
    // The drop-downs of the tool bar's New and Open buttons.
    QMenu* NewMenu() const { return NewTypes; }
    QMenu* OpenMenu() const { return RecentDropDown; }

    // A file opened into the project (the open dialog, the recent list, drops, the command
    // line). An already open file gets a second page only when the user asks for one.
    void OpenFile(const std::string& path);
    void NewFile();
    void SaveFile();
    // Save As of page, or of the current page.
    void SaveAs(TEditorPage* page = nullptr);
    // Closes page after its questions; false when the user cancelled.
    bool CloseFile(TEditorPage& page);
    // Closes every shown page; when any save question is cancelled nothing is closed.
    bool CloseAll();
    // Restores backup number (0 the last saved file) into the current page.
    void RestoreBackup(int number);
    void ChangeTempFileType(const std::string& extension);
    // Reads a changed file's page again from the disk, after asking.
    void Revert();
    void InsertFile();
    void Export(bool html);
    void Print();
    void PrintSetup();

    TMRUList& RecentFiles() { return Recent; }
    const std::string& NewFileExtension() const { return NewFileExt; }
    void SetNewFileExtension(const std::string& extension);

private:
    TEditorPage* CurrentPage() const;
    QAction* Command(const char* name, const char* caption, const QKeySequence& keys,
                     const char* hint, std::function<void()> run);
    void AddTempTypeMenu(QMenu& file);
    // Shown for a temporary page only, with the page's type ticked.
    void UpdateTempTypeMenu();
    void AddLineEndingMenu(QMenu& file);
    // What opening the File menu refreshes: recent files, temporary type, line endings,
    // backups.
    void FileMenuShowing();

    QMainWindow& Window;
    TKorProject& Project;
    TGlobalSettings& Settings;
    TCommandUpdates& Updates;
    TMRUList Recent;
    std::string NewFileExt = ".pl";
    std::unique_ptr<QPrinter> Printer;

    QAction* NewFileAction = nullptr;
    QAction* PrintSeparator = nullptr;
    QMenu* NewTypes = nullptr;
    QMenu* RecentDropDown = nullptr;
    QMenu* RecentSubmenu = nullptr;
    QMenu* TempTypeSubmenu = nullptr;
    QMenu* LineEndingSubmenu = nullptr;
    QMenu* RestoreSubmenu = nullptr;
    QActionGroup* TempTypeGroup = nullptr;
    std::unique_ptr<TMRUMenu> RecentMenu;
};

} // namespace korvane
