#include "widgets/tree_paths.h"

#include "platform/qt_strings.h"
#include "storage/text_utils.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace korvane {

std::string TreeNodePath(const QTreeWidgetItem* node) {
    std::string path;
    for (; node; node = node->parent()) {
        const std::string text = ToStdString(node->text(0));
        path = path.empty() ? text : text + " \u00BB " + path;
    }
    return path;
}

QTreeWidgetItem* FindNodeByPath(const QTreeWidget* tree, const std::string& path) {
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it)
        if (SameText(TreeNodePath(*it), path)) return *it;
    return nullptr;
}

} // namespace korvane
