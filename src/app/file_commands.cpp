#include "app/file_commands.h"

#include "app/command.h"
#include "app/encoding_menu.h"
#include "app/file_dialogs.h"
#include "editor/editor_page.h"
#include "editor/styled_text.h"
#include "model/global_settings.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "storage/backups.h"
#include "storage/clock.h"
#include "storage/date_text.h"
#include "storage/errors.h"
#include "storage/file_utils.h"
#include "storage/line_endings.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "storage/safe_file_write.h"
#include "storage/text_utils.h"
#include "widgets/backup_menu.h"
#include "widgets/kor_syn_edit.h"
#include "widgets/user_feedback.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include <filesystem>

namespace korvane {
namespace {

constexpr const char* ClassName = "TFileCommands";

struct TTempType {
    const char* Caption;    // in "Change Temp File Type"
    const char* NewCaption; // in the New button's drop-down
    const char* Extension;
    const char* HintName;
    THighlighterKind Kind;
};
constexpr TTempType TempTypes[] = {
    {"Perl", "New Perl Program", ".pl", "Perl", THighlighterKind::Perl},
    {"PHP", "New PHP Script", ".php", "PHP", THighlighterKind::PHP},
    {"HTML", "New HTML Document", ".html", "HTML", THighlighterKind::HTML},
    {"SQL", "New SQL Script", ".sql", "SQL", THighlighterKind::SQL},
    {"DOS Batch", "New DOS Batch File", ".bat", "Batch", THighlighterKind::Batch},
    {"Text Scratchpad", "New Text Scratchpad", ".txt", "Scratchpad", THighlighterKind::General},
};

struct TLineEndingItem {
    const char* Caption;
    int Format;
};
constexpr TLineEndingItem LineEndingItems[] = {
    {"PC (DOS/Windows)", leCrLf}, {"Unix", leLf}, {"Macintosh", leCr}};

std::string NewFileHint(const std::string& extension) {
    for (const TTempType& type : TempTypes)
        if (SameText(extension, type.Extension))
            return std::string("Add new Temporary file (") + type.HintName + ")";
    return "Add new Temporary file (Unknown)";
}

std::string OriginalFormatCaption(int format) {
    switch (format) {
    case leCrLf:
        return "Original (Dos/Windows)";
    case leLf:
        return "Original (Unix)";
    case leCr:
        return "Original (Macintosh)";
    default:
        return "Default";
    }
}

std::string FullPath(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

} // namespace

TFileCommands::TFileCommands(QMainWindow& window, TKorProject& project, TGlobalSettings& settings,
                             TCommandUpdates& updates)
    : Window(window), Project(project), Settings(settings), Updates(updates),
      Recent("Files MRU", "") {}

TFileCommands::~TFileCommands() = default;

TEditorPage* TFileCommands::CurrentPage() const {
    return dynamic_cast<TEditorPage*>(Project.getCurrentPage());
}

QAction* TFileCommands::Command(const char* name, const char* caption, const QKeySequence& keys,
                                const char* hint, std::function<void()> run) {
    QAction* action = MakeCommand(Window, {name, "File", caption, keys, hint});
    connect(action, &QAction::triggered, this, [this, name, run = std::move(run)] {
        TraceScope trace(this, ClassName, name);
        ReportingErrors(run);
    });
    return action;
}

void TFileCommands::FillMenu(QMenu& file) {
    NewFileAction = Command("NewFileAction", "&New", QKeySequence(Qt::CTRL | Qt::Key_N),
                            "Add new Temporary file", [this] { NewFile(); });
    SetNewFileExtension(NewFileExt);
    NewTypes = new QMenu(&Window);
    NewTypes->setObjectName(QStringLiteral("NewMenu"));
    for (const TTempType& type : TempTypes) {
        const std::string extension = type.Extension;
        NewTypes->addAction(QString::fromLatin1(type.NewCaption), this, [this, extension] {
            SetNewFileExtension(extension);
            NewFileAction->trigger();
        });
    }
    file.addAction(NewFileAction);
    file.addAction(Command("OpenAction", "Open...", QKeySequence(Qt::CTRL | Qt::Key_O),
                           "Open File to Project", [this] {
                               const std::string path = CurrentPrompt().ChooseFile(
                                   OpenSourceChoice(Settings.getLastFilePath()));
                               if (!path.empty()) OpenFile(path);
                           }));
    QAction* close =
        Command("CloseAction", "&Close", QKeySequence(Qt::ALT | Qt::Key_X), "", [this] {
            if (TEditorPage* page = CurrentPage()) CloseFile(*page);
        });
    // Ctrl+W is where Linux programs close a document.
    close->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_W)});
    Updates.Add(*close, [this](QAction& action) { action.setEnabled(CurrentPage() != nullptr); });
    file.addAction(close);
    QAction* closeAll =
        Command("CloseAllAction", "Close A&ll", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W),
                "Close all files", [this] { CloseAll(); });
    Updates.Add(*closeAll,
                [this](QAction& action) { action.setEnabled(Project.VisibleCount() > 0); });
    file.addAction(closeAll);
    file.addSeparator();

    QAction* save = Command("SaveFileAction", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S),
                            "Save Visible File", [this] { SaveFile(); });
    Updates.Add(*save, [this](QAction& action) {
        const TEditorPage* page = CurrentPage();
        action.setEnabled(page && page->EditorModified());
    });
    file.addAction(save);
    file.addAction(Command("SaveAsAction", "Save &As...", QKeySequence(), "Save File As",
                           [this] { SaveAs(); }));
    QAction* saveAll =
        Command("SaveAll", "Save &All", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_A),
                "Save Project & Files", [this] {
                    // A project without a file gets one first.
                    if (Project.FileName().empty())
                        if (QAction* saveAs = FindCommand(Window, "SaveProjectAsAction"))
                            saveAs->trigger();
                    if (!Project.FileName().empty()) Project.SaveAll(Project.FileName());
                });
    Updates.Add(*saveAll, [this](QAction& action) {
        action.setEnabled(Project.getModified() || Project.FilesModified());
    });
    file.addAction(saveAll);
    QAction* revert = Command("RevertAction", "Re&vert to Saved", QKeySequence(),
                              "Discard the changes and read the file again", [this] { Revert(); });
    Updates.Add(*revert, [this](QAction& action) {
        const TEditorPage* page = CurrentPage();
        action.setEnabled(page && !page->IsTempFile() && page->EditorModified());
    });
    file.addAction(revert);
    AddTempTypeMenu(file);
    RecentSubmenu = file.addMenu(QStringLiteral("&Recent"));
    RecentDropDown = new QMenu(&Window);
    RecentDropDown->setObjectName(QStringLiteral("OpenMenu"));
    RecentMenu = std::make_unique<TMRUMenu>(Recent, *RecentSubmenu, RecentDropDown,
                                            QStringLiteral("FileRecent"),
                                            [this](const std::string& path) { OpenFile(path); });
    file.addSeparator();
    AddLineEndingMenu(file);
    new TEncodingMenu(file, [this] { return CurrentPage(); });
    RestoreSubmenu = file.addMenu(QStringLiteral("&Restore"));
    file.addSeparator();
    file.addAction(Command("InsertFileAction", "&Insert File at Cursor...",
                           QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_I), "",
                           [this] { InsertFile(); }));
    QMenu* exportMenu = file.addMenu(QStringLiteral("&Export"));
    exportMenu->addAction(
        Command("ExportToHTMLAction", "to HTML...", QKeySequence(), "", [this] { Export(true); }));
    exportMenu->addAction(
        Command("ExportToRTFAction", "to RTF...", QKeySequence(), "", [this] { Export(false); }));
    PrintSeparator = file.addSeparator();
    if (QAction* upload = FindCommand(Window, "UploadAction"))
        file.insertAction(PrintSeparator, upload);
    file.addAction(Command("PrintAction", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P),
                           "Print Visible File", [this] { Print(); }));
    file.addAction(Command("PrintSetupAction", "Prin&t Setup...", QKeySequence(),
                           "Choose a printer and paper", [this] { PrintSetup(); }));
    file.addSeparator();
    QAction* exit = MakeCommand(Window, {"ExitAction", "File", "E&xit",
                                         QKeySequence(Qt::ALT | Qt::Key_F4), "Exit Korvane"});
    connect(exit, &QAction::triggered, &Window, &QWidget::close);
    file.addAction(exit);

    for (const char* name : {"PrintAction", "InsertFileAction", "ExportToHTMLAction",
                             "ExportToRTFAction", "SaveAsAction"})
        Updates.Add(*FindCommand(Window, name),
                    [this](QAction& action) { action.setEnabled(CurrentPage() != nullptr); });
    connect(&file, &QMenu::aboutToShow, this, &TFileCommands::FileMenuShowing);
}

