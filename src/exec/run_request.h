#pragma once
// Everything a run or a syntax check of a page's file needs, made from plain page data, so
// the editor page only gathers its fields and hands the result to the debugger window.
#include "exec/console_lines.h"
#include "exec/error_filter.h"
#include "model/language.h"
#include "storage/clock.h"
#include "tools/sql_script.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

class TConsoleController;
class TKorProject;

// What a run takes from the page it runs.
struct TRunPageInfo {
    TLanguage Kind = TLanguage::None;
    std::string ScriptFile; // the page's working file
    std::uint8_t FormSendType = 0;
    std::vector<std::string> FormFields; // check-list lines
    std::vector<std::string> EnvVars;    // check-list lines
    ConsoleTag Tag = nullptr;            // the page: lines the run adds carry it
    TSqlScript Sql;                      // SQL pages: the text to run
};

// A program start for the debugger window.
struct TRunRequest {
    TLanguage Kind = TLanguage::None;
    std::string ScriptFile;
    std::string CommandLine;
    std::string WorkDir;
    std::vector<std::string> Environment;
    // The form string when the fields are posted; it reaches the program's input once.
    bool Post = false;
    std::string PostData;
    ConsoleTag Tag = nullptr;
};

// Whether the tool a page of this kind needs is there; tells the user when it is not.
bool ToolPathsPresent(TLanguage kind, const TKorProject& project);

// The plain run of a Perl, PHP, SQL or batch page: command line with its arguments, working
// folder, environment and POST data. Logs the environment when the project asks for it.
// Throws handledException for kinds that are not run this way.
TRunRequest PlainRunRequest(const TKorProject& project, const TRunPageInfo& page);
// The same run of a Perl page under the debugger; throws handledException for other kinds.
TRunRequest DebugRunRequest(const TKorProject& project, const TRunPageInfo& page);

// Checks the syntax of a Perl or PHP page's file and returns the message-list lines; other
// kinds give none. Blocks for at most 10 seconds of silence or 30 in all.
std::vector<TMessageLine> SyntaxCheckScript(TConsoleController& console, const TKorProject& project,
                                            const TRunPageInfo& page, TDateTime startTime);

} // namespace korvane
