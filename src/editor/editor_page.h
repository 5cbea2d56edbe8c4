#pragma once
// One file of the project with its editor: where the file lives (its own name or a numbered
// temporary file), saving with rolling backups and version copies in the file's own line-end
// format, noticing changes made by other programs, its record in the project file, its
// breakpoints, and what it shows in the main window (tab, status bar, line colours).
#include "editor/bracket_index.h"
#include "editor/breakpoints.h"
#include "editor/text_encoding.h"
#include "editor/text_search.h"
#include "exec/console_display.h"
#include "exec/debug_form.h"
#include "exec/run_request.h"
#include "model/highlight_schemes.h"
#include "project/project_page.h"
#include "services/sql_script.h"
#include "storage/clock.h"
#include "storage/line_endings.h"
#include "storage/recovery_store.h"
#include "widgets/param_frame.h"

#include <QColor>
#include <QPageLayout>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QsciLexer;
class QsciScintilla;
class QTabWidget;
class QVBoxLayout;

namespace korvane {

class TBackgroundCheck;
class TBrowserTab;
class TDebugSupportPlugin;
class TKorSynEdit;
class TOutputDocument;

using TStringList = std::vector<std::string>;

struct TPrintSettings {
    enum TRange { AllPages, Selection, PageRange };
    int Copies = 1;
    TRange Range = AllPages;
    int FromPage = 1;
    int ToPage = 1;
    // Print into this PDF file instead of the default printer.
    std::string OutputFile;
    // The printer and paper chosen by the user; empty and invalid for the defaults.
    std::string PrinterName;
    QPageLayout Layout;
};

struct TLineColours {
    bool Special = false;
    QColor Text; // invalid: the normal text colour
    QColor Background;
};

class TEditorPage : public TProjectPage, public TRunClient {
public:
    // A page with an editor when the file type asks for one (for an empty name: editable).
    // Throws handledException when the file is missing and the user declines to create it.
    // debugger runs the page's programs.
    TEditorPage(TKorProject& project, TDebugForm& debugger, bool editable,
                const std::string& fileName);
    ~TEditorPage() override;

    // ---- Files ----
    void setFileName(const std::string& fileName) override;
    std::string TempFileName() const override;
    std::string TempHTMLFileName() const;
    std::string BackupPath() const;
    bool ToolPathsPresent() const;
    void UpdateEditable(const std::string& fileName);

    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName, bool force) override;
    void SaveToFileExt(const std::string& fileName, const std::string& ext, bool keepVersion,
                       bool force, TDateTime saveDate);
    PromptButton SaveToFileCheck(const std::string& fileName) override;
    // Replaces the text (CR LF line ends) by restored text in format, as one undoable edit;
    // nothing is written. The page counts as modified unless the text is its own file's.
    void RestoreText(const std::string& text, int format, bool fromOwnFile = false);
    // What a copy kept against a crash holds of the page: its file, its working file, the
    // project, and the text as the file's bytes would be.
    TRecoveryRecord RecoveryRecord() const;
    // Puts text kept in such a copy (the file's bytes) into the editor as one undoable edit;
    // the page counts as modified, and nothing is written.
    void RecoverText(const std::string& fileBytes);
    bool FileDateHasChanged() const;
    void CheckIfFileDateHasChanged();
    bool NeedsUploading() const;

    void SaveToStream(TSectionList& stream) override;
    void LoadFromStream(TSectionList& stream) override;
    void Assign(const TProjectPage& source) override;
    std::vector<std::string> LogInformation() const override;

    // ---- File type ----
    THighlighterKind HighlighterKind() const { return Kind; }
    QsciLexer* Highlighter() const { return Lexer; }
    bool IsPerl() const { return Kind == THighlighterKind::Perl; }
    bool IsHTML() const { return Kind == THighlighterKind::HTML; }
    bool IsSQL() const { return Kind == THighlighterKind::SQL; }
    bool IsBatch() const { return Kind == THighlighterKind::Batch; }
    bool IsText() const { return Kind == THighlighterKind::General; }
    bool IsPHP() const { return Kind == THighlighterKind::PHP; }
    // None chooses by the file name's extension; "Free" with None drops the highlighter.
    void setHighlighter(THighlighterKind useClass, const std::string& fileName);
    void UpdateAttributes() override;
    void UpdateEditorAttribs() override;
    void SetUpExtraTabs();

