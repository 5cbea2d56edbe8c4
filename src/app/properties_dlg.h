#pragma once
// "Project Properties": every setting of the open project, its web server, its MySQL
// controller, its highlighting schemes, file types and environment, on pages chosen from a
// category tree. Controls are loaded when the dialog is shown and written back together on
// Apply or OK; schemes, named schemes, environment and file types are edited on copies, so
// abandoned edits leave no trace.
#include "app/log_time_range.h"
#include "app/properties_pages.h"
#include "model/file_types.h"
#include "model/highlight_schemes.h"
#include "platform/command_line.h"

#include <QDialog>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFontComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

namespace korvane {

class TColorButton;
class TConsoleController;
class TEnvVarsFrame;
class THelpManager;
class TKorProject;
class TStyleFrame;
class TUploadStatusBar;

// What the dialog needs of the window that opens it; every part may be left empty.
struct TPropertiesServices {
    THelpManager* Help = nullptr;
    // Runs the interpreters' version and information queries.
    TConsoleController* Console = nullptr;
    // False while a debugger or script run is active (the MySQL buttons wait for it).
    std::function<bool()> DebuggerIdle;
    // Logs in to the FTP host without sending anything, reporting on statusBar.
    std::function<void(TUploadStatusBar& statusBar)> TestConnection;
    std::function<void(const TLogWindowTimes& times)> StartInternalsLogging;
    // Hands a file to the desktop; the desktop's own handler when empty.
    std::function<void(const std::string& path)> OpenDocument;
};

class TPropertiesDlg : public QDialog {
public:
    TPropertiesDlg(TKorProject& project, TPropertiesServices services, QWidget* parent = nullptr);
    ~TPropertiesDlg() override;

    // Writes every control into the project in a fixed order. A setting that cannot be
    // applied is named in a warning and the others stay applied; false then, and the dialog
    // still counts as changed.
    bool ApplyBtnClick();
    void GenChange();
    // Selects the node with that path (none when no node has it), which shows its page.
    void SelectPath(const std::string& path);
    std::string SelectedPath() const;
    // The scheme the colour pages edit; null on other pages.
    TAttribDetails* CurrentScheme() const { return Current; }
    TFileTypeList& WorkingFileTypes() { return WorkTypes; }

    // Controls are named after their settings (object names); these are the ones the
    // dialog's logic addresses directly.
    QTreeWidget* Cats = nullptr;
    QStackedWidget* Pages = nullptr;
    QLabel* GroupSummary = nullptr; // what a category node shows: the pages below it
    QComboBox* RecentPages = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* ApplyBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QButtonGroup* PerlWarnings = nullptr;
    QPushButton* LoggingIsOn = nullptr;
    QPushButton* PerlVersionBtn = nullptr;
    QPushButton* PhpVersionBtn = nullptr;
    QPushButton* CheckServerUpBtn = nullptr;
    QPushButton* BringServerDownBtn = nullptr;
    QPushButton* TestConnectionBtn = nullptr;
    QStatusBar* FtpStatus = nullptr;
    TEnvVarsFrame* Env = nullptr;
    QComboBox* Scheme = nullptr;
    TColorButton* EditorBgColor = nullptr;
    QFontComboBox* FontBox = nullptr;
    QSpinBox* FontSize = nullptr;
    std::array<TStyleFrame*, AttributeCount> StyleFrames{};
    QTreeWidget* FileTypes = nullptr;
    QLineEdit* FileTypeDesc = nullptr;
    QLineEdit* FileTypeExt = nullptr;
    QCheckBox* FileTypeEditable = nullptr;
    QCheckBox* FileTypeAscii = nullptr;
    QPushButton* AddTypeBtn = nullptr;
    QPushButton* DeleteTypeBtn = nullptr;

    // Button actions, also reachable from tests.
    void PerlVersionClick();
    void PhpVersionClick();
    void LogToClipboardClick();
    void LoggingIsOnClick();
    void SetAllLoggingOptions(bool ticked);
    void AddFileTypeClick();
    void DeleteFileTypeClick();
    void ResetFileTypesClick();
    void ClearFileTypesClick();
    void SelectFileType(TFileType* type);
    void SchemeChange();
    void SchemeExit();
    void ColorsSheetExit();
    void EditorBgColorChange(TColor color);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // ---- building (properties_build.cpp) ----
    void BuildWindow();
    QWidget* AddPage(TPropertyPage page, QVBoxLayout*& layout);
    QCheckBox* AddCheck(QVBoxLayout& layout, const char* name, const char* caption);
    QLineEdit* AddEdit(QFormLayout& form, const char* label, const char* name,
                       const std::function<void(QLineEdit&)>& browse = {});
    QSpinBox* AddSpin(QFormLayout& form, const char* label, const char* name, int low, int high,
                      int step = 1);
    void BuildIdentificationPages();
    void BuildEditorPages();
    void BuildLanguagePages();
    void BuildFilePages();
    void BuildServerPages();
    void BuildLoggingPages();
    void BuildStatisticsPages();
    void BuildTreeMenu();
    void BrowseFolder(QLineEdit& field);
    void BrowseInterpreter(QLineEdit& field);

    // ---- loading and applying (properties_apply.cpp) ----
    void FormShow();
    void FormClose();
    void CheckClick(const std::string& name, bool ticked);
    void FilesInProjectClick(bool ticked);
    void ApplyWebServer(std::vector<std::string>& failures);
    bool MakeTempFolder(const std::string& folder, std::vector<std::string>& failures);
    void ShowStatistics();
    void CatsChange();
    // A category node (one without a page of its own) lists the pages below it.
    void ShowGroupSummary(const QTreeWidgetItem* node);
    void PagesChange(const std::string& topic);
    QCheckBox* Box(const char* name) const;
    QLineEdit* Edit(const char* name) const;
    QSpinBox* Spin(const char* name) const;
    std::string Text(const char* name) const;
    void SetText(const char* name, const std::string& value);
    bool Checked(const char* name) const;
    void SetChecked(const char* name, bool ticked);

    // ---- schemes (properties_schemes.cpp) ----
    void UpdateColorSet();
    void FillSchemeNames();
    void FontSelectionChange();
    void FontSizeChange();

    // ---- file types (properties_file_types.cpp) ----
    void ShowFileTypeRows();
    void DrawFileTypeRow(QTreeWidgetItem& row, const TFileType& type);
    void ShowFileTypeDetails();
    void FileTypeDetailChange();
    QTreeWidgetItem* RowOf(const TFileType* type) const;

    // ---- buttons that act at once (properties_actions.cpp) ----
    std::vector<std::string> RunVersionQuery(const TCommandLine& command);
    void TestConnectionClick();
    void ClearLogClick();
    void ViewLogClick();
    void InternalsLoggingClick();
    void MySqlPageEntered();

    TKorProject& Project;
    TPropertiesServices Services;
    std::map<TPropertyPage, QWidget*> PageWidgets;
    TPropertyPage ShownPage = TPropertyPage::None;
    std::string ShownTopic;
    bool HelpPushed = false;

    THighlightSchemes WorkSchemes;
    TAttribList WorkNamed;
    std::vector<std::string> WorkEnvVars;
    TFileTypeList WorkTypes;
    TAttribDetails* Current = nullptr;
    int CurrentLanguage = -1;
    TFileType* SelectedType = nullptr;
    std::string RememberedScheme;
    std::string LastVersionPath;
    bool PhpShowsInfo = false;
    bool Showing = true;
    bool Updating = false;
    bool Loaded = false;
    bool Closing = false;
};

// The last maxBytes of a file as text; cut is set when the file was longer. Throws
// handledException when the file cannot be read.
std::string ReadFileTail(const std::string& path, std::size_t maxBytes, bool& cut);

} // namespace korvane
