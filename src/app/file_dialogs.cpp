#include "app/file_dialogs.h"

#include "storage/file_utils.h"
#include "storage/text_utils.h"

namespace korvane {
namespace {

constexpr const char* PerlFilter = "Perl program (*.pl *.pm *.cgi)";
constexpr const char* TextFilter = "Text file (*.txt *.csv *.prn *.dat)";
constexpr const char* AnyFilter = "Any file (*)";

FileChoice Choice(const char* title, const std::string& filter, const char* defaultExt) {
    FileChoice choice;
    choice.Caption = title;
    choice.Filter = filter;
    choice.DefaultExt = defaultExt;
    return choice;
}

} // namespace

FileChoice OpenSourceChoice(const std::string& folder) {
    FileChoice choice = Choice("Open Source File...",
                               std::string(PerlFilter) +
                                   ";;PHP scripts (*.php);;HTML file (*.htm *.html);;SQL file "
                                   "(*.sql);;Batch file (*.bat);;" +
                                   TextFilter + ";;" + AnyFilter,
                               "pl");
    choice.Folder = folder;
    return choice;
}

FileChoice SaveSourceChoice(const std::string& folder, const std::string& fileName,
                            const std::string& extension) {
    const std::string ext = extension.size() > 1 ? extension.substr(1) : "pl";
    FileChoice choice = Choice("Save Source File...",
                               std::string(PerlFilter) +
                                   ";;HTML file (*.htm *.html);;PHP file (*.php);;SQL file "
                                   "(*.sql);;Batch file (*.bat);;" +
                                   TextFilter + ";;" + AnyFilter,
                               ext.c_str());
    choice.Save = true;
    choice.ConfirmOverwrite = false;
    choice.Folder = folder;
    choice.FileName = fileName;
    choice.FilterIndex = SaveFilterIndex(extension);
    return choice;
}

FileChoice InsertFileChoice() {
    return Choice("Insert File at Cursor...",
                  std::string(TextFilter) + ";;" + PerlFilter +
                      ";;PHP scripts (*.php);;HTML file (*.htm *.html);;SQL file (*.sql);;Batch "
                      "file (*.bat);;" +
                      AnyFilter,
                  "txt");
}

FileChoice ProjectChoice(const char* title, const std::string& folder,
                         const std::string& fileName) {
    FileChoice choice = Choice(title, std::string("Korvane Project (*.kvp);;") + AnyFilter, "kvp");
    choice.Save = std::string(title) != "Open Project File...";
    choice.ConfirmOverwrite = false;
    choice.Folder = folder;
    choice.FileName = fileName;
    return choice;
}

FileChoice ExportHtmlChoice() {
    FileChoice choice =
        Choice("Export to HTML...", std::string("HTML file (*.htm *.html);;") + AnyFilter, "html");
    choice.Save = true;
    choice.ConfirmOverwrite = false;
    return choice;
}

FileChoice ExportRtfChoice() {
    FileChoice choice = Choice("Export to Rich Text File...",
                               std::string("Rich Text file (*.rtf);;") + AnyFilter, "rtf");
    choice.Save = true;
    choice.ConfirmOverwrite = false;
    return choice;
}

int SaveFilterIndex(const std::string& extension) {
    const std::string ext = LowerText(extension);
    if (ext == ".cgi" || ext == ".pl" || ext == ".pm") return 1;
    if (ext == ".htm" || ext == ".html") return 2;
    if (ext == ".php") return 3;
    if (ext == ".sql") return 4;
    if (ext == ".bat") return 5;
    if (ext == ".txt" || ext == ".csv" || ext == ".prn" || ext == ".dat") return 6;
    return 7;
}

bool MayOverwrite(const std::string& what, const std::string& fileName) {
    if (!FileExists(fileName)) return true;
    return CurrentPrompt().Ask(PromptKind::Warning,
                               what + " " + fileName + " already exists. Overwrite?",
                               pbOK | pbCancel) == pbOK;
}

} // namespace korvane
