#include "editor/file_types_view.h"

#include "model/file_types.h"
#include "platform/qt_strings.h"

#include <QTreeWidget>

namespace korvane {

void ShowFileTypes(QTreeWidget& view, TFileTypeList& types) {
    view.clear();
    view.setColumnCount(4);
    for (TFileType& type : types.Entries()) {
        if (type.IsEmpty()) continue;
        auto* row = new QTreeWidgetItem(&view);
        row->setText(0, ToQString(type.Description));
        row->setText(1, ToQString(type.Extensions));
        row->setText(2, type.Editable ? QStringLiteral("Y") : QStringLiteral("N"));
        row->setText(3, type.AsciiTransfer ? QStringLiteral("ASCII") : QStringLiteral("Binary"));
        row->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&type)));
    }
}

TFileType* FileTypeOfRow(const QTreeWidget& view, int row) {
    const QTreeWidgetItem* item = view.topLevelItem(row);
    return item ? reinterpret_cast<TFileType*>(item->data(0, Qt::UserRole).value<quintptr>())
                : nullptr;
}

} // namespace korvane
