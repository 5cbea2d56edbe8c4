#include "exec/version_query.h"

#include "exec/console_controller.h"
#include "exec/interpreter_commands.h"
#include "exec/run_environment.h"
#include "model/check_list.h"
#include "storage/errors.h"
#include "storage/paths.h"

namespace korvane {
namespace {

constexpr double VersionQuerySeconds = 5;

} // namespace

std::string QueryPerlVersion(TConsoleController& console, const std::string& perl,
                             const std::vector<std::string>& projectVars) {
    if (!console.sessionFinished()) return {};
    console.OutputLines.Clear();
    TProgramStart start{PerlVersionCommand(perl), FolderPart(perl), {}};
    InitEnvVars(start.Environment, true);
    CopyLiveCheckList(projectVars, start.Environment, false);
    try {
        console.executeSession(start, true, VersionQuerySeconds, VersionQuerySeconds);
    } catch (const handledException&) {
        return {};
    }
    return PerlVersionFromOutput(console.OutputLines.Strings());
}

} // namespace korvane