    // ---- Presentation ----
    std::string TabCaption() const;
    void UpdateTabCaption();
    void setVisible(bool visible) override;
    int CurrPageIndex() const;
    int CurrIndex() const;
    void MoveUp();
    void MoveDown();
    void MoveToPageUpdate() override;
    void ActivateTab() override;
    void StatusChangeEvent(bool caretLineChanged);
    void UpdateStatusBar();
    TLineColours SpecialLineColorsEvent(int line) const;
    // The bracket and block display of status panel 4.
    void EditorPaintTransientEvent();
    void GotoLineNo(int line);
    std::string EditorSelOrWord(bool extendToWord);
    // Replaces the selection by its HTML: line breaks marked with <br> (or kept inside a <pre>
    // block) and characters replaced by the entities of the "char_ents" template.
    void ConvertToHTML(bool preBlock);
    // Returns the number of pages printed.
    int Print(const TPrintSettings& settings);

    // ---- Search and replace (editor_page_search.cpp) ----
    // One find or replace step with the project's search options. sameDirection false
    // searches against the project's direction; showNotFound says so in a message besides
    // the beep. confirm answers "replace this hit?"; without one the prompt asks. From the
    // cursor, a step after one that found nothing up to the end goes on from the other end,
    // and the status bar says so.
    void DoSearchReplace(bool replace, bool sameDirection, bool showNotFound,
                         const TConfirmReplace& confirm = {});
    // "Replace All": every hit of the whole text, whatever the project's Replace All option
    // and scope say (they stay as they are); the status bar tells how many were replaced.
    void ReplaceAllHits(const TConfirmReplace& confirm = {});
    // The modal "Find..." and "Replace..." dialogs, then the search they ask for. True when
    // the dialog was closed with OK (or "&Replace").
    bool FindDialog();
    bool ReplaceDialog(const TConfirmReplace& confirm = {});
    TReplaceAction EditorReplaceTextEvent(const TReplaceQuestion& question);
    // Whether the selection is a hit of the project's last search (what the next replace
    // step replaces first).
    bool SelectionIsSearchHit() const;

    // ---- Breakpoints ----
    const TBreakpointList& Breakpoints() const { return BreakpointList; }
    void ClearBreakPoints();
    void AddBreakPoint(std::unique_ptr<TBreakpoint> breakpoint);
    TBreakpoint& AddBreakPoint(int line);
    TBreakpoint* BreakPointAtLine(int line) const { return BreakpointList.AtLine(line); }
    bool DeleteBreakPoint(int line);
    TBreakpoint* ToggleBreakPoint(int line);
    // The breakpoint at line (made when there is none) stops when condition (Perl) is true;
    // an empty condition stops always.
    void SetBreakpointCondition(int line, const std::string& condition);
    void SortBreakPoints() { BreakpointList.Sort(); }
    void RefreshBreakPoints();
    int ExecutionLine() const override { return ExecutionLineValue; }
    void setExecutionLine(int line) override;
    std::vector<int> BreakpointLines() const override;
    TDebugSupportPlugin& DebugSupport() const { return *Plugin; }

    // ---- Editor events ----
    void EditorChangeEvent();
    void BookmarkChangeEvent();

    // ---- Widgets ----
    TKorSynEdit* Editor() const { return SourceEditor; }
    QWidget* Sheet() const { return OuterSheet; }
    QTabWidget* InnerTabs() const { return Inner; }
    TParamFrame* ParamsTab() const { return ParamsSheet; }
    QsciScintilla* OutputEditor() const { return Output; }
    TBrowserTab* BrowserTab() const { return Browser; }
    void TextTabCopyClick();
    void TextTabPasteClick();
    void UpdateKeyInputSelection();
    // Whether a program started from this page is running (set by the runs).
    std::function<bool()> ProgramRunning;

