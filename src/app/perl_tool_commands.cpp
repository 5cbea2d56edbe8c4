#include "app/perl_tool_commands.h"

#include "app/command.h"
#include "editor/editor_page.h"
#include "editor/perl_tool_page.h"
#include "exec/perl_tools.h"
#include "platform/settings_store.h"
#include "project/project_host.h"

#include <QActionGroup>
#include <QMenu>

namespace korvane {
namespace {

constexpr const char* SeverityKey = "Tools/CritiqueSeverity";

int StoredSeverity() {
    const int severity = OpenUserSettings()->value(SeverityKey, CritiqueDefaultSeverity).toInt();
    return severity >= CritiqueBrutal && severity <= CritiqueGentlest ? severity
                                                                      : CritiqueDefaultSeverity;
}

} // namespace

TPerlToolCommands::TPerlToolCommands(QWidget& window, TProjectHost& host, TCommandUpdates& updates,
                                     std::function<TEditorPage*()> currentPage)
    : QObject(&window), Window(window), Updates(updates), CurrentPage(std::move(currentPage)),
      Tools(new TPerlToolPage(
          [&host](const std::vector<TMessageLine>& lines) { host.SetMessages(lines); }, this)) {}

void TPerlToolCommands::AddTidy(QMenu& special) {
    QAction* tidy = MakeCommand(Window, {"TidyAction", "Special", "&Tidy Perl Code",
                                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T),
                                         "Re-indent the selected lines, or the whole Perl page, "
                                         "with perltidy"});
    special.addSeparator();
    special.addAction(tidy);
    QObject::connect(tidy, &QAction::triggered, &Window, [this] {
        if (TEditorPage* page = CurrentPage()) Tools->Tidy(*page);
    });
    Updates.Add(*tidy, [this](QAction& action) {
        action.setEnabled(CurrentPage() != nullptr && !Tools->Busy());
    });
}

void TPerlToolCommands::AddCritique(QMenu& debug) {
    QAction* critique =
        MakeCommand(Window, {"CritiqueAction", "Debug", "&Critique",
                             QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_F9),
                             "Review the page with perlcritic at the chosen severity"});
    debug.addAction(critique);
    QMenu* levels = debug.addMenu(QStringLiteral("Critique Se&verity"));
    auto* group = new QActionGroup(levels);
    const char* names[] = {"", "&1 Brutal", "&2 Cruel", "&3 Harsh", "&4 Stern", "&5 Gentle"};
    const int chosen = StoredSeverity();
    for (int severity = CritiqueBrutal; severity <= CritiqueGentlest; ++severity) {
        QAction* level = levels->addAction(QString::fromLatin1(names[severity]));
        level->setCheckable(true);
        level->setChecked(severity == chosen);
        level->setData(severity);
        group->addAction(level);
    }
    QObject::connect(group, &QActionGroup::triggered, &Window, [](QAction* level) {
        OpenUserSettings()->setValue(SeverityKey, level->data().toInt());
    });
    QObject::connect(critique, &QAction::triggered, &Window, [this, group] {
        TEditorPage* page = CurrentPage();
        const QAction* level = group->checkedAction();
        if (page) Tools->Critique(*page, level ? level->data().toInt() : CritiqueDefaultSeverity);
    });
    Updates.Add(*critique, [this](QAction& action) {
        action.setEnabled(CurrentPage() != nullptr && !Tools->Busy());
    });
}

} // namespace korvane
