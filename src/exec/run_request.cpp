#include "exec/run_request.h"

#include "exec/console_controller.h"
#include "exec/interpreter_commands.h"
#include "exec/run_environment.h"
#include "exec/shebang_switches.h"
#include "model/form_fields.h"
#include "storage/file_utils.h"
#include "storage/method_trace.h"
#include "storage/name_value.h"
#include "storage/paths.h"
#include "storage/program_log.h"
#include "storage/prompt.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace korvane {
namespace {

constexpr double SyntaxCheckIdleSeconds = 10;
constexpr double SyntaxCheckTotalSeconds = 30;

void LogEnvironment(const std::vector<std::string>& env) {
    WriteLogLine("** EXEC ENV VARS: ...");
    for (size_t i = 0; i < env.size(); ++i)
        WriteLogLine("  " + std::to_string(i + 1) + " : " + env[i]);
    WriteLogLine("");
}

} // namespace

bool ToolPathsPresent(TLanguage kind, const TRunSettings& settings, const std::string& sqlBinPath) {
    bool present = true;
    switch (kind) {
    case TLanguage::Perl:
        present = IsFile(settings.PerlPath);
        break;
    case TLanguage::PHP:
        present = IsFile(settings.PhpPath);
        break;
    case TLanguage::SQL: {
        std::error_code ec;
        present = !sqlBinPath.empty() && std::filesystem::is_directory(sqlBinPath, ec);
        break;
    }
    case TLanguage::None:
        present = false;
        break;
    default:
        break;
    }
    if (!present)
        CurrentPrompt().Inform(
            PromptKind::Error,
            "Compiler / Tools Executable Path missing. Check in Project Settings.");
    return present;
}

TRunRequest PageRunRequest(const TRunPageInfo& page) {
    TRunRequest run;
    run.Kind = page.Kind;
    run.ScriptFile = page.ScriptFile;
    run.Tag = page.Tag;
    run.Start.WorkDir = RemoveTrailingSlash(FolderPart(page.ScriptFile));
    return run;
}

namespace {

// What a program started for the page finds in its environment: the project's settings,
// this program's own variables as they allow, the page's list and the request.
std::vector<std::string> PageEnvironment(const TRunSettings& settings, const TRunPageInfo& page,
                                         TScriptLanguage language, const TRequestVars& request) {
    std::vector<std::string> own;
    EnvironmentLines(own);
    return InteractiveRunEnvironment(settings.Environment, own, language, page.ScriptFile,
                                     page.EnvVars, request);
}

TRunRequest RunRequest(const TRunSettings& settings, const TRunPageInfo& page, bool debug) {
    TRunRequest run = PageRunRequest(page);
    TScriptLanguage language = TScriptLanguage::Perl;
    TCommandLine& command = run.Start.Command;
    switch (page.Kind) {
    case TLanguage::Perl:
        command = (debug ? PerlDebugCommand : PerlRunCommand)(
            settings.PerlPath, SwitchesForScript(settings.PerlSwitches, page.ScriptFile),
            page.ScriptFile);
        break;
    case TLanguage::PHP:
        language = TScriptLanguage::Php;
        command = PhpRunCommand(settings.PhpPath, page.ScriptFile);
        break;
    case TLanguage::Batch: {
        language = TScriptLanguage::Batch;
        // A shell script runs in the shell its "#!" line names (bash, not sh, for bash's
        // own syntax); anything else in the system's command shell.
        const std::string shebang = ShebangLine(page.ScriptFile);
        const char* comspec = std::getenv("COMSPEC");
        command = ShebangNamesShell(shebang)
                      ? ShebangRunCommand(shebang, page.ScriptFile)
                      : BatchRunCommand(comspec ? comspec : "", page.ScriptFile);
        break;
    }
    default:
        throw handledException("Files of this type cannot be run: " + page.ScriptFile);
    }
    command.AddWords(RunArguments(page.FormSendType, page.FormFields));

    const std::string form = FormString(page.FormFields);
    TRequestVars request;
    if (SendsQuery(page.FormSendType)) request.QueryString = form;
    if (SendsPost(page.FormSendType)) {
        request.IsPost = true;
        request.ContentLength = form.size();
        run.Post = true;
        run.PostData = form;
    }
    run.Start.Environment = PageEnvironment(settings, page, language, request);
    if (settings.LogEnvironment) LogEnvironment(run.Start.Environment);
    return run;
}

} // namespace