    // ---- Runs ----
    // Checks the page's saved file with its interpreter; the verdict goes to the message list
    // and the lines it faults are marked.
    void SyntaxCheck();
    // The check of the page's text while it is typed (none for a page without an editor).
    const TBackgroundCheck* BackgroundCheck() const { return Check.get(); }
    // Runs the page's saved file, its output shown in "Text In/Out". Nothing happens without
    // that tab, while the console is busy, or when the output is up to date. True when a run
    // was started.
    bool ExecuteToText();
    // Shows the page in "Browser Output": Perl, PHP, SQL and batch pages run there directly
    // (unless the local web server runs them), others are loaded by the browser view. Nothing
    // happens without that tab or while the console is busy. True when something was started.
    bool ExecuteToBrowser();
    // Starts the page's saved Perl file under the debugger: stopped at its first line
    // (stepping) or running to its breakpoints. Nothing happens for other pages or while the
    // console is busy. True when a session was started.
    bool StartDebugging(bool stepping);
    // The address the browser view shows the page's file under.
    std::string HTTPfileName() const;
    // Where the file is seen on the web site once uploaded.
    std::string WebURL() const;
    // What a run of this page takes from it.
    TRunPageInfo RunInfo() const;
    TSqlScript SqlScript() const;
    // The object the page's console and message lines carry.
    ConsoleTag MessageTag() const { return static_cast<const TProjectPage*>(this); }
    // Typed input in "Text In/Out": true when the key was taken for the running program.
    bool OutputKeyPress(int key, Qt::KeyboardModifiers modifiers, const std::string& text);
    // Text typed or pasted for the running program: its whole lines are sent, the rest waits
    // in KeyInput for Enter.
    void TypeText(const std::string& text);

    // TRunClient
    void RunOutputChanged() override;
    void RunErrorsChanged() override;
    void FilterErrors() override;
    void RunFinished() override;
    void RunWaitsForInput(bool waiting) override;
    bool BrowserOutputActive() const override;
    void UpdateBrowserOutput() override;

    // ---- Params tab ----
    // Fired by the tab's frames after every change they store.
    void OnParamsVarsChange();
    // Shows the page's params again; a page using the project's variables takes a fresh copy.
    void UpdateEnvVars() override;

    // ---- Fields ----
    bool EditorModified() const override;
    int LineCount() const override;
    const std::string& FtpDestFilename() const { return FtpDestFilenameValue; }
    void setFtpDestFilename(const std::string& value) { ChangeText(FtpDestFilenameValue, value); }
    const std::string& FtpOffsetDir() const { return FtpOffsetDirValue; }
    void setFtpOffsetDir(const std::string& value) { ChangeText(FtpOffsetDirValue, value); }
    bool FtpUpload() const { return FtpUploadValue; }
    void setFtpUpload(bool value) { ChangeValue(FtpUploadValue, value); }
    const std::string& FtpStatus() const { return FtpStatusValue; }
    void setFtpStatus(const std::string& value) { ChangeText(FtpStatusValue, value); }
    std::uint8_t FtpTransferType() const { return FtpTransferTypeValue; }
    void setFtpTransferType(std::uint8_t value) { ChangeValue(FtpTransferTypeValue, value); }
    TDateTime FtpUploadDate() const { return FtpUploadDateValue; }
    void setFtpUploadDate(TDateTime value) { ChangeValue(FtpUploadDateValue, value); }
    const std::string& FtpChModVal() const { return FtpChModValValue; }
    void setFtpChModVal(const std::string& value) { ChangeText(FtpChModValValue, value); }
    bool FtpChMod() const { return FtpChModValue; }
    void setFtpChMod(bool value) { ChangeValue(FtpChModValue, value); }
    TDateTime FtpLocalFileDate() const { return FtpLocalFileDateValue; }
    void setFtpLocalFileDate(TDateTime value) { ChangeValue(FtpLocalFileDateValue, value); }
    void InvalidateUpload() override { setFtpLocalFileDate(0); }
    bool UseProjectEnvVars() const { return UseProjectEnvVarsValue; }
    void setUseProjectEnvVars(bool value) { ChangeValue(UseProjectEnvVarsValue, value); }
    std::uint8_t FormSendType() const { return FormSendTypeValue; }
    void setFormSendType(std::uint8_t value) { ChangeValue(FormSendTypeValue, value); }
    TDateTime LastSavedDate() const { return LastSavedDateValue; }
    void setLastSavedDate(TDateTime value) { LastSavedDateValue = value; }
    int LineEndingFormat() const { return LineEndingFormatValue; }
    void setLineEndingFormat(int format);
    int DefaultLineEndingFormat() const { return DefaultLineEndingFormatValue; }
    // The file mixes kinds of line end; its bytes are kept until a format is chosen.
    bool MixedLineEnds() const { return MixedLineEndsValue; }
    void setDefaultLineEndingFormat(int format) { DefaultLineEndingFormatValue = format; }
    // The encoding the file is read in and written back in; a UTF-8 file may begin with a
    // byte order mark, which is kept.
    TTextEncoding Encoding() const { return EncodingValue; }
    bool ByteOrderMark() const { return ByteOrderMarkValue; }
    // The next save writes the file in encoding (with a byte order mark when asked, UTF-8
    // only); the text stays as it is.
    void setEncoding(TTextEncoding encoding, bool byteOrderMark);
    // Reads the file again as encoding, after the user agreed to lose changes not saved.
    void ReopenWithEncoding(TTextEncoding encoding);
    // The user trusts the code of the page's file: its syntax check may run BEGIN blocks and
    // the modules it uses. Files in the project's folders and temporary pages are trusted.
    bool CodeTrusted() const;
    void setCodeTrusted(bool trusted);
    // The user trusts the file's code: the project keeps it, and the syntax is checked again.
    void TrustCode();
    QWidget* TrustBarWidget() const { return TrustBar; }
    int MarkedLine() const { return MarkedLineValue; }
    bool NewFile() const { return NewFileValue; }
    bool ReadOnly() const { return ReadOnlyValue; }
    bool TextOutOfDate = true;
    bool BrowserOutOfDate = true;
    TStringList EnvVars;
    TStringList FormFields;
    std::string KeyInput;
    TDateTime RunStartTime = 0;

private:
    friend class TDebugSupportPlugin;

