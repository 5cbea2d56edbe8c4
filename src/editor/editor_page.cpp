// The page's life, its file name and type, its tabs and its place in the page list.
#include "editor/editor_page.h"

#include "editor/browser_tab.h"
#include "editor/debug_support.h"
#include "editor/output_document.h"
#include "editor/page_highlighter.h"
#include "editor/scheme_to_editor.h"
#include "editor/trust_bar.h"
#include "exec/background_check.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "services/mysql_controller.h"
#include "storage/file_utils.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "storage/text_utils.h"
#include "templates/page_templates.h"
#include "widgets/kor_syn_edit.h"
#include "widgets/user_feedback.h"

#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <Qsci/qscilexerbatch.h>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qscilexersql.h>

#include <algorithm>
#include <filesystem>

namespace korvane {
namespace {

constexpr const char* ClassName = "TEditorPage";
constexpr int BatchFormSendType = 4;

} // namespace

bool TEditorPage::WantsEditor(TKorProject& project, bool editable, const std::string& fileName) {
    if (fileName.empty()) return editable;
    const std::string ext = FileExtension(fileName);
    if (const TFileType* type = project.FileTypes().Find(ext)) return type->Editable;
    // No type is kept for names without an extension (a script named as its command, a
    // README, a Makefile): such a file is edited when it holds text.
    return ext.empty() && FileLooksLikeText(fileName);
}

void InstallEditorPages(TKorProject& project, TDebugForm& debugger) {
    project.SetPageFactory(
        [&debugger](TKorProject& owner, bool editable, const std::string& fileName) {
            return std::make_unique<TEditorPage>(owner, debugger, editable, fileName);
        });
}

TEditorPage::TEditorPage(TKorProject& project, TDebugForm& debugger, bool editable,
                         const std::string& fileName)
    : TProjectPage(project, WantsEditor(project, editable, fileName), fileName),
      DebugFormObject(debugger) {
    TraceScope trace(this, ClassName, "Create");
    FtpDestFilenameValue = FileNamePart(fileName);
    if (HasEditor()) {
        for (TAttribDetails* scheme : Owner.Schemes().All())
            scheme->SetApplied(false);
        BuildWidgets();
        Plugin = std::make_unique<TDebugSupportPlugin>(*this, *SourceEditor);
        ConnectEditor();
        setVisible(true);
    }
    setFileName(fileName);
    if (!HasEditor()) return;
    // A temporary page has no file until its first save; it starts from the "new" template.
    if (IsTempFile()) {
        NewFileValue = true;
        ExpandNewPageTemplate(Owner.CodeTemplates(), *SourceEditor);
        // The template is where the page starts, not a change of the user's.
        SourceEditor->SetModified(false);
    }
    if (!IsTempFile()) {
        try {
            LoadFromFile(fileName);
        } catch (...) {
            // The page is abandoned: its tab must not stay behind.
            Plugin.reset();
            const QSignalBlocker blocker(Owner.Host().PageControl());
            delete OuterSheet.data();
            throw;
        }
        const std::string projectFolder = Owner.ProjectFolder();
        if (!Owner.FileName().empty() && StartsText(projectFolder, FileName()))
            FtpOffsetDirValue = RemoveTrailingSlash(FolderPart(Owner.RelativePath(FileName())));
    }
    UpdateEditorAttribs();
    ActivateTab();
}

TEditorPage::~TEditorPage() {
    TraceScope trace(this, ClassName, "Destroy");
    // A check still running reports to nothing once the page has gone.
    Check.reset();
    // A program of this page must not report to it once it has gone.
    if (DebugFormObject.RunPage() == static_cast<TRunClient*>(this)) DebugFormObject.ProgramReset();
    ClearBreakPoints();
    Plugin.reset();
    OutputText.reset(); // while its editor is still there
    if (OuterSheet) {
        // The page list no longer holds this page; the tab control must not report the
        // removal as a page change to a page that is going away.
        QTabWidget* tabs = Owner.Host().PageControl();
        const QSignalBlocker blocker(tabs);
        delete OuterSheet.data();
    }
}

void TEditorPage::BuildWidgets() {
    OuterSheet = new QWidget;
    auto* outerLayout = new QVBoxLayout(OuterSheet);
    outerLayout->setContentsMargins(0, 0, 0, 0);
    Inner = new QTabWidget(OuterSheet);
    Inner->setTabPosition(QTabWidget::West);
    Inner->setDocumentMode(true);
    // Every side tab keeps its whole caption: the page is never shorter than its tabs.
    Inner->setUsesScrollButtons(false);
    outerLayout->addWidget(Inner);

    SourceSheet = new QWidget;
    auto* sourceLayout = new QVBoxLayout(SourceSheet);
    sourceLayout->setContentsMargins(0, 0, 0, 0);
    TrustBar = new TTrustBar(SourceSheet, [this] { TrustCode(); });
    TrustBar->hide();
    sourceLayout->addWidget(TrustBar);
    SourceEditor = new TKorSynEdit(SourceSheet);
    sourceLayout->addWidget(SourceEditor);
    Inner->addTab(SourceSheet, QStringLiteral("Source"));

    Browser = new TBrowserTab;
    Inner->addTab(Browser, QStringLiteral("Browser Output"));
    QObject::connect(Inner, &QTabWidget::currentChanged, Inner,
                     [this](int index) { OnInnerTabChange(index); });
}

void TEditorPage::ConnectEditor() {
    TKorSynEdit* editor = SourceEditor;
    QObject::connect(editor, &TKorSynEdit::TextEdited, editor, [this] { EditorChangeEvent(); });
    QObject::connect(editor, &TKorSynEdit::ModifiedChanged, editor, [this](bool) {
        UpdateTabCaption();
        Owner.Host().PageTextChanged(*this);
    });
    QObject::connect(editor, &TKorSynEdit::MarkListChange, editor,
                     [this] { BookmarkChangeEvent(); });
    QObject::connect(editor, &QsciScintilla::cursorPositionChanged, editor,
                     [this](int line, int) { StatusChangeEvent(line + 1 != MarkedLineValue); });
    QObject::connect(editor, &QsciScintilla::selectionChanged, editor,
                     [this] { EditorPaintTransientEvent(); });
    // Announced before the change, so also while the editor edits quietly.
    QObject::connect(
        editor, &QsciScintillaBase::SCN_MODIFIED, editor,
        [this](int position, int type, const char*, int length, int, int, int, int, int, int) {
            if (type & QsciScintillaBase::SC_MOD_BEFOREINSERT)
                BracketCounts.Inserted(static_cast<size_t>(position), static_cast<size_t>(length));
            else if (type & QsciScintillaBase::SC_MOD_BEFOREDELETE)
                BracketCounts.Deleted(static_cast<size_t>(position), static_cast<size_t>(length));
        });
    // Dropped files go to the project, which opens them.
    editor->setAcceptDrops(true);
    MakeBackgroundCheck();
}

// ---------------------------------------------------------------------------------------------
// File name and type

void TEditorPage::setFileName(const std::string& fileName) {
    if (SameText(FtpDestFilenameValue, FileNamePart(FileName())))
        FtpDestFilenameValue = FileNamePart(fileName);
    TProjectPage::setFileName(fileName);
    UpdateTabCaption();
    setHighlighter(THighlighterKind::None, FileName());
    UpdateEditable(TempFileName());
}

std::string TEditorPage::TempFileName() const {
    if (!IsTempFile()) return FileName();
    return Owner.TempPath() + "tmp" + std::to_string(TempNumber()) + TempExtension(Kind);
}

std::string TEditorPage::TempHTMLFileName() const {
    const std::string name =
        IsTempFile() ? "tmp" + std::to_string(TempNumber()) : BaseNameNoExt(FileName());
    return Owner.TempPath() + name + ".html";
}

std::string TEditorPage::BackupPath() const {
    const std::string file = TempFileName();
    if (Owner.VersionsPath().empty()) return FolderPart(file);
    std::string version = Owner.Version();
    std::replace(version.begin(), version.end(), '.', '/');
    const std::string versionFolder =
        RemoveTrailingSlash(Owner.VersionsPath()) + "/" + RemoveTrailingSlash(version) + "/";
    // Files of one name in different folders (every folder's index.pl) keep apart: a file
    // below the project's folder keeps its sub-folder there, any other its whole folder path
    // below "outside".
    std::string below;
    if (!Owner.FileName().empty() && PathBelowFolder(file, Owner.ProjectFolder(), &below))
        return versionFolder + FolderPart(below);
    return versionFolder + "outside" + FolderPart(file);
}

bool TEditorPage::ToolPathsPresent() const {
    return korvane::ToolPathsPresent(Kind, Owner.RunSettings(), Owner.MySql().BinPath());
}

void TEditorPage::UpdateEditable(const std::string& fileName) {
    const TFileType* type = Owner.FileTypes().Find(FileExtension(fileName));
    SetEditableFlag(type && type->Editable);
}

void TEditorPage::setHighlighter(THighlighterKind useClass, const std::string& fileName) {
    if (!SourceEditor) return;
    const bool freeing = useClass == THighlighterKind::None && fileName == "Free";
    const THighlighterKind wanted = freeing ? THighlighterKind::None
                                    : useClass != THighlighterKind::None
                                        ? useClass
                                        : HighlighterKindForFile(fileName);
    // A batch file renamed to a shell script (or back) keeps its kind but changes its lexer.
    const bool sameLexer =
        !Lexer || Kind != THighlighterKind::Batch ||
        (Lexer->lexer() == std::string_view("bash")) == UsesShellLexer(Kind, fileName);
    if (wanted == Kind && sameLexer && !freeing) return;
    SourceEditor->setLexer(nullptr);
    delete Lexer;
    Lexer = nullptr;
    Kind = THighlighterKind::None;
    if (freeing) return;
    Kind = wanted;
    Lexer = MakeLexer(Kind, SourceEditor, fileName);
    SourceEditor->setLexer(Lexer);
    // A new lexer starts with its own colours; the schemes must reach it again.
    for (TAttribDetails* scheme : Owner.Schemes().All())
        scheme->SetApplied(false);
    UpdateAttributes();
    UpdateEditorAttribs();
    SetUpExtraTabs();
}

void TEditorPage::UpdateAttributes() {
    if (!SourceEditor) return;
    for (const TAttribDetails* scheme : Owner.Schemes().All())
        UpdateHighlighter(*scheme, *SourceEditor);
    SourceEditor->setMarginsFont(SourceEditor->font());
    if (Lexer) SourceEditor->setMarginsFont(Lexer->defaultFont());
}

void TEditorPage::UpdateEditorAttribs() {
    TKorSynEdit* editor = SourceEditor;
    if (!editor) return;
    const TKorProject& p = Owner;
    editor->setMarginWidth(TKorSynEdit::GlyphMargin, p.ShowLHGutter() ? 24 : 0);
    const int digits = static_cast<int>(std::to_string(std::max(editor->LineCount(), 99)).size());
    editor->setMarginWidth(TKorSynEdit::LineNumberMargin,
                           p.ShowLHGutter() && p.ShowLineNumbers()
                               ? QString(digits + 1, QLatin1Char('9'))
                               : QString());
    editor->setMarginLineNumbers(TKorSynEdit::LineNumberMargin,
                                 p.ShowLHGutter() && p.ShowLineNumbers());
    const auto scrollPolicy = p.HideScrollBars() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
    editor->setHorizontalScrollBarPolicy(scrollPolicy);
    editor->setVerticalScrollBarPolicy(scrollPolicy);
    editor->setWhitespaceVisibility(p.ShowSpecialChars() ? QsciScintilla::WsVisible
                                                         : QsciScintilla::WsInvisible);
    editor->setEolVisibility(p.ShowSpecialChars());
    editor->setAutoIndent(p.AutoIndent());
    editor->setIndentationsUseTabs(!p.TabsToSpaces());
    editor->setTabIndents(p.TabIndents());
    editor->setBackspaceUnindents(p.SmartTabDelete());
    editor->setTabWidth(p.TabWidth() > 0 ? p.TabWidth() : 2);
    editor->SendScintilla(QsciScintillaBase::SCI_SETVIRTUALSPACEOPTIONS,
                          p.CursorPastRight()
                              ? static_cast<unsigned long>(QsciScintillaBase::SCVS_USERACCESSIBLE)
                              : 0UL);
    editor->SendScintilla(QsciScintillaBase::SCI_SETENDATLASTLINE,
                          p.CursorPastBottom() ? 0UL : 1UL);
    ApplyBackgroundCheckSetting();
    editor->SendScintilla(QsciScintillaBase::SCI_SETMOUSESELECTIONRECTANGULARSWITCH,
                          p.AltColMode() ? 1UL : 0UL);
    editor->SendScintilla(QsciScintillaBase::SCI_SETCARETSTYLE,
                          editor->InsertMode() || !p.BlockOverwrite() ? 1UL : 2UL);
    // The bracket display: the engine draws the bracket and its partner, the page the level.
    if (p.ShowBlocks()) {
        editor->setBraceMatching(QsciScintilla::SloppyBraceMatch);
        const THighlightAttribute& symbols = p.Schemes().Perl.Attribute(aiSymbols);
        const auto colour = [](TColor bgr) {
            return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
        };
        editor->setMatchedBraceForegroundColor(colour(symbols.Background));
        editor->setMatchedBraceBackgroundColor(colour(symbols.Foreground));
    } else {
        editor->setBraceMatching(QsciScintilla::NoBraceMatch);
    }
    UpdateCaretLineHighlight();
}

void TEditorPage::SetUpExtraTabs() {
    if (!Inner) return;
    bool added = false;
    bool removed = false;
    const bool wantParams = IsPerl() || IsBatch() || IsPHP();
    if (wantParams && !ParamsSheet) {
        if (UseProjectEnvVarsValue) EnvVars = Owner.ProjectEnvVars();
        ParamsSheet = CreateParamFrame();
        Inner->insertTab(1, ParamsSheet, QStringLiteral("Params"));
        added = true;
    } else if (!wantParams && ParamsSheet) {
        delete ParamsSheet;
        ParamsSheet = nullptr;
        removed = true;
    }
    if (IsBatch()) FormSendTypeValue = BatchFormSendType;
    ShowParams();

    const bool wantText = IsPerl() || IsSQL() || IsBatch() || IsPHP();
    if (wantText && !TextSheet) {
        TextSheet = new QWidget;
        auto* layout = new QVBoxLayout(TextSheet);
        layout->setContentsMargins(0, 0, 0, 0);
        Output = new QsciScintilla(TextSheet);
        Output->setObjectName(QStringLiteral("TextInOut"));
        Output->setUtf8(true);
        Output->setReadOnly(true);
        // Nobody edits the output: recording every piece of it for undo would double its memory.
        Output->SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0UL);
        // Each change event makes the editing component count the characters from the start
        // of the text to the change, so appending to a long output would cost its whole length
        // every time. Nothing here listens to those events.
        Output->SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0UL);
        Output->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(Output, &QWidget::customContextMenuRequested, Output,
                         [this](const QPoint& at) { ShowOutputMenu(at); });
        OutputText = std::make_unique<TOutputDocument>(*Output);
        ConnectOutputKeys();
        layout->addWidget(Output);
        AddInputHint(*layout);
        Inner->insertTab(Inner->indexOf(Browser), TextSheet, QStringLiteral("Text In/Out"));
        added = true;
    } else if (!wantText && TextSheet) {
        OutputText.reset();
        delete TextSheet;
        TextSheet = nullptr;
        Output = nullptr;
        InputHint = nullptr;
        OutputLexer = nullptr;
        removed = true;
    }
    if (Output) {
        // Its own lexer: the output of SQL and batch runs looks like their sources, the rest
        // is most often a web page.
        QsciLexer* old = OutputLexer;
        const THighlighterKind outputKind = IsSQL()     ? THighlighterKind::SQL
                                            : IsBatch() ? THighlighterKind::Batch
                                                        : THighlighterKind::HTML;
        if (!old || LexerKind(old) != outputKind) {
            QsciLexer* lexer = MakeLexer(outputKind, Output);
            const QColor paper(255, 255, 196);
            lexer->setDefaultPaper(paper);
            lexer->setPaper(paper);
            Output->setLexer(lexer);
            OutputLexer = lexer;
            delete old;
        }
    }
    if (added) Inner->tabBar()->moveTab(Inner->indexOf(Browser), Inner->count() - 1);
    if (removed) Inner->setCurrentIndex(0);
}

