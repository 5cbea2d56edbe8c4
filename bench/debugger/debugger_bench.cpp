// Debugger stepping: 200 "s" steps through a loop, each through the whole debugger window
// (command pipe, poll, dialogue, the stop line, the stop's report of the variables, which
// comes in the same answer), against a plain Perl script that drives the same "perl -d" over
// pipes in the same run. Prints the median time per step to the stop being known against the
// peer's plain "s" and against the peer's "s" that follows an "X", and to the variables read
// against the peer's "s" and "X", and its "s" and "y" (the lexicals, as the window lists them).
//   bench_debugger [RUNS]      (bench/debugger.sh runs it)
#include "exec/console_controller.h"
#include "exec/debug_form.h"
#include "exec/interpreter_commands.h"
#include "exec/run_environment.h"
#include "platform/program_folder.h"
#include "storage/name_value.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

using namespace korvane;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Steps = 200;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A page that only counts: the debugger needs no editor to step.
class BenchPage : public TRunClient {
public:
    int Line = -1;
    int ExecutionLine() const override { return Line; }
    void setExecutionLine(int line) override { Line = line; }
};

// Runs the event loop until the debugger's status is wanted or the session is over; reached
// is the moment the status was set (the loop may run on a little before it returns).
bool WaitForStatus(TDebugForm& form, std::uint8_t wanted, Clock::time_point& reached) {
    reached = Clock::now();
    if (form.Status() == wanted) return true;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(20000);
    // The status may pass on at once (a stop that brought its report along): reaching it is
    // what counts.
    bool seen = false;
    form.OnStatusChanged = [&] {
        if (form.Status() == wanted && !seen) {
            reached = Clock::now();
            seen = true;
        }
        if (form.Status() == wanted || form.Status() == dsIdle) loop.quit();
    };
    loop.exec();
    form.OnStatusChanged = nullptr;
    return seen;
}

struct Timing {
    double ToStop = 0;      // seconds per step until the stop line is known
    double ToVariables = 0; // until the variables have been read as well
};

TRunRequest DebugRun(const std::string& script) {
    TRunRequest run;
    run.Kind = TLanguage::Perl;
    run.ScriptFile = script;
    run.Start.Command = PerlDebugCommand("/usr/bin/perl", "", script);
    run.Start.WorkDir = std::filesystem::path(script).parent_path().string();
    std::vector<std::string> own;
    EnvironmentLines(own);
    run.Start.Environment =
        InteractiveRunEnvironment({}, own, TScriptLanguage::Perl, script, {}, {});
    return run;
}

bool TimeSteps(const TRunRequest& run, Timing& timing) {
    TDebugForm form;
    BenchPage page;
    Clock::time_point stopped, listed;
    form.StartStep(run, &page);
    if (!WaitForStatus(form, dsPaused, listed)) return false;
    double toStop = 0, toVariables = 0;
    for (int i = 0; i < Steps; ++i) {
        const Clock::time_point start = Clock::now();
        form.NextStep();
        if (!WaitForStatus(form, dsGettingVars, stopped)) return false;
        if (!WaitForStatus(form, dsPaused, listed)) return false;
        toStop += std::chrono::duration<double>(stopped - start).count();
        toVariables += std::chrono::duration<double>(listed - start).count();
    }
    form.ProgramReset();
    timing = {toStop / Steps, toVariables / Steps};
    return true;
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The peer runs with exactly the environment of the IDE's session, so both list the same
// variables.
// Seconds per step of the whole loop; stepping gets those of the "s" parts alone.
double PeerStep(const std::string& driver, const std::string& script,
                const std::vector<std::string>& environment, const std::string& listing,
                double& stepping) {
    std::string command = "env -i";
    for (const std::string& line : environment)
        command += " " + ShellQuoted(line);
    command += " /usr/bin/perl " + ShellQuoted(driver) + " " + ShellQuoted(script) + " " +
               std::to_string(Steps) + (listing.empty() ? "" : " " + listing);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    double seconds = -1;
    if (std::fscanf(pipe, "%lf %lf", &seconds, &stepping) != 2) seconds = -1;
    pclose(pipe);
    stepping /= Steps;
    return seconds / Steps;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    char pattern[] = "/tmp/korvane-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::filesystem::path dir(pattern);
    setenv("KORVANE_HOME", (dir / "home").c_str(), 1);
    SeedProgramFolder();
    const std::string script = (dir / "loop.pl").string();
    std::ofstream(script) << "our $total = 0;\n"
                             "for my $i (1 .. 1000000) {\n"
                             "    $total += $i;\n"
                             "}\n";
    const std::string driver =
        (std::filesystem::path(KORVANE_BENCH_DIR) / "peer_driver.pl").string();
    const TRunRequest run = DebugRun(script);

    QCoreApplication app(argc, argv);
    std::vector<double> stops, variables, peers, peersWithVariables, peerStepsAmongX,
        peersWithLexicals;
    for (int round = 0; round < runs; ++round) {
        Timing timing;
        if (!TimeSteps(run, timing)) {
            std::fprintf(stderr, "the debugger session did not step\n");
            return 1;
        }
        double bareSteps = 0, stepsAmongX = 0, stepsAmongY = 0;
        const double peer = PeerStep(driver, script, run.Start.Environment, "", bareSteps);
        const double peerWithVariables =
            PeerStep(driver, script, run.Start.Environment, "X", stepsAmongX);
        // "y" lists the lexicals of the frame (PadWalker), as the IDE's window does at a stop.
        const double peerWithLexicals =
            PeerStep(driver, script, run.Start.Environment, "y", stepsAmongY);
        if (peer <= 0 || peerWithVariables <= 0 || peerWithLexicals <= 0) {
            std::fprintf(stderr, "the peer driver failed\n");
            return 1;
        }
        stops.push_back(timing.ToStop);
        variables.push_back(timing.ToVariables);
        peers.push_back(peer);
        peersWithVariables.push_back(peerWithVariables);
        peerStepsAmongX.push_back(stepsAmongX);
        peersWithLexicals.push_back(peerWithLexicals);
    }
    const double peer = Median(peers);
    const double peerWithVariables = Median(peersWithVariables);
    std::printf("steps %d runs %d\n", Steps, runs);
    std::printf("peer_s_ms_per_step %.3f\n", peer * 1000);
    std::printf("peer_s_and_X_ms_per_step %.3f\n", peerWithVariables * 1000);
    // The IDE lists the variables at every stop, so its steps follow an "X" each time: the
    // peer's "s" parts of its s-and-X loop are the like-for-like measure of a step.
    const double peerStep = Median(peerStepsAmongX);
    std::printf("peer_s_after_X_ms_per_step %.3f\n", peerStep * 1000);
    std::printf("korvane_to_stop_ms_per_step %.3f ratio_to_peer_s %.2f ratio_to_peer_s_after_X "
                "%.2f\n",
                Median(stops) * 1000, Median(stops) / peer, Median(stops) / peerStep);
    std::printf("korvane_with_variables_ms_per_step %.3f ratio_to_peer_s_and_X %.2f\n",
                Median(variables) * 1000, Median(variables) / peerWithVariables);
    const double peerWithLexicals = Median(peersWithLexicals);
    std::printf("peer_s_and_y_ms_per_step %.3f\n", peerWithLexicals * 1000);
    std::printf("korvane_with_variables_ratio_to_peer_s_and_y %.2f\n",
                Median(variables) / peerWithLexicals);
    std::filesystem::remove_all(dir);
    return 0;
}
