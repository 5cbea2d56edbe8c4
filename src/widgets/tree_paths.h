#pragma once
// Tree nodes named by the texts from the root down, as template and help trees store them.
#include <string>

class QTreeWidget;
class QTreeWidgetItem;

namespace korvane {

// The texts of node and its ancestors, root first, joined with " » ".
std::string TreeNodePath(const QTreeWidgetItem* node);
// The first node, top to bottom, whose path equals path without regard to case; nullptr if none.
QTreeWidgetItem* FindNodeByPath(const QTreeWidget* tree, const std::string& path);

} // namespace korvane