void TFileCommands::AddTempTypeMenu(QMenu& file) {
    TempTypeSubmenu = file.addMenu(QStringLiteral("Change Temp File Type"));
    TempTypeSubmenu->setObjectName(QStringLiteral("TempFileTypeMenu")); // the page tab menu's too
    TempTypeGroup = new QActionGroup(TempTypeSubmenu);
    for (const TTempType& type : TempTypes) {
        const std::string extension = type.Extension;
        QAction* item =
            TempTypeSubmenu->addAction(QString::fromLatin1(type.Caption), this, [this, extension] {
                TraceScope trace(this, ClassName, "ChangeTempFileType");
                ReportingErrors([&] { ChangeTempFileType(extension); });
            });
        item->setCheckable(true);
        TempTypeGroup->addAction(item);
    }
    // The page tab menu shows the same submenu: it follows the current page, not the last
    // opening of the File menu.
    Updates.Add(*TempTypeSubmenu->menuAction(), [this](QAction&) { UpdateTempTypeMenu(); });
}

void TFileCommands::AddLineEndingMenu(QMenu& file) {
    LineEndingSubmenu = file.addMenu(QStringLiteral("Line Endings"));
    const auto addItem = [this](const QString& caption, int format) {
        QAction* item = LineEndingSubmenu->addAction(caption, this, [this, format] {
            TraceScope trace(this, ClassName, "LineEndingClick");
            if (TEditorPage* page = CurrentPage())
                ReportingErrors([page, format] { page->setLineEndingFormat(format); });
        });
        item->setCheckable(true);
        return item;
    };
    addItem(QStringLiteral("Default"), leDefault);
    LineEndingSubmenu->addSeparator();
    for (const TLineEndingItem& item : LineEndingItems)
        addItem(QString::fromLatin1(item.Caption), item.Format);
}

