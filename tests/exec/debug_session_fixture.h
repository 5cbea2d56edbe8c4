#pragma once
// Perl debugger sessions end to end: real "perl -d" with the debugger library from the source
// tree, driven through the debugger window as the main window's commands drive it. The page
// and the fixture the session tests share.
#include "project_fixture.h"
#include "run_support.h"

#include "exec/console_controller.h"
#include "exec/run_request.h"
#include "platform/program_folder.h"
#include "storage/file_utils.h"
#include "storage/program_log.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>

namespace korvane::test {

// A page as the debugger sees it: its breakpoints, the line marked, what reached the messages.
class DebugPage : public RecordingPage {
public:
    explicit DebugPage(TDebugForm& form) : Form(form) {}
    std::vector<int> Breaks;
    int Line = -1;
    std::vector<std::string> FilteredErrors;

    std::vector<int> BreakpointLines() const override { return Breaks; }
    int ExecutionLine() const override { return Line; }
    void setExecutionLine(int line) override { Line = line; }
    void FilterErrors() override {
        RecordingPage::FilterErrors();
        const auto lines = Form.Console().ErrorLines.Strings();
        FilteredErrors.insert(FilteredErrors.end(), lines.begin(), lines.end());
    }

private:
    TDebugForm& Form;
};

inline bool Contains(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

// No such process, or only its exit status is left.
inline bool ProcessGone(pid_t pid) {
    if (kill(pid, 0) != 0) return errno == ESRCH;
    const std::string stat = ReadBytes("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    return close != std::string::npos && stat.compare(close, 3, ") Z") == 0;
}

class DebugSessionTest : public ProjectTest {
protected:
    DebugSessionTest() : Page(*Debugger) {
        Perl = Interpreter("perl");
        Project->setPerlCompilerPath(Perl);
        // The debugger library comes from the source tree, as on a first start.
        SeedProgramFolder();
        Form().OnStatusChanged = [this] { Statuses.push_back(Form().Status()); };
    }
    ~DebugSessionTest() override { Form().ProgramReset(); }

    TDebugForm& Form() { return *Debugger; }

    TRunPageInfo Script(const std::string& path, const std::string& text) {
        TRunPageInfo info;
        info.Kind = TLanguage::Perl;
        info.ScriptFile = path;
        info.Tag = &Page;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteBytes(path, text);
        return info;
    }

    // Waits until the debugger waits for the user, or the session is over.
    bool WaitForPause() {
        return WaitUntil([&] { return Form().Status() == dsPaused || !Form().RunPage(); });
    }
    bool PausedAt(int line) {
        return WaitForPause() && Form().Status() == dsPaused && Page.Line == line;
    }
    bool WaitForEnd() {
        return WaitUntil([&] { return !Form().RunPage(); });
    }
    std::vector<std::string> Output() { return Form().Console().OutputLines.Strings(); }

    std::string Perl;
    DebugPage Page;
    std::vector<std::uint8_t> Statuses;
};

} // namespace korvane::test