// ---------------------------------------------------------------------------------------------
// Tabs and the page list

std::string TEditorPage::TabCaption() const {
    std::string caption =
        IsTempFile() ? "<temp" + std::to_string(TempNumber()) + ">" : FileNamePart(FileName());
    if (SourceEditor && SourceEditor->Modified()) caption = "*" + caption;
    if (ReadOnlyValue) caption += "  [Read-Only]";
    return caption;
}

void TEditorPage::UpdateTabCaption() {
    if (!SourceEditor) return;
    if (QTabWidget* tabs = Owner.Host().PageControl()) {
        const int index = tabs->indexOf(OuterSheet);
        if (index >= 0) {
            // Called for every key: a tab bar given its text again lays out and draws again.
            const QString caption = ToQString(TabCaption());
            if (tabs->tabText(index) != caption) tabs->setTabText(index, caption);
            tabs->setTabToolTip(index, ToQString(TempFileName()));
        }
    }
    StatusChangeEvent(false);
    Owner.UpdateCaption();
}

void TEditorPage::setVisible(bool visible) {
    TraceScope trace(this, ClassName, "setVisible");
    if (visible && !HasEditor()) return;
    const bool was = Visible();
    TProjectPage::setVisible(visible);
    QTabWidget* tabs = Owner.Host().PageControl();
    if (!tabs || !OuterSheet) return;
    if (visible) {
        if (tabs->indexOf(OuterSheet) < 0) {
            const QSignalBlocker blocker(tabs);
            tabs->insertTab(CurrPageIndex(), OuterSheet, ToQString(TabCaption()));
        }
        return;
    }
    const int index = tabs->indexOf(OuterSheet);
    if (index < 0) return;
    {
        const QSignalBlocker blocker(tabs);
        tabs->removeTab(index);
    }
    if (!was) return;
    // The next page's tab, else the previous one's, becomes the current one.
    if (tabs->count() > 0) {
        const int next = std::min(index, tabs->count() - 1);
        if (tabs->currentIndex() != next)
            tabs->setCurrentIndex(next);
        else
            emit tabs->currentChanged(next);
    }
    Owner.MoveToPageUpdate();
    Owner.UpdateEnvVars();
}