void TFileCommands::UpdateTempTypeMenu() {
    TEditorPage* page = CurrentPage();
    TempTypeSubmenu->menuAction()->setVisible(page && page->IsTempFile());
    if (!page) return;
    const QList<QAction*> types = TempTypeGroup->actions();
    int ticked = static_cast<int>(std::size(TempTypes)) - 1;
    for (int i = 0; i + 1 < static_cast<int>(std::size(TempTypes)); ++i)
        if (page->HighlighterKind() == TempTypes[i].Kind) ticked = i;
    types.at(ticked)->setChecked(true);
}

void TFileCommands::FileMenuShowing() {
    RecentMenu->Rebuild();
    TEditorPage* page = CurrentPage();

    UpdateTempTypeMenu();

    LineEndingSubmenu->setEnabled(page != nullptr);
    if (page) {
        const QList<QAction*> items = LineEndingSubmenu->actions();
        const int format = page->LineEndingFormat();
        items.at(0)->setText(ToQString(OriginalFormatCaption(page->DefaultLineEndingFormat())));
        items.at(0)->setChecked(format == page->DefaultLineEndingFormat());
        for (int i = 0; i < 3; ++i)
            items.at(i + 2)->setChecked(format == LineEndingItems[i].Format);
    }

    if (!page || Project.MaxBackUps() == 0) {
        RestoreSubmenu->clear();
        RestoreSubmenu->setEnabled(false);
        return;
    }
    BackupMenu(
        RestoreSubmenu, page->TempFileName(), ".bak", page->BackupPath(), Project.MaxBackUps(),
        [this](int number) {
            TraceScope trace(this, ClassName, "RestoreBackup");
            ReportingErrors([&] { RestoreBackup(number); });
        },
        "File");
}

