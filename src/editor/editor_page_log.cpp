// The page's block of the project's settings report in the log.
#include "editor/editor_page.h"

#include "model/check_list.h"
#include "model/form_fields.h"
#include "project/kor_project.h"
#include "storage/choice_text.h"
#include "storage/date_text.h"
#include "storage/line_endings.h"
#include "storage/paths.h"
#include "storage/text_utils.h"
#include "widgets/kor_syn_edit.h"

namespace korvane {

std::string TEditorPage::WebURL() const {
    std::string web = Owner.RootURL();
    if (!web.empty() && web.back() != '/') web += '/';
    if (const std::string dir = RemoveLeadingSlash(FtpOffsetDirValue); !dir.empty())
        web += EnsureSuffix(dir, "/");
    web += FtpDestFilenameValue.empty() ? FileNamePart(TempFileName()) : FtpDestFilenameValue;
    return web;
}

std::vector<std::string> TEditorPage::LogInformation() const {
    std::vector<std::string> lines;
    const auto add = [&lines](const std::string& label, const std::string& value) {
        lines.push_back(label + value);
    };
    LogWorkingFile(lines);
    add("         HTTP FileName: ", HTTPfileName());
    add("         Web URL Equiv: ", WebURL());
    LogFileState(lines);
    if (SourceEditor) {
        TKorSynEdit& editor = *SourceEditor;
        add("Saved Line Ending Type: ", LineEndingName(LineEndingFormatValue));
        add("Original Line End Type: ", LineEndingName(DefaultLineEndingFormatValue));
        add("  Modifed and Unsaved?: ", BoolToYN(EditorModified()));
        add("        Caret Position: Line ", std::to_string(editor.CaretLine()) + " / Column " +
                                                 std::to_string(editor.CaretColumn()));
        add("      Top Line Showing: ", std::to_string(editor.TopLine()));
        add("   Left Column Showing: ", std::to_string(editor.LeftColumn()));
        for (int number = 0; number < TKorSynEdit::BookmarkCount; ++number) {
            int column = 0, line = 0;
            if (editor.GetBookmark(number, column, line))
                add(" *            Bookmark: [", std::to_string(number) + "] at Line " +
                                                     std::to_string(line) + " / Column " +
                                                     std::to_string(column));
        }
    }
    for (int i = 0; i < BreakpointList.Count(); ++i)
        add(" *          Breakpoint: Line ", std::to_string(BreakpointList[i].Line));
    add("     Form Field String: ", FormString(FormFields));
    add("       Form Field Type: ",
        ChoiceText(FormSendTypeValue, {"None", "Get and Post", "Get", "Post"}));
    add("  Use Project Env Vars: ", BoolToYN(UseProjectEnvVarsValue));
    if (!UseProjectEnvVarsValue)
        for (const std::string& line : EnvVars)
            if (CheckListLineOn(line)) add(" *     Environment Var: ", CheckListEntry(line));
    if (FtpUploadValue) {
        add("    FTP Dest File Name: ", FtpDestFilenameValue);
        add("   FTP Dest Offset Dir: ", FtpOffsetDirValue);
        add("     FTP Transfer Type: ",
            ChoiceText(FtpTransferTypeValue, {"Auto-Detect", "Binary", "ASCII"}));
        add("   Modify permissions?: ", BoolToTrueFalse(FtpChModValue));
        add("      File Permissions: ", FtpChModValValue);
        add("   Date of last Upload: ", LogTime(true, FtpUploadDateValue));
        add(" Status of last upload: ", FtpStatusValue);
        add(" File date@last upload: ", LogTime(true, FtpLocalFileDateValue));
    }
    return lines;
}

} // namespace korvane
