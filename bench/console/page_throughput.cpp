// Console output through the page: "Run (view Text)" of a Perl script that prints 80 MB in
// 1,000,000 lines, timed from the command to the moment the output editor holds all of it and
// the run has ended, with the main window shown offscreen and its event loop running as a
// user's would, once as text runs go by default (in a terminal) and once with terminals turned
// off in the settings (on pipes). The peer, measured in the same run, is
// "perl script | cat > /dev/null"; the same script under script(1), in a terminal and nothing
// else, is shown beside it. Prints the medians, the ratios, and the memory a run added at its
// peak.
// Then a script writing 200,000 warnings, timed from the command until the run has ended and
// the message list holds every warning, against the same script with its warnings off.
//   bench_page_throughput [runs]
#include "app/main_form.h"
#include "editor/editor_page.h"
#include "exec/debug_form.h"
#include "model/global_settings.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "storage/section_list.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace korvane;

namespace {

constexpr size_t OutputBytes = 80'000'000;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A field of /proc/self/status in MB (10^6 bytes).
long StatusMb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field)) * 1024 / 1000000;
    return -1;
}

// Seconds from the run command to its complete output; -1 when the output is wrong. peakMb:
// the most the program held during the run, in MB.
double TimeRun(TMainForm& window, TEditorPage& page, long& peakMb) {
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
    QElapsedTimer timer;
    timer.start();
    page.TextOutOfDate = true;
    window.RunToTextAction()->trigger();
    TDebugForm& debug = window.DebugForm();
    while (debug.RunPage())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    peakMb = StatusMb("VmHWM:");
    const long length = page.OutputEditor()->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    const long lines = page.OutputEditor()->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
    // The lines are shown joined by line feeds, without one after the last.
    if (static_cast<size_t>(length) != OutputBytes - 1 || lines != 1'000'000) {
        std::fprintf(stderr, "wrong output: %ld bytes, %ld lines\n", length, lines);
        return -1;
    }
    return seconds;
}

constexpr int WarningCount = 200'000;

