#include "module_mirror.h"

#include "exec/console_controller.h"
#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace korvane::test {
namespace {

constexpr double RunSeconds = 120;

TAdapterRun Run(const TCommandLine& command, const std::vector<std::string>& environment,
                const std::string& workDir) {
    TConsoleController console;
    console.executeSession({command, workDir, environment}, true, RunSeconds, RunSeconds);
    console.endSession();
    return {console.AllLines().Strings(), console.LastExit().Code};
}

} // namespace

ModuleMirror::ModuleMirror() {
    std::filesystem::create_directories(Dir.File("home"));
    std::filesystem::create_directories(LocalLib());
}

bool ModuleMirror::ToolsInstalled() {
    return std::filesystem::exists("/usr/bin/perl") && std::filesystem::exists("/usr/bin/cpanm");
}

std::string ModuleMirror::Adapter() {
    return std::string(KORVANE_SOURCE_DIR) + "/data/tools/ppm";
}

std::string ModuleMirror::Perl() {
    return "/usr/bin/perl";
}

void ModuleMirror::Publish(const std::vector<std::string>& specs) const {
    TCommandLine command(Perl());
    command.AddQuoted(std::string(KORVANE_SOURCE_DIR) + "/tests/services/make_test_mirror.pl")
        .AddQuoted(Dir.File("mirror"))
        .AddWords(specs);
    const TAdapterRun run = Run(command, Environment(), Dir.File(""));
    ASSERT_EQ(run.ExitCode, 0) << (run.Lines.empty() ? "" : run.Lines.front());
}

std::vector<std::string> ModuleMirror::Environment() const {
    const std::string lib = LocalLib();
    return {"PATH=/usr/local/bin:/usr/bin:/bin",         "HOME=" + Dir.File("home"),
            "KORVANE_CPAN_MIRROR=" + MirrorUrl(),        "PERL_MM_OPT=INSTALL_BASE=" + lib,
            "PERL_MB_OPT=--install_base " + lib,         "PERL5LIB=" + lib + "/lib/perl5",
            "PERL_CPANM_HOME=" + Dir.File("home/.cpanm")};
}

TAdapterRun ModuleMirror::RunPerl(const std::vector<std::string>& arguments) const {
    return Run(TCommandLine(Perl()).AddWords(arguments), Environment(), Dir.File(""));
}

TAdapterRun ModuleMirror::RunAdapter(const std::string& arguments) const {
    std::vector<std::string> words{Adapter()};
    for (size_t at = 0; at < arguments.size();) {
        const size_t end = std::min(arguments.find(' ', at), arguments.size());
        if (end > at) words.push_back(arguments.substr(at, end - at));
        at = end + 1;
    }
    return RunPerl(words);
}

} // namespace korvane::test