    static bool WantsEditor(TKorProject& project, bool editable, const std::string& fileName);
    void BuildWidgets();
    void ConnectEditor();
    void ShowLoadedText(const TEditorText& loaded);
    // Loaded file bytes, read in their encoding (found from the bytes, or the one given).
    void ShowFileText(TEditorText loaded, std::optional<TTextEncoding> encoding = std::nullopt);
    // The page takes the line ends of text the editor now holds.
    void TakeLineEnds(const TEditorText& text);
    // The editor's text as the file's bytes: in the page's format (or unchanged when mixed)
    // and encoding. Text the encoding cannot hold comes as UTF-8 so that nothing is lost.
    std::string EditorFileBytes() const;
    // The same, for the file itself: throws handledException, naming the line, when a character
    // has no byte in the page's encoding.
    std::string EditorFileBytesToWrite() const;
    void WriteEditorText(const std::string& path) const;
    void RefreshLineColours(int line);
    void RefreshAllLineColours();
    void UpdateCaretLineHighlight();
    void SyncBreakpointMarks();
    void ReadFileContentsSection(TSectionList& stream);
    void OnInnerTabChange(int index);
    void ShowOutputMenu(const QPoint& at);
    TDebugForm& Debugger() const { return DebugFormObject; }
    bool RunsHere() const;
    bool ConsoleIdle() const;
    void MakeBackgroundCheck();
    // The check of the text as it stands; none while the console is busy, for pages of other
    // kinds and very large texts, and when the project's setting is off.
    std::optional<TTextCheck> BackgroundCheckRequest();
    // A check's verdict: marks on the lines it faults, and the message list.
    void ShowCheckMessages(const std::vector<TMessageLine>& messages);
    // The setting switched off: nothing checks, and the marks of the last check go.
    void ApplyBackgroundCheckSetting();
    // The project's search options for one step.
    TSearchOptions SearchOptions(bool replace, bool sameDirection) const;
    void RunSearch(TSearchOptions options, bool replace, bool showNotFound,
                   const TConfirmReplace& confirm);
    // Starts the page's saved file on the console, its output shown in "Text In/Out" or, for
    // a browser run, in "Browser Output".
    void StartPlainRun(bool browserRun);
    // A PHP page's run for the browser tab: through php-cgi, so its form fields fill $_GET and
    // $_POST; the command-line php when php-cgi is missing, which is said once.
    TRunRequest PhpBrowserRun() const;
    // Empties "Text In/Out" and the typed input for a new run.
    void ClearRunOutput();
    void ShowRunOutput();
    // Removes the typed input shown after the first outputEnd bytes of the output editor.
    void DropShownKeyInput(size_t outputEnd);
    void ConnectOutputKeys();
    // The note under the output that the program waits for a line.
    void AddInputHint(QVBoxLayout& layout);
    // Sends text as typed lines (each line ended), shown as a console echoes it.
    void SendTypedText(const std::string& text);
    // Ctrl+D: what was typed, then the end of the program's input.
    void EndTypedInput();
    void ChangeText(std::string& field, const std::string& value);
    template <typename T> void ChangeValue(T& field, const T& value) {
        if (field == value) return;
        field = value;
        MarkProjectModified();
    }
    void MarkProjectModified();