TRunRequest PlainRunRequest(const TRunSettings& settings, const TRunPageInfo& page) {
    KORVANE_TRACE("", "PlainRunRequest");
    return RunRequest(settings, page, false);
}

TRunRequest DebugRunRequest(const TRunSettings& settings, const TRunPageInfo& page) {
    KORVANE_TRACE("", "DebugRunRequest");
    if (page.Kind != TLanguage::Perl)
        throw handledException("Only Perl programs can be debugged: " + page.ScriptFile);
    return RunRequest(settings, page, true);
}

void UseTerminal(TRunRequest& run, const TRunSettings& settings) {
    if (run.Post || !settings.Terminal) return;
    run.Start.Terminal = true;
    SetEnvVar(run.Start.Environment, "TERM", "dumb");
}

namespace {

constexpr const char* CheckCancelledMessage = "Syntax check cancelled: the checker was stopped.";

// A checker still running after the limits would keep the console busy and so block every
// later run; what it wrote so far is all the check gives.
void RunCheck(TConsoleController& console, const TProgramStart& start, ConsoleTag tag) {
    console.executeSessionObject(start, true, tag, SyntaxCheckIdleSeconds, SyntaxCheckTotalSeconds);
    if (!console.sessionFinished()) console.endSession();
}

// The checker of a page: script is the file to check, or "-" for the checker's input (then an
// untrusted file's reader is told the page's file name to report).
TProgramStart PerlCheckStart(const TRunSettings& settings, const TRunPageInfo& page,
                             const std::string& script, bool taint) {
    // Code the user does not trust is only read: perl -c would run its BEGIN blocks. The
    // reader starts with nothing of the user's environment (a PERL5LIB there could put
    // other code in place of the reader's own modules).
    if (!page.TrustedCode)
        return {PerlReadCheckCommand(settings.PerlPath, page.ScriptFile, script == "-"), "", {}};
    // Where and with what the run would start, so that modules the run finds through
    // PERL5LIB or a relative "use lib" are found by the check too.
    return {PerlSyntaxCheckCommand(settings.PerlPath, script, taint),
            PageRunRequest(page).Start.WorkDir,
            PageEnvironment(settings, page, TScriptLanguage::Perl, {})};
}

TProgramStart PhpCheckStart(const TCommandLine& command) {
    return {command, "", PhpCheckEnvironment()};
}

std::vector<TMessageLine> CheckMessages(TConsoleController& console, const TRunSettings& settings,
                                        const TRunPageInfo& page, TDateTime startTime) {
    switch (page.Kind) {
    case TLanguage::Perl:
        if (!ToolPathsPresent(page.Kind, settings, "")) return {};
        RunCheck(
            console,
            PerlCheckStart(settings, page, page.ScriptFile, ShebangAsksForTaint(page.ScriptFile)),
            page.Tag);
        return FilterErrorLines(console.ErrorLines, page.ScriptFile, startTime, Now());
    case TLanguage::PHP:
        RunCheck(console, PhpCheckStart(PhpSyntaxCheckCommand(settings.PhpPath, page.ScriptFile)),
                 page.Tag);
        return PhpSyntaxCheckMessages(console.OutputLines, console.ErrorLines, startTime, Now());
    default:
        return {};
    }
}

} // namespace

std::vector<TMessageLine> SyntaxCheckScript(TConsoleController& console,
                                            const TRunSettings& settings, const TRunPageInfo& page,
                                            TDateTime startTime) {
    KORVANE_TRACE("", "SyntaxCheckScript");
    std::vector<TMessageLine> messages = CheckMessages(console, settings, page, startTime);
    // What a cancelled checker wrote is no verdict: the list says it was stopped.
    if (console.WaitCancelled()) messages.push_back({CheckCancelledMessage, page.Tag});
    return messages;
}

