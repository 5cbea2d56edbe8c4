#pragma once
// Shows the file-type table in a list view: one row per entry, carrying its entry.
class QTreeWidget;

namespace korvane {

class TFileTypeList;
struct TFileType;

void ShowFileTypes(QTreeWidget& view, TFileTypeList& types);
// The entry a row of that view stands for.
TFileType* FileTypeOfRow(const QTreeWidget& view, int row);

} // namespace korvane
