#pragma once
// Everything a run or a syntax check of a page's file needs, made from plain page data and the
// project's run settings, so the editor page only gathers its fields and hands the result to
// the debugger window.
#include "exec/console_controller.h"
#include "exec/console_lines.h"
#include "exec/error_filter.h"
#include "exec/run_settings.h"
#include "model/language.h"
#include "model/line_message.h"
#include "platform/child_process.h"
#include "storage/clock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// What a run takes from the page it runs.
struct TRunPageInfo {
    TLanguage Kind = TLanguage::None;
    std::string ScriptFile; // the page's working file
    std::uint8_t FormSendType = 0;
    std::vector<std::string> FormFields; // check-list lines
    std::vector<std::string> EnvVars;    // check-list lines
    // The user trusts the file's code: a syntax check may run its BEGIN blocks and the modules
    // it uses (perl -c does). An untrusted file is only read.
    bool TrustedCode = true;
    ConsoleTag Tag = nullptr; // the page: lines the run adds carry it
};

// A program start for the debugger window.
struct TRunRequest {
    TLanguage Kind = TLanguage::None;
    std::string ScriptFile;
    TProgramStart Start;
    TLogFilter LogFilter; // how the command shows in the log; none: as it is
    // The form string when the fields are posted; it reaches the program's input once.
    bool Post = false;
    std::string PostData;
    ConsoleTag Tag = nullptr;
};

// Whether the interpreter a page of this kind needs is there (sqlBinPath: the folder of the
// database client); tells the user when it is not.
bool ToolPathsPresent(TLanguage kind, const TRunSettings& settings, const std::string& sqlBinPath);

// The parts of a run every kind shares: the page, its script, and its folder to run in.
TRunRequest PageRunRequest(const TRunPageInfo& page);
// The plain run of a Perl, PHP or batch page: the command with its arguments, working folder,
// environment and POST data. Logs the environment when the settings ask for it. Throws
// handledException for kinds that are not run this way.
TRunRequest PlainRunRequest(const TRunSettings& settings, const TRunPageInfo& page);
// The same run of a Perl page under the debugger; throws handledException for other kinds.
TRunRequest DebugRunRequest(const TRunSettings& settings, const TRunPageInfo& page);

// Gives a run whose program talks with the user in the page's "Text In/Out" tab a terminal
// for its input and output (TProgramStart::Terminal), which the tab shows as a plain one
// (TERM=dumb: no colours or cursor moves), unless the settings turn terminals off. A run with
// a request body keeps its pipes: the body is no typing, and a terminal would echo it into
// the output.
void UseTerminal(TRunRequest& run, const TRunSettings& settings);

// Checks the syntax of a Perl or PHP page's file and returns the message-list lines; other
// kinds give none. Blocks for at most 10 seconds of silence or 30 in all, or until the
// console's wait hooks cancel it (the list then says so).
std::vector<TMessageLine> SyntaxCheckScript(TConsoleController& console,
                                            const TRunSettings& settings, const TRunPageInfo& page,
                                            TDateTime startTime);

// A check of a page's text as it stands, which may differ from its file: the checker reads the
// text on its input and reports it under the page's file name, with the editor's line numbers.
// It checks as SyntaxCheckScript does: an untrusted file is only read, a trusted one with the
// run's folder and environment.
struct TTextCheck {
    TLanguage Kind = TLanguage::None;
    std::string ScriptFile;
    ConsoleTag Tag = nullptr;
    TProgramStart Start;
    std::string Input;
};

// The check of text (the page's text as its file's bytes would be); nullopt for kinds that
// have no check and when the interpreter is missing. Nothing is said to the user: such checks
// start unasked.
std::optional<TTextCheck> TextCheckRequest(const TRunSettings& settings, const TRunPageInfo& page,
                                           std::string_view text);

// The message-list lines of what the check wrote, as SyntaxCheckScript gives them for the file.
std::vector<TMessageLine> TextCheckMessages(const TTextCheck& check, std::string_view output,
                                            std::string_view errors, TDateTime startTime,
                                            TDateTime now);

// The messages that point at a line of the checked page itself (not at a module it uses), one
// entry a line in ascending order.
std::vector<TLineMessage> PageLineMessages(const std::vector<TMessageLine>& messages,
                                           std::string_view scriptFile);

} // namespace korvane
