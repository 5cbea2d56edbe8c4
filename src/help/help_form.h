#pragma once
// The help designer, "Help Structure": the help tree with the fields of the selected node,
// and commands to add, delete, open, print and edit nodes and to save the tree file.
#include <QDialog>

class QAction;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvane {

class THelpManager;
class THelpSection;

class THelpForm : public QDialog {
public:
    explicit THelpForm(THelpManager& manager, QWidget* parent = nullptr);

    // Shows the designer modally; the tree file is written on closing only when it changed.
    static void Run(THelpManager& manager, QWidget* parent);

    void SelectNode(const THelpSection* node);
    // Asks for a name and adds a node of that name under the selected one.
    void AddNode();
    void DeleteNode();
    void SaveTree();

    QTreeWidget* Tree = nullptr;
    QLineEdit* NameEdit = nullptr;
    QLineEdit* TitleEdit = nullptr;
    QLineEdit* RelPathEdit = nullptr;
    QLineEdit* FilenameEdit = nullptr;
    QLineEdit* ParameterEdit = nullptr;
    QLabel* PathLabel = nullptr;
    QAction* SaveAction = nullptr;
    QAction* AddAction = nullptr;
    QAction* DeleteAction = nullptr;
    QAction* OpenAction = nullptr;
    QAction* PrintAction = nullptr;
    QAction* EditAction = nullptr;

protected:
    void done(int result) override;

private:
    THelpSection* Selected() const;
    QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, THelpSection& node, int index = -1);
    void ShowSelected();
    // The node's full path, red and marked when its document is missing.
    void ShowPathOf(const THelpSection* node);
    void FieldsEdited();

    THelpManager& Manager;
    bool Loading = false;
};

} // namespace korvane
