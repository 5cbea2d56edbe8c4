#pragma once
// Which run and debug commands of the main window can be used, from the debugger's status,
// whether the run belongs to a page's output tab, and the kinds of the current and the
// running page.
#include "model/language.h"

#include <cstdint>
#include <optional>

namespace korvane {

// The debugger's status.
enum TDebugStatus : std::uint8_t {
    dsIdle = 0,
    dsFirstStep = 1,
    dsRunToBreakpoint = 2,
    dsRunning = 3,
    dsGettingVars = 4,
    dsPaused = 5,
};

struct TDebugActions {
    bool Step = false;
    bool CheckSyntax = false;
    bool RunToText = false;
    bool RunToBrowser = false;
    bool BrowserWebSite = false;
    bool ProgramReset = false;
    bool Pause = false;
    bool Continue = false;
    // Paused in a Perl session: over a sub call, out of the current sub, to the caret's line
    // (that one also needs a Perl page to take the line from).
    bool StepOver = false;
    bool StepOut = false;
    bool RunToCursor = false;
    bool ModInstall = false;
    bool operator==(const TDebugActions&) const = default;
};

// currentPage: the kind of the main window's current page, none without one; runningPage: the
// kind of the page whose program runs, none when idle.
TDebugActions DebugActionsFor(std::uint8_t status, bool tabRun,
                              std::optional<TLanguage> currentPage,
                              std::optional<TLanguage> runningPage);

} // namespace korvane
