// The main window's debugger commands: stepping, running to breakpoints, pausing, and the
// variable window, all acting on the current page or on the program being debugged.
#include "app/main_form.h"

#include "app/command.h"
#include "app/variable_watch_window.h"
#include "editor/editor_page.h"
#include "exec/debug_form.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "storage/errors.h"
#include "storage/method_trace.h"
#include "widgets/kor_syn_edit.h"
#include "widgets/user_feedback.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
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
    // Every open Perl file's breakpoints go to a session, not only the script's.
    debug.SessionBreakpoints = [this] {
        std::vector<TFileBreakpoint> breakpoints;
        for (int i = 0; KorProject && i < KorProject->Count(); ++i) {
            const auto* page = dynamic_cast<const TEditorPage*>(&KorProject->Page(i));
            if (!page || !page->IsPerl()) continue;
            const TBreakpointList& list = page->Breakpoints();
            for (int b = 0; b < list.Count(); ++b)
                breakpoints.push_back({page->TempFileName(), list[b].Line, list[b].Condition});
        }
        return breakpoints;
    };
    debug.OnStopElsewhere = [this](const std::string& file, int line) {
        ShowStopElsewhere(file, line);
    };
    const auto showCaption = debug.OnStatusChanged;
    debug.OnStatusChanged = [this, showCaption] {
        showCaption();
        // The program moves on: the line it stood at in another file is no longer current.
        const std::uint8_t status = DebugFormObject->Status();
        if (status != dsGettingVars && status != dsPaused) ShowStopElsewhere({}, -1);
    };
    VariableWindowObject->OpenAt = [this](const std::string& file, int line) {
        ShowFileAtLine(file, line);
    };
}

void TMainForm::AddSteppingCommands(QMenu& debug) {
    const auto add = [&](const TCommandEntry& entry, void (TMainForm::*handler)()) {
        QAction* action = MakeCommand(*this, entry);
        debug.addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    StepOverItem =
        add({"StepOverAction", "Debug", "Step &Over", QKeySequence(Qt::SHIFT | Qt::Key_F8),
             "Execute the next line, running the subs it calls whole"},
            &TMainForm::StepOverActionExecute);
    StepOutItem =
        add({"StepOutAction", "Debug", "Step O&ut", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F8),
             "Run on until the current sub returns"},
            &TMainForm::StepOutActionExecute);
    RunToCursorItem =
        add({"RunToCursorAction", "Debug", "Run to &Cursor", QKeySequence(Qt::CTRL | Qt::Key_F8),
             "Run on to the line of the caret (or a breakpoint before it)"},
            &TMainForm::RunToCursorActionExecute);
    add({"BreakpointConditionAction", "Debug", "Breakpoint Co&ndition...",
         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F8),
         "Stop at the caret's line only when a Perl expression is true"},
        &TMainForm::BreakpointConditionActionExecute);
}

void TMainForm::ShowStopElsewhere(const std::string& file, int line) {
    if (KorProject && !StopElsewhereFile.empty())
        if (auto* old = dynamic_cast<TEditorPage*>(KorProject->PageByFileName(StopElsewhereFile)))
            old->setExecutionLine(-1);
    StopElsewhereFile.clear();
    if (file.empty()) return;
    if (!ShowFileAtLine(file, line)) return;
    if (auto* page = dynamic_cast<TEditorPage*>(KorProject->PageByFileName(file))) {
        page->setExecutionLine(line);
        StopElsewhereFile = file;
    }
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

void TMainForm::StepOverActionExecute() {
    TraceScope trace(this, "TMainForm", "StepOverActionExecute");
    if (DebugFormObject && StepOverItem->isEnabled()) DebugFormObject->StepOver();
}

void TMainForm::StepOutActionExecute() {
    TraceScope trace(this, "TMainForm", "StepOutActionExecute");
    if (DebugFormObject && StepOutItem->isEnabled()) DebugFormObject->StepOut();
}

void TMainForm::RunToCursorActionExecute() {
    TraceScope trace(this, "TMainForm", "RunToCursorActionExecute");
    TEditorPage* page = CurrentEditorPage();
    if (!DebugFormObject || !RunToCursorItem->isEnabled() || !page || !page->Editor()) return;
    DebugFormObject->RunToLine(page->TempFileName(), page->Editor()->CaretLine());
}

void TMainForm::BreakpointConditionActionExecute() {
    TraceScope trace(this, "TMainForm", "BreakpointConditionActionExecute");
    TEditorPage* page = CurrentEditorPage();
    if (!page || !page->Editor() || !page->IsPerl()) return;
    const int line = page->Editor()->CaretLine();
    const TBreakpoint* existing = page->BreakPointAtLine(line);
    bool accepted = false;
    const QString condition = QInputDialog::getText(
        this, QStringLiteral("Breakpoint Condition"),
        QStringLiteral("Stop at line %1 only when this Perl expression is true\n"
                       "(empty: stop every time):")
            .arg(line),
        QLineEdit::Normal, existing ? ToQString(existing->Condition) : QString(), &accepted);
    if (!accepted) return;
    page->SetBreakpointCondition(line, ToStdString(condition.trimmed()));
    page->Project().setModified(true);
}

void TMainForm::ShowVariablesActionExecute() {
    VariableWindowObject->show();
    VariableWindowObject->raise();
}

} // namespace korvane
