// Loading and saving the page's file: line-end formats, rolling backups, version copies, and
// changes made by other programs.
#include "editor/editor_page.h"

#include "project/kor_project.h"
#include "storage/backups.h"
#include "storage/errors.h"
#include "storage/file_utils.h"
#include "storage/line_endings.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "storage/safe_file_write.h"
#include "storage/text_utils.h"
#include "templates/page_templates.h"
#include "widgets/kor_syn_edit.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace korvane {
namespace {

constexpr const char* ClassName = "TEditorPage";
constexpr double SameDateTolerance = 1e-10;

// Whoever may read the file may run it, as chmod +x gives it.
void MakeExecutable(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::perms now = fs::status(path, ec).permissions();
    if (ec) return;
    fs::perms run = fs::perms::none;
    if ((now & fs::perms::owner_read) != fs::perms::none) run |= fs::perms::owner_exec;
    if ((now & fs::perms::group_read) != fs::perms::none) run |= fs::perms::group_exec;
    if ((now & fs::perms::others_read) != fs::perms::none) run |= fs::perms::others_exec;
    fs::permissions(path, run, fs::perm_options::add, ec);
}

void CreateFolderOf(const std::string& path) {
    const std::string folder = FolderPart(path);
    if (folder.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
}

} // namespace

void TEditorPage::ShowLoadedText(const TEditorText& loaded) {
    SourceEditor->SetRawText(loaded.Text);
    TakeLineEnds(loaded);
}

void TEditorPage::ShowFileText(TEditorText loaded, std::optional<TTextEncoding> encoding) {
    TDecodedText decoded = encoding ? DecodeFileTextAs(std::move(loaded.Text), *encoding)
                                    : DecodeFileText(std::move(loaded.Text));
    loaded.Text = std::move(decoded.Utf8);
    EncodingValue = decoded.Encoding;
    ByteOrderMarkValue = decoded.ByteOrderMark;
    ShowLoadedText(loaded);
}

void TEditorPage::TakeLineEnds(const TEditorText& text) {
    LineEndingFormatValue = text.Format;
    MixedLineEndsValue = text.MixedLineEnds;
    // Text held as the file's bytes gets new lines like its last one; converted text is CR LF.
    const int typed = MixedLineEndsValue ? text.Format : leCrLf;
    SourceEditor->setEolMode(typed == leLf   ? QsciScintilla::EolUnix
                             : typed == leCr ? QsciScintilla::EolMac
                                             : QsciScintilla::EolWindows);
}

TRecoveryRecord TEditorPage::RecoveryRecord() const {
    return {FileName(), TempFileName(), Owner.FileName(), Now(),
            SourceEditor ? EditorFileBytes() : std::string()};
}

void TEditorPage::RecoverText(const std::string& fileBytes) {
    if (!SourceEditor) return;
    TEditorText recovered = ToEditorText(fileBytes);
    TDecodedText decoded = DecodeFileText(std::move(recovered.Text));
    recovered.Text = std::move(decoded.Utf8);
    EncodingValue = decoded.Encoding;
    ByteOrderMarkValue = decoded.ByteOrderMark;
    SourceEditor->SendScintilla(QsciScintillaBase::SCI_SELECTALL);
    SourceEditor->ReplaceSelectionRaw(recovered.Text);
    TakeLineEnds(recovered);
    SourceEditor->SetModified(true);
    EditorChangeEvent();
    UpdateTabCaption();
}

namespace {

// Where the text's line holding offset begins to count from 1.
int LineOfOffset(std::string_view text, size_t offset) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

} // namespace

std::string TEditorPage::EditorFileBytes() const {
    const std::string text =
        MixedLineEndsValue
            ? std::string(SourceEditor->RawView())
            : ConvertFromCrLf(
                  SourceEditor->RawView(),
                  EffectiveLineEndingFormat(LineEndingFormatValue, DefaultLineEndingFormatValue));
    std::optional<std::string> bytes = EncodeFileText(text, EncodingValue, ByteOrderMarkValue);
    return bytes ? std::move(*bytes) : text;
}

std::string TEditorPage::EditorFileBytesToWrite() const {
    if (EncodingValue != TTextEncoding::Utf8) {
        size_t at = 0;
        const std::string_view text = SourceEditor->RawView();
        if (!EncodeFileText(text, EncodingValue, false, &at))
            throw handledException("Line " + std::to_string(LineOfOffset(text, at)) + " of " +
                                   FileNamePart(FileName()) + " holds a character that " +
                                   EncodingName(EncodingValue) +
                                   " cannot store. The file was not saved: choose File > "
                                   "Encoding > UTF-8 to save it in UTF-8.");
    }
    return EditorFileBytes();
}

void TEditorPage::setEncoding(TTextEncoding encoding, bool byteOrderMark) {
    byteOrderMark = byteOrderMark && encoding == TTextEncoding::Utf8;
    if (encoding == EncodingValue && byteOrderMark == ByteOrderMarkValue) return;
    EncodingValue = encoding;
    ByteOrderMarkValue = byteOrderMark;
    if (!SourceEditor) return;
    SourceEditor->SetModified(true);
    EditorChangeEvent();
}

void TEditorPage::ReopenWithEncoding(TTextEncoding encoding) {
    if (!SourceEditor || NewFileValue || !FileExists(TempFileName())) return;
    TEditorText loaded;
    if (!LoadEditorText(TempFileName(), loaded))
        throw handledException("Cannot read file \"" + TempFileName() + "\"");
    const int line = SourceEditor->CaretLine();
    ShowFileText(std::move(loaded), encoding);
    SourceEditor->SetCaret(1, line);
    SourceEditor->SetModified(false);
    EditorChangeEvent();
}

void TEditorPage::LoadFromFile(const std::string& fileName) {
    TraceScope trace(this, ClassName, "LoadFromFile");
    if (fileName.empty()) return;
    if (FileExists(fileName) && !std::filesystem::is_directory(fileName)) {
        TEditorText loaded;
        if (!LoadEditorText(fileName, loaded))
            throw handledException("Cannot read file \"" + fileName + "\"");
        if (SourceEditor) {
            const bool hasNulBytes = loaded.HasNulBytes;
            ShowFileText(std::move(loaded));
            // The line-number margin grows with the number of lines.
            UpdateEditorAttribs();
            if (hasNulBytes)
                CurrentPrompt().Inform(PromptKind::Warning,
                                       "File " + FileNamePart(fileName) +
                                           " contains NUL bytes and looks like a binary file.\n"
                                           "It is shown as text; editing it may damage it.");
        }
        TDateTime date = 0;
        FileDateTime(fileName, date);
        LastSavedDateValue = date;
        ReadOnlyValue = IsReadOnly(fileName);
        NewFileValue = false;
    } else {
        const PromptButton answer = CurrentPrompt().Ask(
            PromptKind::Confirmation,
            "File \"" + fileName + "\" does not exist. Do you wish to create it?", pbYes | pbNo);
        if (answer != pbYes) throw handledException("File \"" + fileName + "\" does not exist");
        if (SourceEditor) SourceEditor->SetModified(true);
        LastSavedDateValue = 0;
        NewFileValue = true;
    }
    setFileName(fileName);
    RefreshAllLineColours();
    // A file the project listed existed once: when the user agrees to have it back, it is
    // written at once (with any text the project kept), not left to a save that may never come.
    if (NewFileValue && RestoringFromProject && SourceEditor) SaveToFile("", true);
}

void TEditorPage::SaveToFile(const std::string& fileName, bool force) {
    SaveToFileExt(fileName, "", true, force, Now());
}

// The bytes of the editor in the page's line-end format, written beside path and moved over
// it only once complete, so a failed write leaves the previous file as it was.
void TEditorPage::WriteEditorText(const std::string& path) const {
    EnsureWritable(path);
    if (IsReadOnly(path)) throw handledException("Cannot write file " + path + ": it is read-only");
    const std::string bytes = EditorFileBytesToWrite();
    ReplaceFileContents(path, bytes.data(), bytes.size());
}

void TEditorPage::SaveToFileExt(const std::string& fileNameArg, const std::string& extArg,
                                bool keepVersion, bool force, TDateTime saveDate) {
    TraceScope trace(this, ClassName, "SaveToFileExt");
    std::string fileName = fileNameArg;
    std::string ext = extArg;
    if (!ext.empty()) {
        if (ext.front() != '.') ext = "." + ext;
        fileName = ChangeExt(fileName, ext);
    }
    if (!SourceEditor) {
        if (!fileName.empty() && !SameText(fileName, FileName())) {
            CopyFileOver(FileName(), fileName);
            setFileName(fileName);
        }
        return;
    }

    const long long selectionEnd = SourceEditor->SelectionEndPosition();
    const bool ownFile = fileName.empty() || SameText(fileName, FileName());
    // A temporary page still showing its starting text was never written: a run needs its file.
    const bool unwrittenTemp = ownFile && IsTempFile() && !IsFile(TempFileName());
    if (!force && !SourceEditor->Modified() && ownFile && !unwrittenTemp &&
        !FileChangedSince(fileName, LastSavedDateValue))
        return;

    // Another program changed the file since it was loaded or saved: writing now would throw
    // its changes away without the user knowing.
    const std::string target = ownFile ? TempFileName() : fileName;
    if (ownFile && !RestoringFromProject && LastSavedDateValue != 0 &&
        FileChangedSince(target, LastSavedDateValue)) {
        const PromptButton answer = CurrentPrompt().Ask(
            PromptKind::Warning,
            "File " + FileNamePart(target) + " has been changed by another program.\n" +
                "Do you wish to overwrite it with the text in the editor?",
            pbYes | pbNo);
        if (answer != pbYes) return;
    }

    // Without its backup a save that goes wrong has nothing to go back to: the user decides.
    if (ownFile &&
        !MakeBackups(TempFileName(), ".bak", BackupPath(), Owner.BackupPause(), saveDate,
                     Owner.MaxBackUps()) &&
        CurrentPrompt().Ask(PromptKind::Warning,
                            "The backup copy of " + FileNamePart(TempFileName()) +
                                " could not be made in " + BackupPath() + ".\n" +
                                "Save the file without it?",
                            pbYes | pbNo, {}, pbNo) != pbYes)
        return;

    // A failed write must leave the page as it was: its name, number and type.
    const std::string oldFileName = FileName();
    const std::string oldExt = FileExtension(TempFileName());
    const std::string oldFtpDestFilename = FtpDestFilenameValue;
    const int oldTempNumber = TempNumber();
    const THighlighterKind oldKind = Kind;
    try {
        if ((TempNumber() < 1 || ext.empty()) && !fileName.empty()) {
            setFileName(fileName);
            SetTempNumber(0);
        }
        if (!fileName.empty() || !ext.empty())
            SwapExtensionTemplate(Owner.CodeTemplates(), *SourceEditor, oldExt,
                                  ext.empty() ? FileExtension(fileName) : ext);
        if (keepVersion && (!Owner.Version().empty() || !Owner.VersionsPath().empty()) &&
            Owner.MaxBackUps() != 0) {
            const std::string versionFile = BackupPath() + FileNamePart(TempFileName());
            // Without a versions folder the copy would be the file itself, written below.
            if (versionFile != TempFileName()) {
                CreateFolderOf(versionFile);
                WriteEditorText(versionFile);
            }
        }
        if (!ext.empty()) setHighlighter(THighlighterKind::None, ChangeExt(TempFileName(), ext));
        CreateFolderOf(TempFileName());
        const bool firstWrite = !FileExists(TempFileName());
        WriteEditorText(TempFileName());
        if (firstWrite && !IsTempFile() && Owner.ExecutableScripts() &&
            SourceEditor->RawView().substr(0, 2) == "#!")
            MakeExecutable(TempFileName());
    } catch (...) {
        if (oldTempNumber > 0) {
            SetTempNumber(oldTempNumber);
            TProjectPage::setFileName("");
        } else {
            TProjectPage::setFileName(oldFileName);
        }
        FtpDestFilenameValue = oldFtpDestFilename;
        setHighlighter(oldKind, oldFileName);
        UpdateTabCaption();
        throw;
    }

    NewFileValue = false;
    const std::string written = TempFileName();
    if (FileExists(written)) {
        ReadOnlyValue = IsReadOnly(written);
        TDateTime date = 0;
        if (FileDateTime(written, date)) LastSavedDateValue = date;
    }
    SourceEditor->SetModified(false);
    SourceEditor->SetSelectionEndPosition(selectionEnd);
    UpdateTabCaption();
    UpdateStatusBar();
}

PromptButton TEditorPage::SaveToFileCheck(const std::string& fileName) {
    TraceScope trace(this, ClassName, "SaveToFileCheck");
    if (!SourceEditor || !Editable() || !SourceEditor->Modified() || IsTempFile()) return pbNo;
    const PromptButton answer = CurrentPrompt().Ask(
        PromptKind::Warning, fileName + " has changed. Save Changes?", pbYes | pbNo | pbCancel);
    if (answer == pbNo) return pbNo;
    if (answer != pbYes) return pbCancel;
    SaveToFile(fileName, false);
    // The save may still have been declined (a file changed by another program, a backup
    // that failed): then nothing was saved, and what asked must not go on as if it had been.
    return SourceEditor->Modified() ? pbCancel : pbYes;
}

void TEditorPage::RestoreText(const std::string& text, int format, bool fromOwnFile) {
    if (!SourceEditor) return;
    SourceEditor->SendScintilla(QsciScintillaBase::SCI_SELECTALL);
    SourceEditor->ReplaceSelectionRaw(text);
    SourceEditor->setEolMode(QsciScintilla::EolWindows);
    MixedLineEndsValue = false;
    if (format != leDefault) LineEndingFormatValue = format;
    SourceEditor->SetModified(!fromOwnFile);
    EditorChangeEvent();
    UpdateTabCaption();
}

void TEditorPage::setLineEndingFormat(int format) {
    if (format == leDefault) format = DefaultLineEndingFormatValue;
    // Text kept as mixed bytes is converted even to the format it already reports.
    if (format == LineEndingFormatValue && !MixedLineEndsValue) return;
    LineEndingFormatValue = format;
    if (!SourceEditor) return;
    if (MixedLineEndsValue) {
        const int line = SourceEditor->CaretLine();
        TEditorText converted;
        ConvertToCrLf(SourceEditor->RawView(), converted.Text);
        converted.Format = format;
        ShowLoadedText(converted);
        SourceEditor->SetCaret(1, line);
    }
    SourceEditor->SetModified(true);
    EditorChangeEvent();
    SaveToFile("", true);
}

bool TEditorPage::FileDateHasChanged() const {
    TDateTime date = 0;
    if (!FileDateTime(TempFileName(), date)) return false;
    return std::abs(date - LastSavedDateValue) > SameDateTolerance;
}

void TEditorPage::CheckIfFileDateHasChanged() {
    TraceScope trace(this, ClassName, "CheckIfFileDateHasChanged");
    if (!SourceEditor || !Owner.ExternalChangeCheck()) return;
    const std::string file = TempFileName();
    const std::string name = FileNamePart(file);
    if (FileExists(file)) {
        if (!FileDateHasChanged()) return;
        std::string question = "File " + name + " has been changed by another program.\n" +
                               "Do you wish to open this file and lose the text in the editor?";
        // Enter must not throw away text typed here.
        const bool modified = SourceEditor->Modified();
        if (modified) question += "\n\nWarning! You will lose the changes you have made.";
        if (CurrentPrompt().Ask(PromptKind::Warning, question, pbOK | pbCancel, {},
                                modified ? pbCancel : pbOK) == pbOK) {
            LoadFromFile(file);
        } else {
            TDateTime date = 0;
            FileDateTime(file, date);
            LastSavedDateValue = date;
            SourceEditor->SetModified(true);
            EditorChangeEvent();
        }
    } else if (!NewFileValue) {
        const PromptButton answer = CurrentPrompt().Ask(
            PromptKind::Warning,
            "File " + name + " has been removed by another program.\n" +
                "Do you wish to ***CLEAR*** the editor contents?",
            pbOK | pbCancel, {}, pbCancel); // Enter keeps the text and writes it back
        if (answer == pbOK) {
            SourceEditor->ClearAllUndoable();
            SourceEditor->SetModified(true);
            NewFileValue = true;
        } else {
            SaveToFile("", true);
            CurrentPrompt().Inform(PromptKind::Information, "File " + name + " has been re-saved.");
        }
    }
    UpdateTabCaption();
}

bool TEditorPage::NeedsUploading() const {
    if (!Owner.FtpUploadChangedFiles()) return true;
    TDateTime date = 0;
    if (FileDateTime(TempFileName(), date) && date > FtpLocalFileDateValue) return true;
    return SourceEditor && SourceEditor->Modified();
}

} // namespace korvane
