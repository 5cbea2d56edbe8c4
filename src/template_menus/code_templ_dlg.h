#pragma once
// The template organizer ("Korvane Code Template Explorer"): the tree, the selected node's
// fields and its text, add, add-child, duplicate, delete, moves by drag and drop, and a search
// by alias or description. Any change puts "*" in front of the caption; the caller decides
// afterwards whether the edits are saved or undone.
#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvane {

class TCodeTemplate;
class TKorSynEdit;
class TSectionList;

// The last search, kept while the dialog is open.
struct TTemplateSearch {
    std::string Alias;
    std::string Description;
    bool FromSelected = false;
    bool Exact = false;
};

class TCodeTemplateDlg : public QDialog {
    Q_OBJECT
public:
    using DropFiles = std::function<void(TKorSynEdit& editor, const std::vector<std::string>&)>;

    TCodeTemplateDlg(TCodeTemplate& root, DropFiles dropFiles, QWidget* parent = nullptr);
    ~TCodeTemplateDlg() override;

    bool Changed() const;
    TCodeTemplate* Current() const { return CurrentNode; }
    void SetCurrent(TCodeTemplate* node);

    // The buttons' actions, also for tests.
    void AddNode();
    void AddChildNode();
    void DuplicateNode();
    void DeleteNode(); // asks first
    // The drop of the current node onto target: into it as the last child (Shift or Ctrl
    // held) or in front of it. False, and nothing moved, when the drop is not allowed.
    bool DropCurrentOn(TCodeTemplate* target, bool asChild);
    // Runs search; selects and returns the node found, or beeps and returns nullptr.
    TCodeTemplate* Search(const TTemplateSearch& search);
    TCodeTemplate* FindNext();
    // "&Finish off with this selected" / "&Place Cursor here at end" on the Code editor.
    void MarkInsertionPoint();

    TKorSynEdit& CodeEditor() const { return *Code; }
    QLineEdit& AliasBox() const { return *AliasEdit; }
    QLineEdit& DescriptionBox() const { return *DescriptionEdit; }
    QTreeWidget& TreeView() const { return *Tree; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWidgets();
    void FillTree();
    QTreeWidgetItem* ItemOf(const TCodeTemplate* node) const;
    void RefreshFields();
    void ApplyFieldChange();
    void RefreshCaptionAndPath();
    void MarkChanged();
    void AddNew(TCodeTemplate* node);
    void OpenFindDialog();

    TCodeTemplate& Root;
    DropFiles OnDropFiles;
    TCodeTemplate* CurrentNode = nullptr;
    TTemplateSearch LastSearch;
    bool Loading = false;

    QTreeWidget* Tree = nullptr;
    QLabel* PathLabel = nullptr;
    TKorSynEdit* Code = nullptr;
    QLineEdit* DescriptionEdit = nullptr;
    QLineEdit* AliasEdit = nullptr;
    QPushButton* FindNextButton = nullptr;
    QPushButton* DeleteButton = nullptr;
};

// Runs the organizer on the tree after keeping a copy of it. When the user changed something:
// OK saves the tree to path and answers true; a save that fails is reported and the organizer
// shows again with the edits; any other close puts the copy back. run shows the dialog
// (exec() when empty); tests drive it instead.
bool ShowCodeTemplateExplore(TCodeTemplate& root, TSectionList& stream, const std::string& path,
                             TCodeTemplateDlg::DropFiles dropFiles, QWidget* parent,
                             const std::function<int(TCodeTemplateDlg&)>& run = {});

} // namespace korvane
