#include "project/project_page.h"

#include "project/kor_project.h"
#include "storage/date_text.h"
#include "storage/file_utils.h"
#include "storage/paths.h"
#include "storage/section_list.h"
#include "storage/text_utils.h"

#include <filesystem>

namespace korvane {

TProjectPage::TProjectPage(TKorProject& project, bool hasEditor, const std::string& fileName)
    : Owner(project), HasEditorValue(hasEditor) {
    setFileName(fileName);
    if (fileName.empty()) EditableValue = hasEditor;
}

void TProjectPage::setFileName(const std::string& fileName) {
    FileNameValue = fileName.empty() || HasDrive(fileName)
                        ? fileName
                        : std::filesystem::absolute(fileName).lexically_normal().string();
    if (!FileNameValue.empty())
        TempNumberValue = 0;
    else if (TempNumberValue == 0)
        TempNumberValue = Owner.NextTempFileNumber();
    UpdateEditable();
}

std::string TProjectPage::TempFileName() const {
    if (!IsTempFile()) return FileNameValue;
    return Owner.TempPath() + "tmp" + std::to_string(TempNumberValue) + ".pl";
}

void TProjectPage::UpdateEditable() {
    const TFileType* type = Owner.FileTypes().Find(FileExtension(TempFileName()));
    EditableValue = type && type->Editable;
}

void TProjectPage::setSaveWithProject(bool value) {
    if (value == SaveWithProjectValue) return;
    SaveWithProjectValue = value;
    Owner.setModified(true);
}

void TProjectPage::Assign(const TProjectPage& source) {
    setSaveWithProject(source.SaveWithProject());
    setFileName(source.FileName());
    if (source.HasEditor()) TempNumberValue = source.TempNumber();
    VisibleValue = source.Visible();
    SelectedValue = source.Selected();
}

// The part of the page record the project itself needs: which file the page is.
void TProjectPage::SaveToStream(TSectionList& stream) {
    stream.BeginSection("File Details");
    stream.BeginSection("Preliminary");
    stream.WriteFlag(SaveWithProjectValue);
    stream.EndSection();
    stream.BeginSection("Data");
    stream.WriteInt(TempNumberValue);
    if (TempNumberValue == 0) Owner.RelativePathToStream(stream, FileNameValue);
    stream.EndSection();
    stream.EndSection();
}

void TProjectPage::LoadFromStream(TSectionList& stream) {
    stream.BeginSection("File Details");
    stream.BeginSection("Preliminary");
    SaveWithProjectValue = stream.ReadFlag();
    stream.EndSection();
    stream.BeginSection("Data");
    const int tempNumber = stream.ReadInt();
    if (tempNumber > 0) {
        TempNumberValue = tempNumber;
        FileNameValue.clear();
    } else {
        TempNumberValue = 0;
        setFileName(Owner.AbsolutePathFromStream(stream));
    }
    stream.EndSection();
    stream.EndSection();
    UpdateEditable();
}

std::vector<std::string> TProjectPage::LogInformation() const {
    std::vector<std::string> lines;
    LogWorkingFile(lines);
    LogFileState(lines);
    return lines;
}

void TProjectPage::LogWorkingFile(std::vector<std::string>& lines) const {
    if (IsTempFile()) lines.push_back("          Temp File No: " + std::to_string(TempNumberValue));
    lines.push_back("              Filename: " + TempFileName());
}

void TProjectPage::LogFileState(std::vector<std::string>& lines) const {
    const std::string file = TempFileName();
    TDateTime modified = 0;
    if (IsFile(file) && FileDateTime(file, modified)) {
        lines.push_back("             File Date: " + LogTime(true, modified));
        lines.push_back("          File Attribs: " + AttributesText(file));
    } else {
        lines.push_back("*** Warning - File not found ***");
    }
}

} // namespace korvane
