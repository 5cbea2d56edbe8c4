#pragma once
// The debugger's tool window "Variable Watch Window": the debugger's last answer above; below
// it the paused program's variables as a tree (lexicals first, then the globals of its
// packages, perl's own variables on request), the watch expressions with an expression box,
// and the call stack, whose frames open their file at their line. It shows what the debugger
// window has read and hands it the watches, the option and the expressions.
#include <QWidget>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTabWidget;
class QTreeWidget;

namespace korvane {

class TDebugForm;

class TVariableWatchWindow : public QWidget {
public:
    // Follows debugger's answers and variables from now on; stays on top of parent.
    TVariableWatchWindow(TDebugForm& debugger, QWidget* parent);
    ~TVariableWatchWindow() override;

    QPlainTextEdit* IO() const { return IOView; }
    QTreeWidget* Vars() const { return VarsTree; }
    QTreeWidget* WatchList() const { return WatchTree; }
    QListWidget* StackList() const { return StackView; }
    QLineEdit* ExpressionBox() const { return Expression; }
    void ShowVariables();
    void ShowDetails();
    // Adds the expression box's text to the watches; evaluates it once.
    void AddWatch();
    void EvaluateExpression();

    // Opens a file (full path) at a line: a frame of the stack was chosen.
    std::function<void(const std::string& file, int line)> OpenAt;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RemoveWatch();
    void ShowStack();

    TDebugForm& Debugger;
    QPlainTextEdit* IOView;
    QTabWidget* Tabs;
    QLabel* Note;
    QCheckBox* Specials;
    QTreeWidget* VarsTree;
    QLineEdit* Expression;
    QTreeWidget* WatchTree;
    QListWidget* StackView;
};

} // namespace korvane