int TEditorPage::CurrPageIndex() const {
    int index = 0;
    for (int i = 0; i < Owner.Count(); ++i) {
        const TProjectPage& page = Owner.Page(i);
        if (&page == this) return index;
        if (page.Visible()) ++index;
    }
    return index; // not in the list yet: after all visible pages
}

int TEditorPage::CurrIndex() const {
    for (int i = 0; i < Owner.Count(); ++i)
        if (&Owner.Page(i) == this) return i;
    return -1;
}

void TEditorPage::MoveUp() {
    const int index = CurrIndex();
    if (index <= 0) return;
    const bool shown = Visible();
    setVisible(false);
    Owner.SwapPages(index, index - 1);
    setVisible(shown);
    ActivateTab();
}

void TEditorPage::MoveDown() {
    const int index = CurrIndex();
    if (index < 0 || index + 1 >= Owner.Count()) return;
    const bool shown = Visible();
    setVisible(false);
    Owner.SwapPages(index, index + 1);
    setVisible(shown);
    ActivateTab();
}

void TEditorPage::ActivateTab() {
    QTabWidget* tabs = Owner.Host().PageControl();
    if (tabs && OuterSheet && tabs->indexOf(OuterSheet) >= 0) tabs->setCurrentWidget(OuterSheet);
}

