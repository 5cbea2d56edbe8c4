#pragma once
// The debugger's tool window "Variable Watch Window": the debugger's last answer above, the
// paused program's variables below. It only shows what the debugger window has read.
#include <QWidget>

class QPlainTextEdit;
class QTableWidget;

namespace korvane {

class TDebugForm;

class TVariableWatchWindow : public QWidget {
public:
    // Follows debugger's answers and variables from now on; stays on top of parent.
    TVariableWatchWindow(TDebugForm& debugger, QWidget* parent);
    ~TVariableWatchWindow() override;

    QPlainTextEdit* IO() const { return IOView; }
    QTableWidget* Vars() const { return VarsGrid; }
    // One row per variable below the headers; one empty row when there are none.
    void ShowVariables();
    void ShowDetails();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDebugForm& Debugger;
    QPlainTextEdit* IOView;
    QTableWidget* VarsGrid;
};

} // namespace korvane