void TFileCommands::SetNewFileExtension(const std::string& extension) {
    NewFileExt = extension;
    if (!NewFileAction) return;
    const QString hint = ToQString(NewFileHint(extension));
    NewFileAction->setStatusTip(hint);
    NewFileAction->setToolTip(hint);
}

void TFileCommands::OpenFile(const std::string& path) {
    TraceScope trace(this, ClassName, "OpenFile");
    ReportingErrors([&] {
        const std::string full = FullPath(path);
        if (TProjectPage* open = Project.PageByFileName(full)) {
            if (CurrentPrompt().Ask(PromptKind::Confirmation,
                                    "Already open. Do you wish to open another copy?",
                                    pbYes | pbNo) != pbYes) {
                // No second copy: the one already open is what the user is shown.
                if (open->HasEditor() && open->Visible()) {
                    Project.setCurrentPage(open);
                    open->ActivateTab();
                    Project.MoveToPageUpdate();
                }
                return;
            }
        }
        TProjectPage& page = Project.Add(full, true);
        Project.setModified(true);
        if (auto* editorPage = dynamic_cast<TEditorPage*>(&page)) {
            // The format the file came with is what "Original" goes back to.
            editorPage->setDefaultLineEndingFormat(editorPage->LineEndingFormat());
            if (!editorPage->IsTempFile()) Settings.setLastFilePath(FolderPart(full));
        }
        Project.UpdateEditorAttribs();
        Recent.Add(full);
        RecentMenu->Rebuild();
        if (Project.Count() == 2) Project.CloseUnusedPages();
        if (!page.HasEditor()) {
            CurrentPrompt().Inform(PromptKind::Information,
                                   "File " + full +
                                       " is not an editable file type; it is kept in the "
                                       "project for upload.");
            return;
        }
        if (!page.Visible()) page.setVisible(true);
        Project.setCurrentPage(&page);
        page.ActivateTab();
        Project.MoveToPageUpdate();
    });
}

void TFileCommands::NewFile() {
    TProjectPage& added = Project.Add("", true);
    auto* page = dynamic_cast<TEditorPage*>(&added);
    if (!page || !page->Editor()) return;
    page->Editor()->SetModified(true);
    Project.UpdateEditorAttribs();
    page->EditorChangeEvent();
    page->ActivateTab();
    page->Editor()->setFocus();
    // A new file of the chosen type starts from that type's template.
    page->SaveToFileExt(page->TempFileName(), NewFileExt, true, true, Now());
    page->Editor()->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    Project.MoveToPageUpdate();
}

void TFileCommands::ChangeTempFileType(const std::string& extension) {
    TEditorPage* page = CurrentPage();
    if (!page || !page->IsTempFile()) return;
    const std::string previous = page->TempFileName();
    page->SaveToFileExt(previous, extension, true, true, Now());
    if (page->TempFileName() != previous) {
        std::error_code ignored; // a file left behind is harmless
        std::filesystem::remove(previous, ignored);
    }
    Project.MoveToPageUpdate();
}

