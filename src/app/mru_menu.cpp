#include "app/mru_menu.h"

#include "platform/qt_strings.h"

#include <QAction>
#include <QMenu>

namespace korvane {

TMRUMenu::TMRUMenu(TMRUList& list, QMenu& submenu, QMenu* mirror, QString name,
                   std::function<void(const std::string&)> choose)
    : List(list), Submenu(submenu), Mirror(mirror), Name(std::move(name)),
      OnChoose(std::move(choose)) {
    Rebuild();
}

namespace {

// The items go later, not at once: the list is rebuilt from the handler of one of them.
void RemoveItems(QMenu& menu) {
    for (QAction* action : menu.actions()) {
        menu.removeAction(action);
        if (action->parent() == &menu) action->deleteLater();
    }
}

} // namespace

void TMRUMenu::Empty() {
    RemoveItems(Submenu);
    if (Mirror) RemoveItems(*Mirror);
    Submenu.menuAction()->setEnabled(false);
}

void TMRUMenu::Rebuild() {
    Empty();
    const std::vector<TMRUList::TMenuItem> items = List.MenuItems();
    bool separated = false;
    for (const TMRUList::TMenuItem& item : items) {
        const QString caption = ToQString(item.Caption);
        if (item.Kind == TMRUList::TMenuItem::Entry) {
            const int number = item.Number;
            QAction* action = Submenu.addAction(caption, [this, number] { Choose(number); });
            action->setObjectName(QStringLiteral("MRULine%1_%2").arg(Name).arg(number));
            action->setEnabled(item.Enabled);
            if (Mirror) {
                QAction* copy = Mirror->addAction(caption, [this, number] { Choose(number); });
                copy->setObjectName(
                    QStringLiteral("MRUPopUp%1_%2").arg(Mirror->objectName()).arg(number));
                copy->setEnabled(item.Enabled);
            }
            continue;
        }
        if (!separated) Submenu.addSeparator();
        separated = true;
        const bool all = item.Kind == TMRUList::TMenuItem::Clear;
        QAction* action = Submenu.addAction(caption, [this, all] {
            if (all)
                List.Clear();
            else
                List.ClearInactive();
            Rebuild();
        });
        action->setObjectName(
            QStringLiteral("MRULine%1%2").arg(Name, all ? "Clear" : "ClearInactive"));
    }
    Submenu.menuAction()->setEnabled(!items.empty());
}

void TMRUMenu::Choose(int number) {
    const std::string path = List.Entry(number);
    if (!path.empty()) OnChoose(path);
}

} // namespace korvane
