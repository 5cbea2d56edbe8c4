// The page's record in the project file.
#include "editor/editor_page.h"

#include "editor/browser_tab.h"
#include "project/kor_project.h"
#include "storage/file_utils.h"
#include "storage/flag_scope.h"
#include "storage/line_endings.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "storage/section_list.h"
#include "widgets/kor_syn_edit.h"

#include <array>

namespace korvane {
namespace {

constexpr const char* ClassName = "TEditorPage";

struct TBookmark {
    bool Set = false;
    int Column = 0;
    int Line = 0;
};

} // namespace

void TEditorPage::SaveToStream(TSectionList& stream) {
    TraceScope trace(this, ClassName, "SaveToStream");
    stream.BeginSection("File Details");

    stream.BeginSection("Preliminary");
    stream.WriteFlag(SaveWithProject());
    stream.EndSection();

    stream.BeginSection("Data");
    stream.WriteInt(TempNumber());
    if (TempNumber() == 0) Owner.RelativePathToStream(stream, FileName());
    if (TempNumber() > 0 || (Owner.FilesInProject() && SaveWithProject())) {
        stream.BeginSection("File Contents");
        if (SourceEditor) {
            stream.WriteRaw(EditorFileBytes());
        } else {
            stream.WriteFileContents(TempFileName());
        }
        stream.EndSection();
        TDateTime saveDate = Now();
        TDateTime diskDate = 0;
        if ((!SourceEditor || !SourceEditor->Modified()) && FileDateTime(TempFileName(), diskDate))
            saveDate = diskDate;
        LastSavedDateValue = saveDate;
        stream.WriteFloat(saveDate);
        stream.WriteStr(FileExtension(TempFileName()));
    }
    stream.EndSection();

    if (SourceEditor) {
        stream.BeginSection("Editor Details");
        stream.BeginSection("Bookmarks");
        for (int n = 0; n < TKorSynEdit::BookmarkCount; ++n) {
            int column = 0, line = 0;
            if (!SourceEditor->GetBookmark(n, column, line)) continue;
            stream.WriteInt(n);
            stream.WritePair(column, line);
        }
        stream.EndSection();
        stream.WritePair(SourceEditor->CaretColumn(), SourceEditor->CaretLine());
        stream.WriteInt(SourceEditor->TopLine());
        stream.WriteInt(SourceEditor->LeftColumn());
        stream.WriteFlag(Visible());
        stream.EndSection();
    }

    stream.BeginSection("FTP Details");
    stream.WriteStr(FtpDestFilenameValue);
    stream.WriteStr(FtpOffsetDirValue);
    stream.WriteFlag(FtpUploadValue);
    stream.WriteStr(FtpStatusValue);
    stream.WriteByte(FtpTransferTypeValue);
    stream.WriteFloat(FtpUploadDateValue);
    stream.WriteFlag(FtpChModValue);
    stream.WriteStr(FtpChModValValue);
    stream.WriteFloat(FtpLocalFileDateValue);
    stream.EndSection();

    if (SourceEditor) {
        stream.BeginSection("Compiler Details");
        stream.BeginSection("Env Vars");
        stream.WriteFlag(UseProjectEnvVarsValue);
        if (!UseProjectEnvVarsValue) stream.WriteStrList(EnvVars);
        stream.EndSection();
        stream.BeginSection("Form Fields");
        stream.WriteByte(FormSendTypeValue);
        stream.WriteStrList(FormFields);
        stream.EndSection();
        stream.WriteFlag(TrustedCodeValue);
        stream.EndSection();

        RefreshBreakPoints();
        stream.BeginSection("Debugging");
        stream.BeginSection("Breakpoints");
        BreakpointList.SaveToStream(stream);
        stream.EndSection();
        stream.EndSection();

        stream.BeginSection("File Format");
        stream.WriteByte(static_cast<std::uint8_t>(DefaultLineEndingFormatValue));
        stream.EndSection();

        stream.BeginSection("Web Browser");
        stream.WriteFlag(true);
        stream.WriteStrList(Browser->History());
        stream.EndSection();
    }
    stream.EndSection();
}

void TEditorPage::ReadFileContentsSection(TSectionList& stream) {
    stream.BeginSection("File Contents");
    if (stream.AtEnd()) {
        if (SourceEditor) SourceEditor->SetRawText({});
    } else if (SourceEditor) {
        ShowFileText(ToEditorText(stream.ReadRest()));
    } else {
        stream.ReadFileContents(TempFileName());
    }
    stream.EndSection();
}

void TEditorPage::LoadFromStream(TSectionList& stream) {
    TraceScope trace(this, ClassName, "LoadFromStream");
    stream.BeginSection("File Details");

    stream.BeginSection("Preliminary");
    setSaveWithProject(stream.AtEnd() ? Owner.FilesInProject() : stream.ReadFlag());
    stream.EndSection();

    stream.BeginSection("Data");
    const int tempNumber = stream.ReadInt();
    SetTempNumber(tempNumber > 0 ? tempNumber : 0);
    if (tempNumber <= 0) {
        setFileName(Owner.AbsolutePathFromStream(stream));
        Owner.ValidateFilesInScope();
    }
    if (TempNumber() > 0 || (Owner.FilesInProject() && SaveWithProject())) {
        ReadFileContentsSection(stream);
        if (IsTempFile()) setFileName("");
        TDateTime saveDate = stream.ReadFloat();
        LastSavedDateValue = saveDate;
        if (SourceEditor) {
            const std::string ext = stream.ReadStr();
            const TFlagScope restoring(RestoringFromProject);
            SaveToFileExt(TempFileName(), ext, true, false, saveDate);
        }
        if (saveDate > 0 && FileExists(TempFileName())) SetFileDateTime(TempFileName(), saveDate);
        TDateTime diskDate = 0;
        if (SourceEditor && !SourceEditor->Modified() && FileDateTime(TempFileName(), diskDate))
            saveDate = diskDate;
        setLastSavedDate(saveDate);
    }
    stream.EndSection();
    if (SourceEditor) SourceEditor->SetModified(false);

    std::array<TBookmark, TKorSynEdit::BookmarkCount> bookmarks{};
    TPoint caret;
    int topLine = 1;
    int leftColumn = 1;
    bool visible = true;
    if (SourceEditor) {
        stream.BeginSection("Editor Details");
        stream.BeginSection("Bookmarks");
        while (!stream.AtEnd()) {
            const int number = stream.ReadInt();
            const TPoint at = stream.ReadPair();
            if (number >= 0 && number < TKorSynEdit::BookmarkCount)
                bookmarks[static_cast<size_t>(number)] = {true, at.X, at.Y};
        }
        stream.EndSection();
        caret = stream.ReadPair();
        topLine = stream.ReadInt();
        leftColumn = stream.ReadInt();
        visible = stream.AtEnd() ? true : stream.ReadFlag();
        stream.EndSection();
    }

    stream.BeginSection("FTP Details");
    FtpDestFilenameValue = stream.ReadStr();
    FtpOffsetDirValue = stream.ReadStr();
    FtpUploadValue = stream.ReadFlag();
    FtpStatusValue = stream.ReadStr();
    FtpTransferTypeValue = stream.ReadByte();
    FtpUploadDateValue = stream.ReadFloat();
    FtpChModValue = stream.ReadFlag();
    FtpChModValValue = stream.ReadStr();
    FtpLocalFileDateValue = stream.ReadFloat();
    stream.EndSection();

    if (SourceEditor) {
        stream.BeginSection("Compiler Details");
        stream.BeginSection("Env Vars");
        UseProjectEnvVarsValue = stream.ReadFlag();
        if (!UseProjectEnvVarsValue) stream.ReadStrList(EnvVars);
        stream.EndSection();
        stream.BeginSection("Form Fields");
        FormSendTypeValue = stream.ReadByte();
        stream.ReadStrList(FormFields);
        stream.EndSection();
        // Files from before trust was asked for are not trusted yet.
        TrustedCodeValue = stream.AtEnd() ? false : stream.ReadFlag();
        stream.EndSection();
        ShowParams();

        stream.BeginSection("Debugging");
        stream.BeginSection("Breakpoints");
        BreakpointList.LoadFromStream(stream);
        stream.EndSection();
        stream.EndSection();

        stream.BeginSection("File Format");
        const int format = stream.ReadByte();
        DefaultLineEndingFormatValue = format == 0 ? NewFileLineEndingFormat : format;
        stream.EndSection();

        stream.BeginSection("Web Browser");
        if (stream.ReadFlag()) {
            TStringList history;
            stream.ReadStrList(history);
            Browser->SetHistory(history);
        }
        stream.EndSection();
    }
    stream.EndSection();

    if (!SourceEditor) return;
    {
        const TFlagScope restoring(RestoringFromProject);
        LoadFromFile(FileName());
    }
    for (int n = 0; n < TKorSynEdit::BookmarkCount; ++n) {
        const TBookmark& mark = bookmarks[static_cast<size_t>(n)];
        if (mark.Set) SourceEditor->SetBookmark(n, mark.Column, mark.Line);
    }
    MarkedLineValue = caret.Y;
    SourceEditor->SetCaret(caret.X, caret.Y);
    SourceEditor->SetTopLine(topLine);
    SourceEditor->SetLeftColumn(leftColumn);
    SyncBreakpointMarks();
    setVisible(visible);
}

} // namespace korvane
