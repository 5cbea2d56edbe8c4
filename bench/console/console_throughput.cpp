// Console throughput: a Perl script prints 80 MB (1,000,000 lines of 80 bytes). The same
// script is run through the console controller, which keeps every byte and every line, and
// piped into "cat > /dev/null" as the peer. The console is timed fresh (a new controller,
// so every buffer is new memory) and reused (the program's one controller, whose buffers
// keep their capacity from run to run). Prints the medians and the ratios.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "exec/console_controller.h"
#include "exec/run_environment.h"
#include "platform/command_line.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    char pattern[] = "/tmp/korvane-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::filesystem::path dir(pattern);
    const std::string script = (dir / "print80mb.pl").string();
    std::ofstream(script) << "my $line = ('x' x 79) . \"\\n\"; print $line for 1 .. 1_000_000;\n";
    const std::string perl = "perl";

    korvane::TProgramStart run{korvane::TCommandLine(perl).AddQuoted(script), "", {}};
    korvane::InitEnvVars(run.Environment, true);
    const auto timeRun = [&](korvane::TConsoleController& controller) {
        const Clock::time_point start = Clock::now();
        controller.executeSession(run, true, 30, 600);
        const double seconds = Seconds(start);
        if (controller.OutBytes().size() != 80'000'000 ||
            controller.OutputLines.Count() != 1'000'000) {
            std::fprintf(stderr, "wrong result: %zu bytes, %zu lines\n",
                         controller.OutBytes().size(), controller.OutputLines.Count());
            std::exit(1);
        }
        return seconds;
    };

    std::vector<double> fresh, reused, peer;
    korvane::TConsoleController kept;
    for (int i = 0; i < runs; ++i) {
        {
            korvane::TConsoleController controller;
            fresh.push_back(timeRun(controller));
        }
        reused.push_back(timeRun(kept));
        const Clock::time_point start = Clock::now();
        const std::string command = perl + " '" + script + "' | cat > /dev/null";
        if (std::system(command.c_str()) != 0) return 1;
        peer.push_back(Seconds(start));
    }
    std::filesystem::remove_all(dir);

    const double peerMedian = Median(peer);
    std::printf("80 MB, 1,000,000 lines, median of %d runs\n", runs);
    std::printf("cat > /dev/null            %.3f s\n", peerMedian);
    std::printf("console, reused controller %.3f s   ratio %.2fx\n", Median(reused),
                Median(reused) / peerMedian);
    std::printf("console, fresh controller  %.3f s   ratio %.2fx\n", Median(fresh),
                Median(fresh) / peerMedian);
    return 0;
}