    // ---- Params tab ----
    TParamFrame* CreateParamFrame();
    // The tab shows the page's form fields, send type and variables.
    void ShowParams();

    TDebugForm& DebugFormObject;
    std::string FtpDestFilenameValue;
    std::string FtpOffsetDirValue;
    bool FtpUploadValue = false;
    std::string FtpStatusValue = "Not Yet Uploaded";
    std::uint8_t FtpTransferTypeValue = 0;
    TDateTime FtpUploadDateValue = 0;
    std::string FtpChModValValue = "755";
    bool FtpChModValue = false;
    TDateTime FtpLocalFileDateValue = 0;
    bool UseProjectEnvVarsValue = true;
    std::uint8_t FormSendTypeValue = 0;
    TDateTime LastSavedDateValue = 0;
    int ExecutionLineValue = -1;
    int LineEndingFormatValue = 0;
    int DefaultLineEndingFormatValue = NewFileLineEndingFormat;
    // The editor holds the file's bytes unchanged, as they mix kinds of line end.
    bool MixedLineEndsValue = false;
    TTextEncoding EncodingValue = TTextEncoding::Utf8;
    bool TrustedCodeValue = false;
    QWidget* TrustBar = nullptr;
    std::unique_ptr<TBackgroundCheck> Check;
    bool ByteOrderMarkValue = false;
    int MarkedLineValue = 0;
    bool NewFileValue = false;
    bool ReadOnlyValue = false;
    // Set while the project restores a page: its stored text deliberately replaces the file,
    // and a missing file the user wants back is created at once.
    bool RestoringFromProject = false;
    // A step from the cursor found nothing up to the end of the text, leaving the caret here:
    // the next step in that direction from there goes on from the other end.
    struct {
        bool Reached = false;
        bool Backwards = false;
        long long Caret = 0;
    } SearchEnd;

    THighlighterKind Kind = THighlighterKind::None;
    QsciLexer* Lexer = nullptr;
    TBreakpointList BreakpointList;
    std::unique_ptr<TDebugSupportPlugin> Plugin;

    // The sheet lives in the main window's page control while shown; the page deletes it.
    QPointer<QWidget> OuterSheet;
    QTabWidget* Inner = nullptr;
    QWidget* SourceSheet = nullptr;
    TKorSynEdit* SourceEditor = nullptr;
    TBracketIndex BracketCounts; // of SourceEditor's text, for the bracket display
    TRunMessages RunMessages;    // the run's errors in the message list
    TParamFrame* ParamsSheet = nullptr;
    QWidget* TextSheet = nullptr;
    QsciScintilla* Output = nullptr;
    QLabel* InputHint = nullptr;
    // The output tab has shown a run: showing it again never starts another by itself.
    bool TextRunShown = false;
    // Output's text; it leaves its lexer and style bytes behind once the output is huge.
    std::unique_ptr<TOutputDocument> OutputText;
    // The output's lexer, kept while a huge output shows without it.
    QsciLexer* OutputLexer = nullptr;
    static constexpr size_t OutputHighlightLimit = 4 * 1024 * 1024;
    TConsoleDisplay OutputShown; // how much of the run's output the output editor shows
    TBrowserTab* Browser = nullptr;
};

// From now on the project's pages are editor pages whose programs run on debugger.
void InstallEditorPages(TKorProject& project, TDebugForm& debugger);

} // namespace korvane
