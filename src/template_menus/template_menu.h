#pragma once
// The template items of the "&Templates" menu, built from the tree after a fixed anchor item.
// Items are named "ct" + a number; each calls the click handler on the tree's root with its
// node. Items point at nodes, so the menu is built again whenever the tree is replaced.
#include <string>

class QAction;
class QMenu;

namespace korvane {

class TCodeTemplate;

// Removes, after anchor in menu, every item whose name begins with "ct" (ignoring case).
void ClearTemplateMenu(QMenu& menu, QAction& anchor);

// Clears, then appends an item per shown node of the chain starting at first, with submenus
// for nodes with children. A description beginning with "!" hides the node and its subtree;
// ">" and "|" (menu column breaks elsewhere) are dropped from the caption, "|" leaving a
// separator; a caption of "-" is a separator. The first ten aliased nodes, level by level,
// get Alt+1 ... Alt+9 and Alt+0.
void BuildTemplateMenu(QMenu& menu, QAction& anchor, TCodeTemplate* first);

} // namespace korvane
