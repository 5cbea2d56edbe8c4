#pragma once
// The editing behaviour shared by the environment-variable and form-field frames: a check list
// showing lines without their flag, a name box and a value box for the selected line, and
// "+" and "-" buttons, all working on a list of check-list lines owned elsewhere.
#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QString;
class QVBoxLayout;
class QWidget;

namespace korvane {

class TCheckListEditor : public QObject {
public:
    // value is a QLineEdit or a QPlainTextEdit. The widgets belong to the caller.
    TCheckListEditor(QListWidget* list, QLineEdit* name, QWidget* value, QAbstractButton* addBtn,
                     QAbstractButton* delBtn, QObject* parent);

    // Shows lines (which must outlive the binding) and edits them from now on.
    void Bind(std::vector<std::string>& lines);
    std::vector<std::string>* Lines() const { return Bound; }
    // Shows the bound lines again after they were changed elsewhere; nothing is selected.
    void Reload();
    // Read-only and greyed: list, boxes and buttons disabled, the list in a light grey.
    void SetGreyed(bool greyed);
    bool Greyed() const { return IsGreyed; }
    // The name box in button-face colour even while it is enabled (for lists whose names
    // are not used).
    void SetNameDimmed(bool dimmed);

    // The widgets in a column under a caption: list, name and value boxes, buttons.
    QVBoxLayout* MakeLayout(const QString& caption) const;

    // Fired after every stored change.
    std::function<void()> OnChange;

    void AddBtnClick();
    void DelBtnClick();

private:
    // The stored line of the list's current row; nullptr when none is selected.
    std::string* SelectedLine() const;
    // The boxes show the selected line, or are emptied and disabled.
    void ShowSelectedLine();
    // The list's item for a line, appended; the list's signals must be blocked.
    void AddItem(const std::string& line);
    void ItemChanged(QListWidgetItem* item);
    void NameEdited();
    void ValueEdited();
    void LineEdited(const std::string& line);
    std::string ValueText() const;
    void SetValueText(const std::string& text);
    void UpdateBoxes();
    void Changed();

    QListWidget* List;
    QLineEdit* NameBox;
    QLineEdit* ValueLine; // one of these two is set
    QPlainTextEdit* ValueMemo;
    QWidget* ValueBox;
    QAbstractButton* AddButton;
    QAbstractButton* DelButton;
    std::vector<std::string>* Bound = nullptr;
    bool IsGreyed = false;
    bool NameDimmed = false;
};

} // namespace korvane