// Seconds from the run command to its end with every message shown; -1 when some are missing.
double TimeMessages(TMainForm& window, TEditorPage* page, int expectedRows) {
    TProjectPage* const previous = window.Project().getCurrentPage();
    window.Project().setCurrentPage(page);
    page->ActivateTab();
    QElapsedTimer timer;
    timer.start();
    page->TextOutOfDate = true;
    window.RunToTextAction()->trigger();
    TDebugForm& debug = window.DebugForm();
    while (debug.RunPage())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QCoreApplication::processEvents();
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    window.Project().setCurrentPage(previous);
    if (previous) previous->ActivateTab();
    if (window.MessageList()->count() < expectedRows) {
        std::fprintf(stderr, "%d messages, %d expected\n", window.MessageList()->count(),
                     expectedRows);
        return -1;
    }
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char pattern[] = "/tmp/korvane-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::filesystem::path dir(pattern);
    setenv("KORVANE_HOME", (dir / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string script = (dir / "print80mb.pl").string();
    std::ofstream(script) << "my $line = ('x' x 79) . \"\\n\"; print $line for 1 .. 1_000_000;\n";

    // The same loop, with Perl's own warnings on and off.
    const std::string warns = (dir / "warns.pl").string();
    const std::string quiet = (dir / "quiet.pl").string();
    const std::string loop = "my $u; my $sum = 0; for (1 .. " + std::to_string(WarningCount) +
                             ") { $sum += $u + 1 } print \"$sum\\n\";\n";
    std::ofstream(warns) << "use warnings;\n" << loop;
    std::ofstream(quiet) << "no warnings;\n" << loop;

    SeedProgramFolder();
    CreateSectionList();
    std::vector<double> onTerminal, onPipes, peer, terminalPeer, withWarnings, withoutWarnings;
    std::vector<long> terminalGrowth, pipeGrowth;
    int status = 0;
    {
        QApplication app(argc, argv);
        TMainForm window({});
        if (!window.FormCreate()) return 1;
        window.Project().setPerlCompilerPath("/usr/bin/perl");
        // The whole 80 MB is kept, as the run output setting allows (past its default of 64 MB
        // the oldest half would go).
        window.DebugForm().Console().SetOutputLimit(size_t(256) << 20);
        window.resize(1000, 660);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) return 1;
        window.FileDropFilesDropped({script});
        auto* current = dynamic_cast<TEditorPage*>(window.Project().getCurrentPage());
        if (!current) return 1;
        const auto open = [&window](const std::string& file) {
            window.FileDropFilesDropped({file});
            return dynamic_cast<TEditorPage*>(window.Project().getCurrentPage());
        };
        TEditorPage* const warnsPage = open(warns);
        TEditorPage* const quietPage = open(quiet);
        window.Project().setCurrentPage(current);
        current->ActivateTab();
        if (!warnsPage || !quietPage || warnsPage == quietPage) return 1;
        for (int i = 0; i < runs; ++i) {
            const double warned = TimeMessages(window, warnsPage, WarningCount);
            const double plain = TimeMessages(window, quietPage, 0);
            if (warned < 0 || plain < 0) return 1;
            withWarnings.push_back(warned);
            withoutWarnings.push_back(plain);
        }
        const double warned = Median(withWarnings);
        const double plain = Median(withoutWarnings);
        std::printf("%d warnings into the message list %.3f s, without them %.3f s   ratio "
                    "%.2fx (median of %d runs)\n",
                    WarningCount, warned, plain, warned / plain, runs);
        std::fflush(stdout);
        TGlobalSettings& settings = window.Project().GlobalSettings();
        // What a run adds is counted from before the first: memory one run leaves for the next
        // (the console keeps its buffers) would otherwise hide the second mode's share.
        const long before = StatusMb("VmRSS:");
        for (int i = 0; i < runs && status == 0; ++i) {
            for (const bool terminal : {true, false}) {
                settings.setRunInTerminal(terminal);
                long peak = 0;
                const double seconds = TimeRun(window, *current, peak);
                if (seconds < 0) status = 1;
                (terminal ? onTerminal : onPipes).push_back(seconds);
                (terminal ? terminalGrowth : pipeGrowth).push_back(peak - before);
            }
            settings.setRunInTerminal(true);
            QElapsedTimer timer;
            timer.start();
            const std::string command = "perl '" + script + "' | cat > /dev/null";
            if (std::system(command.c_str()) != 0) status = 1;
            peer.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
            // A text run gives the program a terminal, so Perl writes its output a line at a
            // time, as it does in any terminal: script(1) shows what a terminal costs alone.
            timer.restart();
            const std::string terminal =
                "script -qec \"perl '" + script + "'\" /dev/null > /dev/null";
            if (std::system(terminal.c_str()) != 0) status = 1;
            terminalPeer.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        }
        window.Project().Clear();
    }
    FreeSectionList();
    std::filesystem::remove_all(dir);
    if (status != 0) return status;

    const double peerMedian = Median(peer);
    const double terminalMedian = Median(terminalPeer);
    std::printf("80 MB, 1,000,000 lines, median of %d runs\n", runs);
    std::printf("perl | cat > /dev/null         %.3f s\n", peerMedian);
    std::printf("perl under script(1)           %.3f s   (a terminal alone)\n", terminalMedian);
    const auto report = [&](const char* name, const std::vector<double>& times,
                            const std::vector<long>& growth) {
        const double median = Median(times);
        const long peak = *std::max_element(growth.begin(), growth.end());
        std::printf("through the page, %-12s %.3f s   ratio %.2fx, %.2fx the terminal alone; "
                    "peak memory added %ld MB (%.2fx the output)\n",
                    name, median, median / peerMedian, median / terminalMedian, peak,
                    static_cast<double>(peak) / (OutputBytes / 1e6));
    };
    report("terminal", onTerminal, terminalGrowth);
    report("pipes", onPipes, pipeGrowth);
    return 0;
}