void TFileCommands::SaveFile() {
    TEditorPage* page = CurrentPage();
    if (!page) return;
    if (page->IsTempFile()) {
        SaveAs(page);
        return;
    }
    page->SaveToFile(page->FileName(), false);
}

void TFileCommands::SaveAs(TEditorPage* page) {
    TraceScope trace(this, ClassName, "SaveAs");
    if (!page) page = CurrentPage();
    if (!page) return;
    ReportingErrors([&] {
        const std::string proposed =
            page->IsTempFile()
                ? (page->Visible() ? "File" + std::to_string(page->TempNumber()) : std::string())
                : FileNamePart(page->FileName());
        const std::string chosen = CurrentPrompt().ChooseFile(SaveSourceChoice(
            Settings.getLastFilePath(), proposed, FileExtension(page->TempFileName())));
        if (chosen.empty() || !MayOverwrite("File", chosen)) return;
        const bool temporary = page->IsTempFile();
        page->SaveToFile(chosen, true);
        // The page may be rebuilt by the type check: nothing of it is used after.
        if (!Project.ValidateFileTypes() && !temporary)
            Settings.setLastProjectPath(FolderPart(chosen));
        Recent.Add(chosen);
        RecentMenu->Rebuild();
        Project.MoveToPageUpdate();
    });
}

bool TFileCommands::CloseFile(TEditorPage& page) {
    TraceScope trace(this, ClassName, "CloseFile");
    Recent.Add(page.FileName());
    RecentMenu->Rebuild();
    const std::string question = page.IsTempFile() && page.Visible()
                                     ? "This is a temporary file. Close and lose all data?"
                                     : "Closing file " + page.FileName() +
                                           " will cause associated project data to be lost.\n"
                                           "Continue and disassociate file from project?";
    if (CurrentPrompt().Ask(PromptKind::Warning, question, pbOK | pbCancel) != pbOK) return false;
    bool closed = false;
    ReportingErrors([&] {
        if (page.Visible() && page.SaveToFileCheck(page.FileName()) == pbCancel) return;
        Project.FreePage(&page);
        Project.setModified(true);
        // As after "Close All": the window never stands empty with every command off.
        if (Project.AddStartPageWhenNoneShown()) Project.getCurrentPage()->ActivateTab();
        Project.MoveToPageUpdate();
        closed = true;
    });
    return closed;
}

bool TFileCommands::CloseAll() {
    std::vector<TEditorPage*> shown;
    bool tempText = false;
    for (int i = 0; i < Project.Count(); ++i)
        if (auto* page = dynamic_cast<TEditorPage*>(&Project.Page(i)); page && page->Visible()) {
            shown.push_back(page);
            tempText = tempText || (page->IsTempFile() && page->LineCount() > 0 &&
                                    !page->Editor()->RawView().empty());
        }
    if (shown.empty()) return true;
    std::string question = "Close all " + std::to_string(shown.size()) + " open file" +
                           Plural(static_cast<long>(shown.size())) +
                           " and remove them from the project?";
    if (tempText) question += "\nThe text of temporary files will be lost.";
    if (CurrentPrompt().Ask(PromptKind::Warning, question, pbOK | pbCancel) != pbOK) return false;
    // Every question first: a Cancel anywhere closes nothing.
    bool closed = false;
    ReportingErrors([&] {
        for (TEditorPage* page : shown)
            if (page->SaveToFileCheck(page->FileName()) == pbCancel) return;
        for (TEditorPage* page : shown) {
            Recent.Add(page->FileName());
            Project.FreePage(page);
        }
        Project.setModified(true);
        if (Project.AddStartPageWhenNoneShown()) Project.getCurrentPage()->ActivateTab();
        Project.MoveToPageUpdate();
        closed = true;
    });
    RecentMenu->Rebuild();
    return closed;
}

