#include "app/variable_watch_window.h"

#include "exec/console_controller.h"
#include "exec/debug_form.h"
#include "platform/qt_strings.h"
#include "widgets/help_topic.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace korvane {

TVariableWatchWindow::TVariableWatchWindow(TDebugForm& debugger, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), Debugger(debugger),
      IOView(new QPlainTextEdit), VarsGrid(new QTableWidget(1, 3)) {
    setWindowTitle(QStringLiteral("Variable Watch Window"));
    SetHelpTopic(*this, "Contents/reference/var_watch");
    resize(520, 420);

    IOView->setReadOnly(true);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setBold(true);
    IOView->setFont(fixed);
    IOView->setStyleSheet(
        QStringLiteral("QPlainTextEdit { color: blue; background: rgb(255, 210, 210); }"));
    IOView->viewport()->installEventFilter(this);

    VarsGrid->setHorizontalHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Index"), QStringLiteral("Value")});
    VarsGrid->setColumnWidth(0, 150);
    VarsGrid->setColumnWidth(1, 150);
    VarsGrid->horizontalHeader()->setStretchLastSection(true);
    VarsGrid->verticalHeader()->hide();
    // The grid shows values; editing them would change nothing in the program.
    VarsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(IOView);
    split->addWidget(VarsGrid);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);

    Debugger.OnDetailsChanged = [this] { ShowDetails(); };
    Debugger.OnShowVariables = [this] {
        if (isVisible()) ShowVariables();
    };
}

TVariableWatchWindow::~TVariableWatchWindow() {
    Debugger.OnDetailsChanged = nullptr;
    Debugger.OnShowVariables = nullptr;
}

void TVariableWatchWindow::ShowDetails() {
    QString text;
    for (const std::string& line : Debugger.DebugOutput())
        text += ToQString(line) + QLatin1Char('\n');
    IOView->setPlainText(text);
}

void TVariableWatchWindow::ShowVariables() {
    const auto& variables = Debugger.Variables();
    VarsGrid->clearContents();
    VarsGrid->setRowCount(std::max<int>(1, static_cast<int>(variables.size())));
    int row = 0;
    for (const TDebugVariable& variable : variables) {
        // A multi-line string keeps its lines apart in the cell.
        QString value = ToQString(variable.Value);
        value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        VarsGrid->setItem(row, 0, new QTableWidgetItem(ToQString(variable.Name)));
        VarsGrid->setItem(row, 1, new QTableWidgetItem(ToQString(variable.Index)));
        VarsGrid->setItem(row, 2, new QTableWidgetItem(value));
        ++row;
    }
}

void TVariableWatchWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (Debugger.Status() == dsIdle || Debugger.Status() == dsPaused) ShowVariables();
}

bool TVariableWatchWindow::eventFilter(QObject* watched, QEvent* event) {
    // A double click shows everything the session wrote; a right click copies it.
    if (watched == IOView->viewport() && (event->type() == QEvent::MouseButtonDblClick ||
                                          event->type() == QEvent::MouseButtonPress)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QString all = ToQString(Debugger.Console().AllBytes());
        if (event->type() == QEvent::MouseButtonDblClick) {
            IOView->setPlainText(all);
            return true;
        }
        if (mouse->button() == Qt::RightButton) {
            QApplication::clipboard()->setText(all);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvane
