#include "app/variable_watch_window.h"

#include "exec/console_controller.h"
#include "exec/debug_form.h"
#include "platform/qt_strings.h"
#include "widgets/help_topic.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>
#include <functional>
#include <vector>

namespace korvane {
namespace {

constexpr int FileRole = Qt::UserRole;
constexpr int LineRole = Qt::UserRole + 1;

QTreeWidget* ValueTree(const QStringList& headers) {
    auto* tree = new QTreeWidget;
    tree->setHeaderLabels(headers);
    tree->setColumnWidth(0, 180);
    tree->setUniformRowHeights(true);
    tree->header()->setStretchLastSection(true);
    return tree;
}

// The values of the sections chosen, in the report's order, as a tree: each value goes under
// the last one a level above it. Expanded rows stay expanded when the same names come again.
void FillTree(QTreeWidget& tree, const TStopReport& report,
              const std::function<bool(const std::string& section)>& wanted) {
    QSet<QString> expanded;
    std::function<void(QTreeWidgetItem*, const QString&)> remember = [&](QTreeWidgetItem* item,
                                                                         const QString& path) {
        for (int i = 0; i < item->childCount(); ++i) {
            QTreeWidgetItem* child = item->child(i);
            const QString childPath = path + QLatin1Char('\t') + child->text(0);
            if (child->isExpanded()) expanded.insert(childPath);
            remember(child, childPath);
        }
    };
    remember(tree.invisibleRootItem(), {});
    tree.clear();
    std::vector<std::pair<QTreeWidgetItem*, QString>> parents; // by depth
    for (const TReportedValue& value : report.Values) {
        if (!wanted(value.Section)) continue;
        const size_t depth = static_cast<size_t>(std::max(0, value.Depth));
        if (depth > parents.size()) continue; // a level skipped: nothing to hang it on
        parents.resize(depth);
        QTreeWidgetItem* parent = depth == 0 ? tree.invisibleRootItem() : parents.back().first;
        const QString path = (depth == 0 ? QString() : parents.back().second) + QLatin1Char('\t') +
                             ToQString(value.Name);
        auto* item = new QTreeWidgetItem(
            parent, {ToQString(value.Name), ToQString(value.Value), ToQString(value.Section)});
        item->setToolTip(1, item->text(1));
        if (expanded.contains(path)) item->setExpanded(true);
        parents.emplace_back(item, path);
    }
    // Expanding needs the children in place: done again after the fill.
    std::function<void(QTreeWidgetItem*, const QString&)> restore = [&](QTreeWidgetItem* item,
                                                                        const QString& path) {
        for (int i = 0; i < item->childCount(); ++i) {
            QTreeWidgetItem* child = item->child(i);
            const QString childPath = path + QLatin1Char('\t') + child->text(0);
            if (expanded.contains(childPath)) child->setExpanded(true);
            restore(child, childPath);
        }
    };
    restore(tree.invisibleRootItem(), {});
}

} // namespace

TVariableWatchWindow::TVariableWatchWindow(TDebugForm& debugger, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), Debugger(debugger),
      IOView(new QPlainTextEdit), Tabs(new QTabWidget), Note(new QLabel),
      Specials(new QCheckBox(QStringLiteral("Perl's special variables"))),
      VarsTree(
          ValueTree({QStringLiteral("Name"), QStringLiteral("Value"), QStringLiteral("Scope")})),
      Expression(new QLineEdit),
      WatchTree(ValueTree({QStringLiteral("Expression"), QStringLiteral("Value")})),
      StackView(new QListWidget) {
    setWindowTitle(QStringLiteral("Variable Watch Window"));
    SetHelpTopic(*this, "Contents/reference/var_watch");
    resize(560, 520);

    IOView->setReadOnly(true);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setBold(true);
    IOView->setFont(fixed);
    IOView->setStyleSheet(
        QStringLiteral("QPlainTextEdit { color: blue; background: rgb(255, 210, 210); }"));
    IOView->viewport()->installEventFilter(this);

    Note->setWordWrap(true);
    Note->setStyleSheet(QStringLiteral("QLabel { color: maroon; }"));
    Note->hide();
    auto* variables = new QWidget;
    auto* variablesLayout = new QVBoxLayout(variables);
    variablesLayout->setContentsMargins(2, 2, 2, 2);
    variablesLayout->addWidget(Note);
    variablesLayout->addWidget(VarsTree);
    variablesLayout->addWidget(Specials);
    connect(Specials, &QCheckBox::toggled, this, [this](bool on) {
        Debugger.ShowSpecialVariables = on;
        Debugger.RefreshReport();
    });

    WatchTree->setColumnCount(2);
    Expression->setPlaceholderText(QStringLiteral("Perl expression, e.g. $count * 2 or $h{key}"));
    auto* watchButton = new QPushButton(QStringLiteral("&Watch"));
    auto* evaluateButton = new QPushButton(QStringLiteral("&Evaluate"));
    auto* removeButton = new QPushButton(QStringLiteral("&Remove"));
    watchButton->setToolTip(QStringLiteral("Evaluate the expression at every stop"));
    evaluateButton->setToolTip(QStringLiteral("Evaluate the expression once, now (Enter)"));
    removeButton->setToolTip(QStringLiteral("Stop watching the chosen expression (Delete)"));
    connect(watchButton, &QPushButton::clicked, this, &TVariableWatchWindow::AddWatch);
    connect(evaluateButton, &QPushButton::clicked, this, &TVariableWatchWindow::EvaluateExpression);
    connect(Expression, &QLineEdit::returnPressed, this, &TVariableWatchWindow::EvaluateExpression);
    connect(removeButton, &QPushButton::clicked, this, &TVariableWatchWindow::RemoveWatch);
    WatchTree->installEventFilter(this);
    auto* watches = new QWidget;
    auto* watchesLayout = new QVBoxLayout(watches);
    watchesLayout->setContentsMargins(2, 2, 2, 2);
    auto* entry = new QHBoxLayout;
    entry->addWidget(Expression, 1);
    entry->addWidget(evaluateButton);
    entry->addWidget(watchButton);
    entry->addWidget(removeButton);
    watchesLayout->addLayout(entry);
    watchesLayout->addWidget(WatchTree);

    StackView->setToolTip(QStringLiteral("Double-click a frame to open its file at its line"));
    connect(StackView, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (OpenAt)
            OpenAt(ToStdString(item->data(FileRole).toString()), item->data(LineRole).toInt());
    });

    Tabs->addTab(variables, QStringLiteral("Variables"));
    Tabs->addTab(watches, QStringLiteral("Watches"));
    Tabs->addTab(StackView, QStringLiteral("Call Stack"));

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(IOView);
    split->addWidget(Tabs);
    split->setStretchFactor(1, 3);
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
    const TStopReport& report = Debugger.StopReport();
    const bool paused = Debugger.Status() == dsPaused;
    // Between stops and after the session nothing of the program is shown as current.
    const TStopReport none;
    const TStopReport& shown = paused ? report : none;
    FillTree(*VarsTree, shown,
             [](const std::string& section) { return section != "watch" && section != "eval"; });
    FillTree(*WatchTree, shown,
             [](const std::string& section) { return section == "watch" || section == "eval"; });
    // Watches not evaluated (no session) still show, so they can be removed.
    if (!paused)
        for (const std::string& watch : Debugger.Watches)
            new QTreeWidgetItem(WatchTree, {ToQString(watch), QString()});
    QString notes;
    for (const std::string& note : shown.Notes)
        notes += (notes.isEmpty() ? QString() : QStringLiteral("\n")) + ToQString(note);
    Note->setText(notes);
    Note->setVisible(!notes.isEmpty());
    ShowStack();
}

void TVariableWatchWindow::ShowStack() {
    StackView->clear();
    if (Debugger.Status() != dsPaused) return;
    for (const TStackFrame& frame : Debugger.StopReport().Frames) {
        const std::filesystem::path file = Debugger.FullPath(frame.File);
        auto* item = new QListWidgetItem(ToQString(frame.Sub + "  " + file.filename().string() +
                                                   ":" + std::to_string(frame.Line)),
                                         StackView);
        item->setToolTip(ToQString(file.string()));
        item->setData(FileRole, ToQString(file.string()));
        item->setData(LineRole, frame.Line);
    }
}

void TVariableWatchWindow::AddWatch() {
    const std::string expression = ToStdString(Expression->text().trimmed());
    if (expression.empty()) return;
    Debugger.Watches.push_back(expression);
    Expression->clear();
    if (Debugger.Status() == dsPaused)
        Debugger.RefreshReport();
    else
        ShowVariables();
}

void TVariableWatchWindow::EvaluateExpression() {
    const std::string expression = ToStdString(Expression->text().trimmed());
    if (expression.empty()) return;
    if (Debugger.Status() != dsPaused) {
        WatchTree->clear();
        new QTreeWidgetItem(WatchTree,
                            {QStringLiteral("="), QStringLiteral("(the program is not paused)")});
        return;
    }
    Debugger.Evaluate(expression);
}

void TVariableWatchWindow::RemoveWatch() {
    QTreeWidgetItem* item = WatchTree->currentItem();
    while (item && item->parent())
        item = item->parent();
    if (!item) return;
    const auto it =
        std::find(Debugger.Watches.begin(), Debugger.Watches.end(), ToStdString(item->text(0)));
    if (it == Debugger.Watches.end()) return;
    Debugger.Watches.erase(it);
    if (Debugger.Status() == dsPaused)
        Debugger.RefreshReport();
    else
        ShowVariables();
}

void TVariableWatchWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (Debugger.Status() == dsIdle || Debugger.Status() == dsPaused) ShowVariables();
}

bool TVariableWatchWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == WatchTree && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        RemoveWatch();
        return true;
    }
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
