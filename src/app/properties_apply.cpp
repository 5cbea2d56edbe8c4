// The settings dialog's loading, change tracking, page selection and Apply.
#include "app/properties_dlg.h"
#include "app/properties_fields.h"
#include "exec/console_controller.h"
#include "help/help_manager.h"
#include "model/global_settings.h"
#include "platform/program_folder.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "services/mysql_controller.h"
#include "storage/command_options.h"
#include "storage/date_text.h"
#include "storage/errors.h"
#include "storage/file_utils.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "storage/prompt.h"
#include "storage/text_utils.h"
#include "templates/code_template.h"
#include "web/web_server.h"
#include "widgets/env_vars_frame.h"
#include "widgets/recent_combo.h"
#include "widgets/tree_paths.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTreeWidget>

#include <filesystem>

namespace korvane {

namespace {

// The flags applied together, each group in the order the project expects them.
const std::initializer_list<const char*> EnvOptionFlags = {
    "ExternalChangeCheck", "UseExternalEnvVars",   "ExcludeExternalEnvEquals",
    "EnvTempFromProject",  "KeyEnvVars",           "AutoSetupPhp",
    "ExecutableScripts",   "BackgroundSyntaxCheck"};
const std::initializer_list<const char*> EditorFlags = {
    "ShowLHGutter", "ShowLineNumbers",    "HideScrollBars", "ShowSpecialChars", "AutoIndent",
    "TabsToSpaces", "TrimTrailingSpaces", "SmartTabs",      "SmartTabDelete",   "TabIndents"};
const std::initializer_list<const char*> CursorFlags = {
    "CursorPastRight", "CursorPastBottom", "KeepCursorColumnPos", "HalfPageScroll",
    "BlockOverwrite",  "GroupUndo",        "AltColMode",          "DragAndDrop"};
const std::initializer_list<const char*> DisplayFlags = {"XPMenus",
                                                         "HighlightCursorLine",
                                                         "ShowStatusBar",
                                                         "ShowBlocks",
                                                         "SaveFindReplace",
                                                         "SaveWindowSize",
                                                         "SaveProjOrgWindowSize",
                                                         "SaveProjOrgVisibility",
                                                         "SavePropertyPageHistory"};

const std::initializer_list<const char*> MySqlFlags = {
    "ServerUpOnStartup", "AutoSetupMySql", "ServerDownOnShutdown", "CheckForDownServer",
    "UseNamedPipe",      "UseService",     "AutoInstallService"};

struct TTextField {
    const char* Control;
    const std::string& (TKorProject::*Get)() const;
    void (TKorProject::*Set)(const std::string&);
};
const TTextField IdentityFields[] = {
    {"Title", &TKorProject::Title, &TKorProject::setTitle},
    {"Version", &TKorProject::Version, &TKorProject::setVersion},
    {"Copyright", &TKorProject::Copyright, &TKorProject::setCopyright},
    {"Author", &TKorProject::Author, &TKorProject::setAuthor},
    {"AuthorID", &TKorProject::AuthorId, &TKorProject::setAuthorId},
    {"Email", &TKorProject::ContactEmail, &TKorProject::setContactEmail},
    {"URL", &TKorProject::ContactURL, &TKorProject::setContactURL},
    {"Telephone", &TKorProject::ContactTelephone, &TKorProject::setContactTelephone},
    {"PostalAddress", &TKorProject::ContactPostalAddress, &TKorProject::setContactPostalAddress},
    {"Notes", &TKorProject::Notes, &TKorProject::setNotes},
    {"Keywords", &TKorProject::Keywords, &TKorProject::setKeywords}};
const TTextField FtpFields[] = {
    {"HostName", &TKorProject::FtpHost, &TKorProject::setFtpHost},
    {"Login", &TKorProject::FtpUserName, &TKorProject::setFtpUserName},
    {"Password", &TKorProject::FtpPassword, &TKorProject::setFtpPassword},
    {"Port", &TKorProject::FtpPort, &TKorProject::setFtpPort},
    {"StartDir", &TKorProject::FtpStartDir, &TKorProject::setFtpStartDir},
    {"SftpKeyFile", &TKorProject::SftpKeyFile, &TKorProject::setSftpKeyFile}};

bool SameSchemes(const TAttribList& a, const TAttribList& b) {
    const auto left = a.ToStrings();
    const auto right = b.ToStrings();
    if (left.size() != right.size()) return false;
    for (size_t i = 0; i < left.size(); ++i)
        if (left[i].first != right[i].first || !left[i].second->Equals(*right[i].second))
            return false;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Controls by name

QCheckBox* TPropertiesDlg::Box(const char* name) const {
    return findChild<QCheckBox*>(QString::fromLatin1(name));
}

QLineEdit* TPropertiesDlg::Edit(const char* name) const {
    return findChild<QLineEdit*>(QString::fromLatin1(name));
}

QSpinBox* TPropertiesDlg::Spin(const char* name) const {
    return findChild<QSpinBox*>(QString::fromLatin1(name));
}

std::string TPropertiesDlg::Text(const char* name) const {
    if (QLineEdit* edit = Edit(name)) return ToStdString(edit->text());
    return ToStdString(findChild<QPlainTextEdit*>(QString::fromLatin1(name))->toPlainText());
}

void TPropertiesDlg::SetText(const char* name, const std::string& value) {
    if (QLineEdit* edit = Edit(name))
        edit->setText(ToQString(value));
    else
        findChild<QPlainTextEdit*>(QString::fromLatin1(name))->setPlainText(ToQString(value));
}

bool TPropertiesDlg::Checked(const char* name) const {
    return Box(name)->isChecked();
}

void TPropertiesDlg::SetChecked(const char* name, bool ticked) {
    Box(name)->setChecked(ticked);
}

// ---------------------------------------------------------------------------------------------
// Showing

void TPropertiesDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (Loaded) return;
    Loaded = true;
    FormShow();
    if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
}

void TPropertiesDlg::FormShow() {
    TraceScope trace(this, "TPropertiesDlg", "FormShow");
    TKorProject& p = Project;
    try {
        Updating = false;
        Showing = true;
        SetText("PerlCompilerPath", p.PerlCompilerPath());
        SetText("PhpCompilerPath", p.PhpCompilerPath());
        SetText("TempPath", RemoveTrailingSlash(p.TempPath()));
        if (QAbstractButton* radio = PerlWarnings->button(p.PerlWarnings()))
            radio->setChecked(true);
        SetChecked("TaintMode", p.TaintMode());
        Spin("RunOutputLimit")->setValue(p.GlobalSettings().getRunOutputLimit());
        SetChecked("RunInTerminal", p.GlobalSettings().getRunInTerminal());
        SetText("RootURL", p.RootURL());
        Spin("Backups")->setValue(p.MaxBackUps());
        SetText("VersionsPath", p.VersionsPath());
        Spin("BackupPause")->setValue(p.BackupPause());
        for (const char* name : EnvOptionFlags)
            SetChecked(name, (p.*ProjectFlag(name).Get)());

        TMySqlController& sql = p.MySql();
        SetText("MySqlPath", sql.BinPath());
        SetText("MySqlLogin", sql.UserLogin());
        SetText("MySqlPassword", sql.UserPassword());
        SetText("MySqlRootPassword", sql.RootPassword());
        for (const char* name : MySqlFlags)
            SetChecked(name, (sql.*MySqlFlag(name).Get)());
        // The service manager starts and stops the server when the system has one.
        Box("UseService")->setEnabled(!sql.ServiceManager.empty());
        Box("UseService")
            ->setToolTip(sql.ServiceManager.empty()
                             ? QStringLiteral("This system has no service manager")
                             : QString());

        TWebServer& web = p.WebServer();
        SetChecked("WebServerStarted", web.Started());
        SetText("DefWebFile", web.getDefaultDoc());
        SetText("WebServerPath", web.getRootPath());
        SetText("WebPort", web.getPort());
        SetText("CgiBinPath", web.CgiBinPath());
        SetText("CgiBinLogicalPath", web.LogicalCgiBinPath());
        Spin("CgiTimeout")->setValue(web.CgiTimeout());

        ShowStatistics();
        for (const TTextField& field : IdentityFields)
            SetText(field.Control, (p.*field.Get)());

        WorkNamed.Assign(p.SchemeList());
        FillSchemeNames();
        auto work = WorkSchemes.All();
        auto active = p.Schemes().All();
        for (size_t i = 0; i < work.size(); ++i)
            work[i]->Assign(*active[i]);

        for (const TTextField& field : FtpFields)
            SetText(field.Control, (p.*field.Get)());
        findChild<QComboBox*>(QStringLiteral("FtpProtocol"))
            ->setCurrentIndex(static_cast<int>(p.FtpProtocol()));
        for (const char* name : {"FtpUploadChangedFiles", "FtpKeepOpen", "FtpPassive"})
            SetChecked(name, (p.*ProjectFlag(name).Get)());

        for (const char* name : EditorFlags)
            SetChecked(name, (p.*ProjectFlag(name).Get)());
        Spin("TabSize")->setValue(p.TabWidth());
        for (const auto& group : {CursorFlags, DisplayFlags})
            for (const char* name : group)
                SetChecked(name, (p.*ProjectFlag(name).Get)());
        SetChecked("MultiLineEditorTabs", p.MultiLineEditorTabs());

        for (const char* name : LoggingFlags)
            SetChecked(name, (p.*ProjectFlag(name).Get)());
        SetChecked("IgnoreTransientUpdates", !p.LogTransientUpdates());
        LoggingIsOn->setChecked(p.LoggingIsOn());
        LoggingIsOn->setText(p.LoggingIsOn() ? QStringLiteral("Logging is on")
                                             : QStringLiteral("Logging is off"));
        SetText("LogFilename", p.LogFileName());
        SetChecked("FilesInProject", p.FilesInProject());

        WorkEnvVars = p.ProjectEnvVars();
        Env->Reload();

        WorkTypes = p.FileTypes();
        ShowFileTypeRows();
        SelectFileType(nullptr);

        if (Services.Help) {
            Services.Help->PushContext("Contents/reference");
            HelpPushed = true;
        }
        CancelBtn->setText(QStringLiteral("Close"));
        Showing = false;
        OKBtn->setEnabled(false);
        ApplyBtn->setEnabled(false);

        if (!FindNodeByPath(Cats, p.PriorPropertyPage())) p.setPriorPropertyPage("Notes");
        RecentPages->clear();
        for (const std::string& path : p.PropertyPageHistory())
            RecentPages->addItem(ToQString(path));
        SelectPath(p.PriorPropertyPage());
    } catch (...) {
        Showing = false;
        throw;
    }
}

void TPropertiesDlg::ShowStatistics() {
    const TKorProject& p = Project;
    auto* file = findChild<QLabel*>(QStringLiteral("ProjectFileName"));
    file->setText(ToQString(p.FileName()));
    std::vector<std::string> hint;
    if (!SameText(p.FileName(), p.SavedFileName()))
        hint.push_back(p.FileName().empty()
                           ? "Project has not been saved"
                           : "Project was originally saved as " + p.SavedFileName());
    const std::string saved = p.SavedVersion() + "." + p.SavedBuild();
    if (!SameText(saved, ReleaseVersion()))
        hint.push_back("Saved version of Korvane was " + saved + " whereas this version is " +
                       ReleaseVersion());
    std::string joined;
    for (const std::string& line : hint)
        joined += (joined.empty() ? "" : "\n") + line;
    file->setToolTip(ToQString(joined));

    const auto set = [this](const char* name, const std::string& text) {
        findChild<QLabel*>(QString::fromLatin1(name))->setText(ToQString(text));
    };
    const auto dateText = [](TDateTime date) {
        return date == 0 ? std::string() : FormatDateTime("dd mmm yyyy hh:nn", date);
    };
    set("StartDate", dateText(p.StartDate()));
    set("ModifiedDate", dateText(p.ModifiedDate()));
    set("Count", std::to_string(p.Count()));
    set("VisibleCount", std::to_string(p.VisibleCount()));
    set("TempCount", std::to_string(p.TempCount()));
    set("TemplateStats", std::to_string(p.CodeTemplates().CountNodes()) +
                             " nodes in menu hierarchy, of which " +
                             std::to_string(p.CodeTemplates().CountTemplates()) + " are templates");
    set("TemplateFileName", p.GlobalSettings().getCodeTemplateFileName());
    set("HelpFileName", Services.Help ? Services.Help->FilePath() : std::string());
    set("HelpStats", Services.Help ? Services.Help->StatisticsText() : std::string());
}

// ---------------------------------------------------------------------------------------------
// Change tracking

void TPropertiesDlg::GenChange() {
    OKBtn->setEnabled(true);
    ApplyBtn->setEnabled(true);
    if (Checked("ShowLineNumbers")) SetChecked("ShowLHGutter", true);
    const bool external = Checked("UseExternalEnvVars");
    Box("ExcludeExternalEnvEquals")->setEnabled(external);
    Box("KeyEnvVars")->setEnabled(external);
    CancelBtn->setText(QStringLiteral("Cancel"));
}

void TPropertiesDlg::CheckClick(const std::string& name, bool ticked) {
    if (Updating) return;
    if (ticked && (name == "ExcludeExternalEnvEquals" || name == "KeyEnvVars")) {
        // The two ways of trimming the outside environment exclude each other.
        Updating = true;
        SetChecked(name == "KeyEnvVars" ? "ExcludeExternalEnvEquals" : "KeyEnvVars", false);
        Updating = false;
    }
    if (name == "FilesInProject") return FilesInProjectClick(ticked);
    GenChange();
}

void TPropertiesDlg::FilesInProjectClick(bool ticked) {
    if (ticked && !Project.FilesInProjectScope()) {
        CurrentPrompt().Inform(PromptKind::Warning,
                               Project.FileName().empty()
                                   ? "Save project before using this option."
                                   : "Security: At least one file is not in the Project "
                                     "(sub)directory");
        SetChecked("FilesInProject", false);
    }
    GenChange();
}

void TPropertiesDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && Services.Help) {
        Services.Help->ShowContext();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Pages

void TPropertiesDlg::SelectPath(const std::string& path) {
    Cats->setCurrentItem(FindNodeByPath(Cats, path));
    if (!Cats->currentItem()) CatsChange();
}

std::string TPropertiesDlg::SelectedPath() const {
    return Cats->currentItem() ? TreeNodePath(Cats->currentItem()) : std::string();
}

void TPropertiesDlg::CatsChange() {
    const bool onColours =
        ShownPage == TPropertyPage::FontColors || ShownPage == TPropertyPage::Highlighting;
    const std::string path = SelectedPath();
    const TPageOfNode node = path.empty() ? TPageOfNode{} : PageOfPath(path);
    if (onColours && (node.Language != CurrentLanguage || node.Language < 0)) ColorsSheetExit();

    Pages->setCurrentIndex(0);
    ShowGroupSummary(Cats->currentItem());
    ShownPage = node.Page;
    if (node.Language >= 0) {
        CurrentLanguage = node.Language;
        Current = WorkSchemes.All()[static_cast<size_t>(
            std::array<int, 6>{0, 2, 1, 3, 4, 5}[static_cast<size_t>(node.Language)])];
        UpdateColorSet();
    } else {
        CurrentLanguage = -1;
        Current = nullptr;
    }
    if (node.Page != TPropertyPage::None) {
        Pages->setCurrentWidget(PageWidgets.at(node.Page));
        RecentToTop(RecentPages, path);
    }
    PagesChange(node.Topic);
    if (node.Page == TPropertyPage::MySqlTools) MySqlPageEntered();
}

void TPropertiesDlg::ShowGroupSummary(const QTreeWidgetItem* node) {
    if (!node || node->childCount() == 0) {
        GroupSummary->clear();
        return;
    }
    QString text = QStringLiteral("<h3>%1</h3><p>The settings of this group are on the pages "
                                  "below it:</p><ul>")
                       .arg(node->text(0).toHtmlEscaped());
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem* child = node->child(i);
        text += QStringLiteral("<li>") + child->text(0).toHtmlEscaped();
        QStringList below;
        for (int j = 0; j < child->childCount(); ++j)
            below << child->child(j)->text(0).toHtmlEscaped();
        if (!below.isEmpty()) text += QStringLiteral(": ") + below.join(QStringLiteral(", "));
        text += QStringLiteral("</li>");
    }
    GroupSummary->setText(text + QStringLiteral("</ul>"));
}

void TPropertiesDlg::PagesChange(const std::string& topic) {
    Updating = true;
    if (Services.Help) {
        if (HelpPushed) Services.Help->PopContext();
        Services.Help->PushContext("Contents/reference/" + topic);
        HelpPushed = true;
    }
    ShownTopic = topic;
    Updating = false;
}

// ---------------------------------------------------------------------------------------------
// Closing

void TPropertiesDlg::done(int result) {
    if (!Closing) {
        Closing = true;
        FormClose();
    }
    QDialog::done(result);
}

void TPropertiesDlg::FormClose() {
    if (Services.Help && HelpPushed) {
        Services.Help->PopContext();
        HelpPushed = false;
    }
    Project.setPriorPropertyPage(SelectedPath());
    std::vector<std::string> history;
    for (int i = 0; i < RecentPages->count(); ++i)
        history.push_back(ToStdString(RecentPages->itemText(i)));
    Project.setPropertyPageHistory(history);
}

// ---------------------------------------------------------------------------------------------
// Apply

bool TPropertiesDlg::ApplyBtnClick() {
    TraceScope trace(this, "TPropertiesDlg", "ApplyBtnClick");
    TKorProject& p = Project;
    TGlobalSettings& settings = p.GlobalSettings();
    std::vector<std::string> failures;
    // One setting that fails is named; the rest are still applied.
    const auto attempt = [&failures](const char* what, const std::function<void()>& apply) {
        try {
            apply();
        } catch (const std::exception& e) {
            failures.push_back(std::string(what) + ": " + e.what());
        }
    };
    const auto applyFlag = [&](const char* name) {
        attempt(name, [&] { (p.*ProjectFlag(name).Set)(Checked(name)); });
    };
    const auto applyFlags = [&](std::initializer_list<const char*> names) {
        for (const char* name : names)
            applyFlag(name);
    };

    // Paths compare exactly: on this system a folder differing only in case is another one.
    attempt("Perl interpreter", [&] {
        if (Text("PerlCompilerPath") != p.PerlCompilerPath())
            settings.setPerlCompilerDlgAgain(true);
        p.setPerlCompilerPath(Text("PerlCompilerPath"));
        p.setPerlWarnings(static_cast<std::uint8_t>(std::max(0, PerlWarnings->checkedId())));
    });
    applyFlags({"TaintMode"});
    attempt("Output kept of a run", [&] {
        const int megabytes = Spin("RunOutputLimit")->value();
        settings.setRunOutputLimit(megabytes);
        if (Services.Console) Services.Console->SetOutputLimit(size_t(megabytes) << 20);
    });
    attempt("Run programs in a terminal",
            [&] { settings.setRunInTerminal(Checked("RunInTerminal")); });
    attempt("PHP interpreter", [&] {
        if (Text("PhpCompilerPath") != p.PhpCompilerPath()) settings.setPhpCompilerDlgAgain(true);
        p.setPhpCompilerPath(Text("PhpCompilerPath"));
    });
    attempt("Root URL", [&] { p.setRootURL(Text("RootURL")); });
    attempt("Backups", [&] {
        p.setMaxBackUps(Spin("Backups")->value());
        p.setVersionsPath(Text("VersionsPath"));
        p.setBackupPause(Spin("BackupPause")->value());
    });
    applyFlags(EnvOptionFlags);

    TMySqlController& sql = p.MySql();
    attempt("MySQL", [&] {
        if (Text("MySqlPath") != sql.BinPath()) settings.setSqlDlgAgain(true);
        sql.setBinPath(Text("MySqlPath"));
        sql.setUserLogin(Text("MySqlLogin"));
        sql.setUserPassword(Text("MySqlPassword"));
        sql.setRootPassword(Text("MySqlRootPassword"));
        for (const char* name : MySqlFlags)
            (sql.*MySqlFlag(name).Set)(Checked(name));
    });

    ApplyWebServer(failures);

    for (const TTextField& field : IdentityFields)
        (p.*field.Set)(Text(field.Control));

    attempt("Highlighting schemes", [&] {
        auto active = p.Schemes().All();
        auto work = WorkSchemes.All();
        for (size_t i = 0; i < work.size(); ++i)
            active[i]->Assign(*work[i]);
        if (!SameSchemes(p.SchemeList(), WorkNamed)) {
            p.SchemeList().Assign(WorkNamed);
            p.MarkModified();
        }
        p.UpdateAttributes();
    });

    p.setFtpProtocol(static_cast<TFtpProtocol>(
        findChild<QComboBox*>(QStringLiteral("FtpProtocol"))->currentIndex()));
    for (const TTextField& field : FtpFields)
        (p.*field.Set)(Text(field.Control));
    applyFlags({"FtpUploadChangedFiles", "FtpKeepOpen", "FtpPassive"});

    OKBtn->setEnabled(false);
    ApplyBtn->setEnabled(false);

    applyFlags(EditorFlags);
    p.setTabWidth(Spin("TabSize")->value());
    applyFlags(CursorFlags);
    applyFlags(DisplayFlags);
    attempt("Editor options", [&] { p.UpdateEditorAttribs(); });
    applyFlags({"MultiLineEditorTabs", "FilesInProject"});
    const std::string temp = Text("TempPath");
    if (MakeTempFolder(temp, failures)) attempt("Temporary folder", [&] { p.setTempPath(temp); });

    attempt("Environment", [&] {
        p.setProjectEnvVars(WorkEnvVars);
        p.UpdateEnvVars();
    });
    CancelBtn->setText(QStringLiteral("Close"));

    for (const char* name : LoggingFlags)
        applyFlag(name);
    attempt("Logging", [&] {
        p.setLogTransientUpdates(!Checked("IgnoreTransientUpdates"));
        p.setLogFileName(Text("LogFilename"));
        p.setLoggingIsOn(LoggingIsOn->isChecked());
    });

    if (WorkTypes.EnsureCoreTypes()) {
        CurrentPrompt().Inform(PromptKind::Warning,
                               "One or more mandatory Korvane default(s) have been restored.");
        ShowFileTypeRows();
        SelectFileType(nullptr);
    }
    attempt("File types", [&] {
        if (p.FileTypes() == WorkTypes) return;
        p.FileTypes() = WorkTypes;
        p.MarkModified();
        p.ValidateFileTypes();
    });

    if (failures.empty()) return true;
    std::string message = "These settings could not be applied:";
    for (const std::string& failure : failures)
        message += "\n" + failure;
    CurrentPrompt().Inform(PromptKind::Warning, message);
    GenChange();
    return false;
}

// Each changed server setting restarts a running server; stopping it once, setting them all
// and starting it once avoids a restart per setting and a start on a half-changed set.
void TPropertiesDlg::ApplyWebServer(std::vector<std::string>& failures) {
    TWebServer& web = Project.WebServer();
    const bool wanted = Checked("WebServerStarted");
    const bool changed =
        Text("DefWebFile") != web.getDefaultDoc() || Text("WebServerPath") != web.getRootPath() ||
        Text("WebPort") != web.getPort() || Text("CgiBinPath") != web.CgiBinPath() ||
        Text("CgiBinLogicalPath") != web.LogicalCgiBinPath() ||
        Spin("CgiTimeout")->value() != web.CgiTimeout();
    try {
        if (changed && web.Started()) web.Stop();
        web.setDefaultDoc(Text("DefWebFile"));
        web.setRootPath(Text("WebServerPath"));
        web.setPort(Text("WebPort"));
        web.setCgiBinpath(Text("CgiBinPath"));
        web.setLogicalCgiBinPath(Text("CgiBinLogicalPath"));
        web.setCgiTimeout(Spin("CgiTimeout")->value());
        web.setStarted(wanted);
        if (wanted && !web.Started())
            throw handledException("it did not start on port " + web.getPort());
    } catch (const std::exception& e) {
        failures.push_back(std::string("Web server: ") + e.what());
    }
    if (!web.Started()) SetChecked("WebServerStarted", false);
}

// Runs and logs need the temporary folder to exist, so a new one is made here; one that
// cannot be made is not stored. Nor is an empty or relative one: temporary pages would land in
// whatever folder the program happens to run in.
bool TPropertiesDlg::MakeTempFolder(const std::string& folder, std::vector<std::string>& failures) {
    if (!std::filesystem::path(folder).is_absolute()) {
        failures.push_back("Temporary folder: a full folder path is needed, such as " +
                           ProgramFolder() + "temp");
        return false;
    }
    if (IsFolder(folder)) return true;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error && IsFolder(folder)) return true;
    failures.push_back("Temporary folder: cannot make " + folder +
                       (error ? " (" + error.message() + ")" : std::string()));
    return false;
}

} // namespace korvane
