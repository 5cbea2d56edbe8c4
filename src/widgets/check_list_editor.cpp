#include "widgets/check_list_editor.h"

#include "model/check_list.h"
#include "platform/qt_strings.h"
#include "widgets/check_list_edit.h"

#include <QAbstractButton>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace korvane {
namespace {

const QColor GreyedListColour(0xEB, 0xEB, 0xEB);

void SetBaseColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

} // namespace

TCheckListEditor::TCheckListEditor(QListWidget* list, QLineEdit* name, QWidget* value,
                                   QAbstractButton* addBtn, QAbstractButton* delBtn,
                                   QObject* parent)
    : QObject(parent), List(list), NameBox(name), ValueLine(qobject_cast<QLineEdit*>(value)),
      ValueMemo(qobject_cast<QPlainTextEdit*>(value)), ValueBox(value), AddButton(addBtn),
      DelButton(delBtn) {
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    // Only the first "=" splits a line, so a name must not hold one.
    NameBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^=]*")), NameBox));
    connect(List, &QListWidget::currentRowChanged, this, [this] { ShowSelectedLine(); });
    connect(List, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { ItemChanged(item); });
    connect(NameBox, &QLineEdit::textChanged, this, [this] { NameEdited(); });
    if (ValueLine) connect(ValueLine, &QLineEdit::textChanged, this, [this] { ValueEdited(); });
    if (ValueMemo)
        connect(ValueMemo, &QPlainTextEdit::textChanged, this, [this] { ValueEdited(); });
    connect(AddButton, &QAbstractButton::clicked, this, [this] { AddBtnClick(); });
    connect(DelButton, &QAbstractButton::clicked, this, [this] { DelBtnClick(); });
    UpdateBoxes();
}

QVBoxLayout* TCheckListEditor::MakeLayout(const QString& caption) const {
    auto* column = new QVBoxLayout;
    column->addWidget(new QLabel(caption, List->parentWidget()));
    column->addWidget(List, 1);
    auto* boxes = new QFormLayout;
    boxes->addRow(QStringLiteral("Name"), NameBox);
    boxes->addRow(QStringLiteral("Value"), ValueBox);
    column->addLayout(boxes);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(AddButton);
    buttons->addWidget(DelButton);
    buttons->addStretch(1);
    column->addLayout(buttons);
    return column;
}

void TCheckListEditor::Bind(std::vector<std::string>& lines) {
    Bound = &lines;
    Reload();
}

void TCheckListEditor::Reload() {
    {
        const QSignalBlocker blocker(List);
        List->clear();
        if (Bound) {
            for (const std::string& line : *Bound)
                AddItem(line);
        }
        List->setCurrentRow(-1);
    }
    ShowSelectedLine();
}

void TCheckListEditor::AddItem(const std::string& line) {
    auto* item = new QListWidgetItem(ToQString(CheckListEntry(line)), List);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(CheckListLineOn(line) ? Qt::Checked : Qt::Unchecked);
}

void TCheckListEditor::SetGreyed(bool greyed) {
    IsGreyed = greyed;
    UpdateBoxes();
}

void TCheckListEditor::SetNameDimmed(bool dimmed) {
    NameDimmed = dimmed;
    UpdateBoxes();
}

void TCheckListEditor::AddBtnClick() {
    if (!Bound || IsGreyed) return;
    Bound->emplace_back(NewCheckListLine);
    {
        const QSignalBlocker blocker(List);
        AddItem(Bound->back());
        List->setCurrentRow(List->count() - 1);
    }
    ShowSelectedLine();
    // Typing replaces the placeholder name.
    NameBox->setFocus();
    NameBox->selectAll();
    Changed();
}

void TCheckListEditor::DelBtnClick() {
    if (IsGreyed || !SelectedLine()) return;
    const int row = List->currentRow();
    Bound->erase(Bound->begin() + row);
    {
        const QSignalBlocker blocker(List);
        delete List->takeItem(row);
    }
    ShowSelectedLine();
    Changed();
}

void TCheckListEditor::ItemChanged(QListWidgetItem* item) {
    if (!Bound) return;
    const int row = List->row(item);
    if (row < 0 || row >= static_cast<int>(Bound->size())) return;
    if (SetCheckListOn((*Bound)[static_cast<size_t>(row)], item->checkState() == Qt::Checked))
        Changed();
}

std::string* TCheckListEditor::SelectedLine() const {
    const int row = List->currentRow();
    if (!Bound || row < 0 || row >= static_cast<int>(Bound->size())) return nullptr;
    return &(*Bound)[static_cast<size_t>(row)];
}

void TCheckListEditor::NameEdited() {
    std::string* line = SelectedLine();
    if (line && SetCheckListName(*line, ToStdString(NameBox->text()))) LineEdited(*line);
}

void TCheckListEditor::ValueEdited() {
    std::string* line = SelectedLine();
    if (line && SetCheckListValue(*line, ValueText())) LineEdited(*line);
}

void TCheckListEditor::LineEdited(const std::string& line) {
    {
        const QSignalBlocker blocker(List);
        List->currentItem()->setText(ToQString(CheckListEntry(line)));
    }
    Changed();
}

std::string TCheckListEditor::ValueText() const {
    return ToStdString(ValueLine ? ValueLine->text() : ValueMemo->toPlainText());
}

void TCheckListEditor::SetValueText(const std::string& text) {
    if (ValueLine)
        ValueLine->setText(ToQString(text));
    else
        ValueMemo->setPlainText(ToQString(text));
}

void TCheckListEditor::ShowSelectedLine() {
    {
        const QSignalBlocker nameBlocker(NameBox);
        const QSignalBlocker valueBlocker(ValueBox);
        const std::string* line = SelectedLine();
        NameBox->setText(line ? ToQString(CheckListName(*line)) : QString());
        SetValueText(line ? CheckListValue(*line) : std::string());
    }
    UpdateBoxes();
}

void TCheckListEditor::UpdateBoxes() {
    const QPalette standard = QGuiApplication::palette();
    const QColor window = standard.color(QPalette::Base);
    const QColor buttonFace = standard.color(QPalette::Button);
    const bool editing = !IsGreyed && List->currentRow() >= 0;
    List->setEnabled(!IsGreyed);
    SetBaseColour(List, IsGreyed ? GreyedListColour : window);
    NameBox->setEnabled(editing);
    SetBaseColour(NameBox, editing && !NameDimmed ? window : buttonFace);
    ValueBox->setEnabled(editing);
    SetBaseColour(ValueBox, editing ? window : buttonFace);
    AddButton->setEnabled(!IsGreyed);
    DelButton->setEnabled(editing);
}

void TCheckListEditor::Changed() {
    if (OnChange) OnChange();
}

} // namespace korvane
