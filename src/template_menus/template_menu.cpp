#include "template_menus/template_menu.h"

#include "platform/qt_strings.h"
#include "templates/code_template.h"

#include <QAction>
#include <QMenu>

#include <utility>
#include <vector>

namespace korvane {
namespace {

constexpr int ShortcutCount = 10;

class TMenuBuilder {
public:
    // One level: first every item of the chain, then the submenus' own levels, so the Alt
    // shortcuts go to a level's aliased nodes before those of its submenus.
    void Level(QMenu& menu, TCodeTemplate* first) {
        std::vector<std::pair<QMenu*, TCodeTemplate*>> submenus;
        for (TCodeTemplate* node = first; node; node = node->Next()) {
            if (node->Description().starts_with('!')) continue;
            QMenu* submenu = AddItem(menu, *node);
            if (submenu) submenus.emplace_back(submenu, node->FirstChild());
        }
        for (const auto& [submenu, children] : submenus)
            Level(*submenu, children);
    }

private:
    // Returns the submenu made for a node with children.
    QMenu* AddItem(QMenu& menu, TCodeTemplate& node) {
        const std::string& description = node.Description();
        std::string caption = node.DisplayCaption();
        const bool columnBreak = description.starts_with('>') || description.starts_with('|');
        if (columnBreak) {
            // Qt menus have no columns: the break becomes a separator ("|") or nothing (">").
            if (description.starts_with('|')) AddNamedSeparator(menu);
            caption.erase(0, 1);
        }
        QMenu* submenu = nullptr;
        QAction* item = nullptr;
        if (node.FirstChild()) {
            submenu = new QMenu(ToQString(caption), &menu);
            item = submenu->menuAction();
        } else {
            item = new QAction(ToQString(caption), &menu);
            item->setSeparator(caption == "-");
            TCodeTemplate* target = &node;
            QObject::connect(item, &QAction::triggered, item, [target] {
                if (const auto& handler = target->GetClickHandler())
                    handler(*target, target->Lines());
            });
        }
        item->setObjectName(QStringLiteral("ct%1").arg(ItemCount++));
        if (!node.Alias().empty()) {
            if (ShortcutsGiven < ShortcutCount) {
                const auto digit = static_cast<Qt::Key>(Qt::Key_0 + (ShortcutsGiven + 1) % 10);
                item->setShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, digit)));
            }
            ++ShortcutsGiven;
        }
        menu.addAction(item);
        return submenu;
    }

    void AddNamedSeparator(QMenu& menu) {
        QAction* separator = menu.addSeparator();
        separator->setObjectName(QStringLiteral("ct%1").arg(ItemCount++));
    }

    int ItemCount = 0;
    int ShortcutsGiven = 0;
};

} // namespace

void ClearTemplateMenu(QMenu& menu, QAction& anchor) {
    const QList<QAction*> actions = menu.actions();
    const qsizetype start = actions.indexOf(&anchor) + 1;
    if (start == 0) return;
    for (qsizetype i = start; i < actions.size(); ++i) {
        QAction* action = actions[i];
        if (!action->objectName().startsWith(QStringLiteral("ct"), Qt::CaseInsensitive)) continue;
        menu.removeAction(action);
        if (QMenu* submenu = action->menu())
            delete submenu; // owns its action and its own items
        else
            delete action;
    }
}

void BuildTemplateMenu(QMenu& menu, QAction& anchor, TCodeTemplate* first) {
    ClearTemplateMenu(menu, anchor);
    TMenuBuilder().Level(menu, first);
}

} // namespace korvane
