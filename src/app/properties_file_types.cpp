// The settings dialog's file-type page, on the working copy of the table. The table always
// keeps at least one entry; a single entry with empty texts stands for an empty table.
#include "app/properties_dlg.h"
#include "platform/qt_strings.h"
#include "storage/prompt.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace korvane {

void TPropertiesDlg::DrawFileTypeRow(QTreeWidgetItem& row, const TFileType& type) {
    row.setText(0, ToQString(type.Description));
    row.setText(1, ToQString(type.Extensions));
    row.setText(2, type.Editable ? QStringLiteral("Y") : QStringLiteral("N"));
    row.setText(3, type.AsciiTransfer ? QStringLiteral("ASCII") : QStringLiteral("Binary"));
    row.setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&type)));
}

void TPropertiesDlg::ShowFileTypeRows() {
    FileTypes->clear();
    for (TFileType& type : WorkTypes.Entries())
        DrawFileTypeRow(*new QTreeWidgetItem(FileTypes), type);
}

QTreeWidgetItem* TPropertiesDlg::RowOf(const TFileType* type) const {
    for (int i = 0; type && i < FileTypes->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = FileTypes->topLevelItem(i);
        if (row->data(0, Qt::UserRole).value<quintptr>() == reinterpret_cast<quintptr>(type))
            return row;
    }
    return nullptr;
}

void TPropertiesDlg::SelectFileType(TFileType* type) {
    SelectedType = type;
    FileTypes->setCurrentItem(RowOf(type));
    ShowFileTypeDetails();
}

void TPropertiesDlg::ShowFileTypeDetails() {
    const bool wasUpdating = Updating;
    Updating = true;
    const bool on = SelectedType != nullptr;
    for (QWidget* field : std::initializer_list<QWidget*>{FileTypeDesc, FileTypeExt,
                                                          FileTypeEditable, FileTypeAscii})
        field->setEnabled(on);
    FileTypeDesc->setText(on ? ToQString(SelectedType->Description) : QString());
    FileTypeExt->setText(on ? ToQString(SelectedType->Extensions) : QString());
    FileTypeEditable->setChecked(on && SelectedType->Editable);
    FileTypeAscii->setChecked(on && SelectedType->AsciiTransfer);
    DeleteTypeBtn->setEnabled(on);
    Updating = wasUpdating;
}

void TPropertiesDlg::FileTypeDetailChange() {
    if (Showing || Updating || !SelectedType) return;
    SelectedType->Description = ToStdString(FileTypeDesc->text());
    SelectedType->Extensions = ToStdString(FileTypeExt->text());
    SelectedType->Editable = FileTypeEditable->isChecked();
    SelectedType->AsciiTransfer = FileTypeAscii->isChecked();
    if (QTreeWidgetItem* row = RowOf(SelectedType)) DrawFileTypeRow(*row, *SelectedType);
    GenChange();
}

void TPropertiesDlg::AddFileTypeClick() {
    TFileType& added = WorkTypes.Add(TFileType{});
    DrawFileTypeRow(*new QTreeWidgetItem(FileTypes), added);
    SelectFileType(&added);
    if (FileTypeDesc->isEnabled()) FileTypeDesc->setFocus();
    GenChange();
}

void TPropertiesDlg::DeleteFileTypeClick() {
    if (!SelectedType) return;
    auto& entries = WorkTypes.Entries();
    if (entries.size() == 1) {
        if (!SelectedType->IsEmpty()) {
            *SelectedType = TFileType{};
            if (QTreeWidgetItem* row = RowOf(SelectedType)) DrawFileTypeRow(*row, *SelectedType);
        }
    } else {
        delete RowOf(SelectedType);
        entries.remove_if([this](const TFileType& type) { return &type == SelectedType; });
        SelectedType = nullptr;
    }
    ShowFileTypeDetails();
    GenChange();
}

void TPropertiesDlg::ResetFileTypesClick() {
    if (!WorkTypes.IsEmpty() &&
        CurrentPrompt().Ask(PromptKind::Confirmation,
                            "Clear all File types and reset to Korvane defaults?",
                            pbYes | pbNo) != pbYes)
        return;
    WorkTypes.MakeDefault();
    ShowFileTypeRows();
    SelectFileType(nullptr);
    GenChange();
}

void TPropertiesDlg::ClearFileTypesClick() {
    if (WorkTypes.IsEmpty()) return;
    if (CurrentPrompt().Ask(PromptKind::Confirmation, "Clear all File types to leave a blank list?",
                            pbYes | pbNo) != pbYes)
        return;
    WorkTypes.Clear();
    TFileType& blank = WorkTypes.Add(TFileType{});
    ShowFileTypeRows();
    SelectFileType(&blank);
    GenChange();
}

} // namespace korvane
