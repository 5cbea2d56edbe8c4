#pragma once
// One file of the project. This is the part of a page the project itself relies on: which
// file it is (or which numbered temporary file), whether it has an editor, its marks, and its
// record in the project file. Editor pages derive from it and fill in the editor behaviour.
#include "storage/prompt.h"

#include <string>
#include <vector>

namespace korvane {

class TKorProject;
class TSectionList;

class TProjectPage {
public:
    // fileName empty makes a temporary page with the next free number.
    TProjectPage(TKorProject& project, bool hasEditor, const std::string& fileName);
    virtual ~TProjectPage() = default;
    TProjectPage(const TProjectPage&) = delete;
    TProjectPage& operator=(const TProjectPage&) = delete;

    TKorProject& Project() const { return Owner; }

    const std::string& FileName() const { return FileNameValue; }
    virtual void setFileName(const std::string& fileName);
    int TempNumber() const { return TempNumberValue; }
    bool IsTempFile() const { return TempNumberValue > 0; }
    // The file the page works on: its own file, or its temporary file in the project's
    // temporary folder.
    virtual std::string TempFileName() const;

    bool HasEditor() const { return HasEditorValue; }
    // Whether the file-type table gives this kind of file an editor.
    bool Editable() const { return EditableValue; }
    // Re-reads Editable from the project's file-type table.
    void UpdateEditable();

    bool Visible() const { return VisibleValue; }
    virtual void setVisible(bool visible) { VisibleValue = visible; }
    bool Selected() const { return SelectedValue; }
    void setSelected(bool selected) { SelectedValue = selected; }
    bool SaveWithProject() const { return SaveWithProjectValue; }
    void setSaveWithProject(bool value);

    // Editor behaviour; a page without an editor has no text to save or show.
    virtual bool EditorModified() const { return false; }
    virtual int LineCount() const { return 0; }
    virtual PromptButton SaveToFileCheck(const std::string& /*fileName*/) { return pbNo; }
    virtual void SaveToFile(const std::string& /*fileName*/, bool /*force*/) {}
    virtual void UpdateAttributes() {}
    virtual void UpdateEditorAttribs() {}
    virtual void MoveToPageUpdate() {}
    // Makes the page's tab the current one of the main window.
    virtual void ActivateTab() {}
    // A page with a parameter panel shows its form and environment settings again.
    virtual void UpdateEnvVars() {}
    // Copies the settings of another page (used when a page is rebuilt for a new file type).
    // The page counts as changed at the next upload.
    virtual void InvalidateUpload() {}
    virtual void Assign(const TProjectPage& source);

    virtual void SaveToStream(TSectionList& stream);
    virtual void LoadFromStream(TSectionList& stream);

    // The page's lines of the project's settings report in the log.
    virtual std::vector<std::string> LogInformation() const;

protected:
    // Parts of that report: the temporary-file number and the working file; the file's date
    // and attributes, or the warning that it is gone.
    void LogWorkingFile(std::vector<std::string>& lines) const;
    void LogFileState(std::vector<std::string>& lines) const;

    void SetTempNumber(int number) { TempNumberValue = number; }
    void SetEditableFlag(bool editable) { EditableValue = editable; }

    TKorProject& Owner;

private:
    std::string FileNameValue;
    int TempNumberValue = 0;
    bool HasEditorValue;
    bool EditableValue = true;
    bool VisibleValue = false;
    bool SelectedValue = false;
    bool SaveWithProjectValue = true;
};

} // namespace korvane