void TEditorPage::MoveToPageUpdate() {
    TraceScope trace(this, ClassName, "MoveToPageUpdate");
    if (!SourceEditor) return;
    if (SourceEditor->isVisible() && SourceEditor->isEnabled()) SourceEditor->setFocus();
    UpdateStatusBar();
    CheckIfFileDateHasChanged();
}

void TEditorPage::OnInnerTabChange(int index) {
    QWidget* shown = Inner->widget(index);
    if (shown == Browser) {
        // The browser engine is heavy; a page gets one only when its browser tab is looked at.
        Browser->EnsureView();
        if (BrowserOutOfDate) ReportingErrors([this] { ExecuteToBrowser(); });
    } else if (shown == TextSheet && TextOutOfDate && !TextRunShown && !Debugger().RunPage()) {
        // A Perl page's text view runs under the debugger, stopping only at breakpoints. Once
        // the tab holds the output of a run it keeps it until the user starts another.
        ReportingErrors([this] {
            if (!IsPerl()) {
                ExecuteToText();
            } else if (StartDebugging(false)) {
                Debugger().TabRun = true;
                Debugger().UpdateDebugActions();
                TextOutOfDate = false;
            }
        });
    }
}

// ---------------------------------------------------------------------------------------------
// Events and setters

void TEditorPage::EditorChangeEvent() {
    UpdateTabCaption();
    TextOutOfDate = true;
    BrowserOutOfDate = true;
    if (IsTempFile() || (Owner.FilesInProject() && SaveWithProject())) Owner.setModified(true);
    Owner.Host().PageTextChanged(*this);
    if (Check) Check->TextChanged();
}

