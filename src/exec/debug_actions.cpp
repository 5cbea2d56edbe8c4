#include "exec/debug_actions.h"

namespace korvane {

TDebugActions DebugActionsFor(std::uint8_t status, bool tabRun,
                              std::optional<TLanguage> currentPage,
                              std::optional<TLanguage> runningPage) {
    const bool perlOrNone = !currentPage || *currentPage == TLanguage::Perl;
    const bool runningPerl = runningPage && *runningPage == TLanguage::Perl;
    const bool idle = status == dsIdle;
    const bool paused = status == dsPaused;
    TDebugActions actions;
    actions.Step = perlOrNone && !((!idle && !paused) || (tabRun && !paused));
    actions.CheckSyntax = (perlOrNone || currentPage == TLanguage::PHP) && idle && !tabRun;
    actions.RunToText = (perlOrNone || currentPage == TLanguage::SQL) && idle;
    actions.RunToBrowser = idle;
    actions.BrowserWebSite = idle;
    actions.ProgramReset = !idle;
    actions.Pause = runningPerl && !idle && !paused && !tabRun;
    actions.Continue = (perlOrNone && idle && !tabRun) || (paused && runningPerl);
    actions.StepOver = actions.StepOut = paused && runningPerl;
    actions.RunToCursor = paused && runningPerl && currentPage == TLanguage::Perl;
    actions.ModInstall = idle;
    return actions;
}

} // namespace korvane
