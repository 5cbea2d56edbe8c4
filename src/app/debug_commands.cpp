// The main window's debugger commands: stepping, running to breakpoints, pausing, and the
// variable window, all acting on the current page or on the program being debugged.
#include "app/main_form.h"

#include "app/variable_watch_window.h"
#include "editor/editor_page.h"
#include "exec/debug_form.h"
#include "project/kor_project.h"
#include "storage/errors.h"
#include "storage/method_trace.h"
#include "widgets/user_feedback.h"

#include <QAction>
#include <QTabWidget>

namespace korvane {

void TMainForm::ConnectDebugger() {
    TDebugForm& debug = *DebugFormObject;
    VariableWindowObject = new TVariableWatchWindow(debug, this);
    debug.OnStatusChanged = [this] {
        if (KorProject) KorProject->setCaptionSuffix(DebugFormObject->DebugCaption());
    };
    debug.LogOptions = [this] {
        TDebugLogOptions options;
        if (KorProject && KorProject->LoggingIsOn()) {
            options.Breakpoints = KorProject->LogProgBreakpoint();
            options.Steps = KorProject->LogProgStep();
            options.ClearAtRun = KorProject->LogProgClearLog();
        }
        return options;
    };
    debug.NewLog = [this] {
        if (KorProject) KorProject->CreateNewLog();
    };
}

void TMainForm::StepActionExecute() {
    TraceScope trace(this, "TMainForm", "StepActionExecute");
    if (!DebugFormObject || !StepItem->isEnabled()) return;
    TDebugForm& debug = *DebugFormObject;
    if (debug.RunPage()) {
        debug.NextStep();
        return;
    }
    TEditorPage* page = CurrentEditorPage();
    if (!page) return;
    // The stepping is followed in the source.
    if (page->InnerTabs()) page->InnerTabs()->setCurrentIndex(0);
    ReportingErrors([page] { page->StartDebugging(true); });
}

void TMainForm::ContinueActionExecute() {
    TraceScope trace(this, "TMainForm", "ContinueActionExecute");
    if (!DebugFormObject || !ContinueItem->isEnabled()) return;
    TDebugForm& debug = *DebugFormObject;
    if (debug.RunPage()) {
        debug.ContinueExecution3();
        return;
    }
    if (TEditorPage* page = CurrentEditorPage())
        ReportingErrors([page] { page->StartDebugging(false); });
}

void TMainForm::PauseActionExecute() {
    TraceScope trace(this, "TMainForm", "PauseActionExecute");
    if (DebugFormObject && PauseItem->isEnabled()) DebugFormObject->ProgramPause();
}

void TMainForm::ShowVariablesActionExecute() {
    VariableWindowObject->show();
    VariableWindowObject->raise();
}

} // namespace korvane