void TEditorPage::BookmarkChangeEvent() {
    Owner.setModified(true);
}

bool TEditorPage::EditorModified() const {
    return SourceEditor && SourceEditor->Modified();
}

int TEditorPage::LineCount() const {
    if (!SourceEditor) return 0;
    // An empty editor still has its one line; it counts as no lines.
    return SourceEditor->TextLength() == 0 ? 0 : SourceEditor->LineCount();
}

void TEditorPage::ChangeText(std::string& field, const std::string& value) {
    if (SameText(field, value)) return;
    field = value;
    MarkProjectModified();
}

void TEditorPage::MarkProjectModified() {
    Owner.setModified(true);
}

void TEditorPage::Assign(const TProjectPage& sourcePage) {
    TraceScope trace(this, ClassName, "Assign");
    setSaveWithProject(sourcePage.SaveWithProject());
    setFileName(sourcePage.FileName());
    const auto* source = dynamic_cast<const TEditorPage*>(&sourcePage);
    if (source) {
        LastSavedDateValue = source->LastSavedDateValue;
        setFtpDestFilename(source->FtpDestFilenameValue);
        setFtpOffsetDir(source->FtpOffsetDirValue);
        setFtpUpload(source->FtpUploadValue);
        setFtpStatus(source->FtpStatusValue);
        setFtpTransferType(source->FtpTransferTypeValue);
        setFtpUploadDate(source->FtpUploadDateValue);
        setFtpChModVal(source->FtpChModValValue);
        setFtpChMod(source->FtpChModValue);
        setFtpLocalFileDate(source->FtpLocalFileDateValue);
        UseProjectEnvVarsValue = source->UseProjectEnvVarsValue;
        if (!UseProjectEnvVarsValue) EnvVars = source->EnvVars;
        FormSendTypeValue = source->FormSendTypeValue;
        FormFields = source->FormFields;
        ShowParams();
    }
    if (sourcePage.HasEditor()) {
        SetTempNumber(sourcePage.TempNumber());
        if (source && source->SourceEditor && SourceEditor) {
            SourceEditor->SetRawText(source->SourceEditor->RawView());
            for (int n = 0; n < TKorSynEdit::BookmarkCount; ++n) {
                int column = 0, line = 0;
                if (source->SourceEditor->GetBookmark(n, column, line))
                    SourceEditor->SetBookmark(n, column, line);
            }
            SourceEditor->SetCaret(source->SourceEditor->CaretColumn(),
                                   source->SourceEditor->CaretLine());
            SourceEditor->SetTopLine(source->SourceEditor->TopLine());
            SourceEditor->SetLeftColumn(source->SourceEditor->LeftColumn());
            MarkedLineValue = source->MarkedLineValue;
            SourceEditor->SetModified(source->SourceEditor->Modified());
            BreakpointList.Clear();
            for (int i = 0; i < source->BreakpointList.Count(); ++i)
                AddBreakPoint(std::make_unique<TBreakpoint>(source->BreakpointList[i]));
            DefaultLineEndingFormatValue = source->DefaultLineEndingFormatValue;
            LineEndingFormatValue = source->LineEndingFormatValue;
            MixedLineEndsValue = source->MixedLineEndsValue;
            SourceEditor->setEolMode(source->SourceEditor->eolMode());
        }
    } else {
        SetTempNumber(0);
        if (SourceEditor) LoadFromFile(TempFileName());
    }
    Owner.ValidateFilesInScope();
}

} // namespace korvane