void TFileCommands::RestoreBackup(int number) {
    TEditorPage* page = CurrentPage();
    if (!page || !page->Editor()) return;
    const std::string backup =
        BackupFileName(page->TempFileName(), ".bak", page->BackupPath(), number);
    std::string text;
    const int format = LoadConvertedText(backup, text);
    if (format == leDefault) throw handledException("Cannot read backup file " + backup);
    // The question comes before anything changes: Cancel leaves the page and its file alone.
    if (page->SaveToFileCheck(page->FileName()) == pbCancel) return;
    TDateTime date = 0;
    FileDateTime(backup, date);
    page->RestoreText(text, format);
    InfoMessage("File from [" + FormatDateTime("d-mmm-yyyy \"at\" hh:nn:ss", date) + "] restored.");
}

void TFileCommands::Revert() {
    TEditorPage* page = CurrentPage();
    if (!page || !page->Editor() || page->IsTempFile()) return;
    const std::string path = page->TempFileName();
    std::string text;
    const int format = LoadConvertedText(path, text);
    if (format == leDefault) throw handledException("Cannot read file " + path);
    if (CurrentPrompt().Ask(PromptKind::Warning,
                            "Discard the changes to " + FileNamePart(path) +
                                " and read it again from the disk?",
                            pbYes | pbNo, "", pbNo) != pbYes)
        return;
    // One undoable edit: a revert by mistake is taken back with Undo.
    page->RestoreText(text, format, true);
}

void TFileCommands::InsertFile() {
    TEditorPage* page = CurrentPage();
    if (!page || !page->Editor()) return;
    const std::string path = CurrentPrompt().ChooseFile(InsertFileChoice());
    if (path.empty()) return;
    std::string text;
    if (LoadConvertedText(path, text) == leDefault && !FileExists(path))
        throw handledException("Cannot read file " + path);
    page->Editor()->ReplaceSelectionRaw(text);
}

void TFileCommands::Export(bool html) {
    TEditorPage* page = CurrentPage();
    if (!page || !page->Editor()) return;
    const std::string path =
        CurrentPrompt().ChooseFile(html ? ExportHtmlChoice() : ExportRtfChoice());
    if (path.empty() || !MayOverwrite("File", path)) return;
    const TStyledText styled = StyledTextOf(*page->Editor());
    const std::string title =
        page->IsTempFile() ? page->TabCaption() : FileNamePart(page->FileName());
    const std::string document = html ? ExportToHtml(styled, title) : ExportToRtf(styled);
    ReplaceFileContents(path, document.data(), document.size());
    if (html) {
        Recent.Add(FullPath(path));
        RecentMenu->Rebuild();
    }
}

void TFileCommands::Print() {
    TEditorPage* page = CurrentPage();
    if (!page || !page->Editor()) return;
    if (!Printer) Printer = std::make_unique<QPrinter>();
    QPrintDialog dialog(Printer.get(), &Window);
    dialog.setMinMax(1, 9999);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintSelection |
                      QAbstractPrintDialog::PrintToFile);
    if (dialog.exec() != QDialog::Accepted) return;
    TPrintSettings settings;
    settings.Copies = Printer->copyCount();
    settings.Range =
        dialog.printRange() == QAbstractPrintDialog::Selection   ? TPrintSettings::Selection
        : dialog.printRange() == QAbstractPrintDialog::PageRange ? TPrintSettings::PageRange
                                                                 : TPrintSettings::AllPages;
    settings.FromPage = Printer->fromPage();
    settings.ToPage = Printer->toPage();
    settings.OutputFile = ToStdString(Printer->outputFileName());
    settings.PrinterName = ToStdString(Printer->printerName());
    settings.Layout = Printer->pageLayout();
    page->Print(settings);
}

void TFileCommands::PrintSetup() {
    if (!Printer) Printer = std::make_unique<QPrinter>();
    QPageSetupDialog dialog(Printer.get(), &Window);
    dialog.exec();
}

} // namespace korvane