namespace {

// perl's own name for the program it reads from its input.
constexpr std::string_view PerlInputName = "-";
// PHP's.
constexpr std::string_view PhpInputName = "Standard input code";

// The line that makes perl count the lines that follow from 1 and name them file in its
// messages; "" when the name cannot be written in one (perl's line directive takes no
// double quote), and the messages then name the input, which TextCheckMessages puts right.
std::string LineDirective(const std::string& file) {
    if (file.find_first_of("\"\r\n") != std::string::npos) return {};
    return "#line 1 \"" + file + "\"\n";
}

// Every mention of the input's name in perl's messages, as the name of file: its summary
// ("- syntax OK", "- had compilation errors."), an abort ("Execution of - aborted") and, without
// a line directive, the places ("at - line 3").
std::string PerlInputNamedAs(std::string_view errors, std::string_view file) {
    std::string named;
    named.reserve(errors.size());
    size_t start = 0;
    while (start < errors.size()) {
        const size_t end = std::min(errors.find('\n', start), errors.size());
        std::string line(errors.substr(start, end - start));
        for (const std::string_view context : {" at - line ", "Execution of - aborted"}) {
            const size_t dash = context.find(PerlInputName);
            for (size_t at = line.find(context); at != std::string::npos;
                 at = line.find(context, at + context.size()))
                line.replace(at + dash, PerlInputName.size(), file);
        }
        if (line.starts_with("- syntax OK") || line.starts_with("- had compilation errors"))
            line.replace(0, PerlInputName.size(), file);
        named += line;
        if (end < errors.size()) named += '\n';
        start = end + 1;
    }
    return named;
}

std::string Replaced(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    size_t start = 0;
    for (size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
        result.append(text.substr(start, at - start)).append(to);
        start = at + from.size();
    }
    return result.append(text.substr(start));
}

} // namespace

std::optional<TTextCheck> TextCheckRequest(const TRunSettings& settings, const TRunPageInfo& page,
                                           std::string_view text) {
    TTextCheck check;
    check.Kind = page.Kind;
    check.ScriptFile = page.ScriptFile;
    check.Tag = page.Tag;
    switch (page.Kind) {
    case TLanguage::Perl:
        if (!IsFile(settings.PerlPath)) return std::nullopt;
        check.Start = PerlCheckStart(settings, page, std::string(PerlInputName),
                                     ShebangLineAsksForTaint(ShebangLineOfText(text)));
        // The reader is told the name; perl learns it from the text.
        if (page.TrustedCode) check.Input = LineDirective(page.ScriptFile);
        check.Input += text;
        return check;
    case TLanguage::PHP:
        if (!IsFile(settings.PhpPath)) return std::nullopt;
        check.Start = PhpCheckStart(PhpInputSyntaxCheckCommand(settings.PhpPath));
        check.Input = text;
        return check;
    default:
        return std::nullopt;
    }
}

std::vector<TMessageLine> TextCheckMessages(const TTextCheck& check, std::string_view output,
                                            std::string_view errors, TDateTime startTime,
                                            TDateTime now) {
    TConsoleLines outputLines;
    TConsoleLines errorLines;
    if (check.Kind == TLanguage::PHP) {
        outputLines.AppendBytes(Replaced(output, PhpInputName, check.ScriptFile), check.Tag);
        errorLines.AppendBytes(Replaced(errors, PhpInputName, check.ScriptFile), check.Tag);
        return PhpSyntaxCheckMessages(outputLines, errorLines, startTime, now);
    }
    errorLines.AppendBytes(PerlInputNamedAs(errors, check.ScriptFile), check.Tag);
    return FilterErrorLines(errorLines, check.ScriptFile, startTime, now);
}

std::vector<TLineMessage> PageLineMessages(const std::vector<TMessageLine>& messages,
                                           std::string_view scriptFile) {
    std::vector<TLineMessage> lines;
    for (const TMessageLine& message : messages) {
        const int line = MessageLineNumber(message.Text);
        if (line < 1) continue;
        // The page's own lines name no file once the filter has cut its name out (PHP's
        // keep it); a line naming another file is one of a module the page uses.
        const std::string file = MessageFileName(message.Text);
        if (!file.empty() && file != scriptFile) continue;
        auto at = std::lower_bound(lines.begin(), lines.end(), line,
                                   [](const TLineMessage& a, int b) { return a.Line < b; });
        if (at != lines.end() && at->Line == line)
            at->Text += "\n" + message.Text;
        else
            lines.insert(at, {line, message.Text});
    }
    return lines;
}

} // namespace korvane
