// The template items of the "&Templates" menu: names, captions, marks, shortcuts and clicks.
#include "platform/qt_strings.h"
#include "template_menus/template_menu.h"
#include "template_tree_support.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

namespace korvane::test {
namespace {

// "name caption shortcut" per item after the anchor; a submenu's items follow indented.
std::string Describe(const QMenu& menu, int from, const std::string& indent = "") {
    std::string text;
    const QList<QAction*> actions = menu.actions();
    for (qsizetype i = from; i < actions.size(); ++i) {
        const QAction* a = actions[i];
        text += indent + ToStdString(a->objectName()) + " " +
                (a->isSeparator() ? std::string("---") : ToStdString(a->text()));
        if (!a->shortcut().isEmpty()) text += " " + ToStdString(a->shortcut().toString());
        text += "\n";
        if (a->menu()) text += Describe(*a->menu(), 0, indent + "  ");
    }
    return text;
}

TEST(TemplateMenu, ItemsShortcutsAndMarksFollowTheTree) {
    TCodeTemplate root;
    std::vector<NodeSpec> nodes{{1, "!hidden", "h", {}}, {2, "inside", "in", {"x"}}};
    for (int i = 1; i <= 11; ++i)
        nodes.push_back({1, "t" + std::to_string(i), "a" + std::to_string(i), {"x"}});
    nodes.push_back({1, "Perl", "", {}});
    nodes.push_back({2, "foreach", "fe", {"x"}});
    nodes.push_back({2, "-", "", {}});
    nodes.push_back({2, "|second column", "", {"x"}});
    nodes.push_back({2, ">next column", "", {"x"}});
    BuildTree(root, nodes);

    QMenu menu;
    menu.addAction(QStringLiteral("&Insert Selected Code Template"));
    QAction* anchor = menu.addSeparator();
    BuildTemplateMenu(menu, *anchor, root.FirstChild());
    BuildTemplateMenu(menu, *anchor, root.FirstChild()); // a rebuild replaces, never adds
    EXPECT_EQ(Describe(menu, 2), "ct0 t1 (a1) Alt+1\nct1 t2 (a2) Alt+2\nct2 t3 (a3) Alt+3\n"
                                 "ct3 t4 (a4) Alt+4\nct4 t5 (a5) Alt+5\nct5 t6 (a6) Alt+6\n"
                                 "ct6 t7 (a7) Alt+7\nct7 t8 (a8) Alt+8\nct8 t9 (a9) Alt+9\n"
                                 "ct9 t10 (a10) Alt+0\nct10 t11 (a11)\nct11 Perl\n"
                                 "  ct12 foreach (fe)\n  ct13 ---\n  ct14 ---\n"
                                 "  ct15 second column\n  ct16 next column\n");

    std::vector<std::string> clicked;
    root.SetClickHandler([&](TCodeTemplate& node, const std::vector<std::string>& lines) {
        clicked.push_back(node.Alias() + ":" + lines.at(0));
    });
    menu.actions().at(2)->trigger();
    menu.actions().back()->menu()->actions().at(0)->trigger();
    EXPECT_EQ(clicked, (std::vector<std::string>{"a1:x", "fe:x"}));

    ClearTemplateMenu(menu, *anchor);
    EXPECT_EQ(menu.actions().size(), 2);
}

} // namespace
} // namespace korvane::test
