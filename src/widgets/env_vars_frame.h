#pragma once
// The environment-variable editor: a check list of NAME=value lines with name and value boxes.
// Used in a page's "Params" tab and wherever else a list of variables is edited.
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace korvane {

class TCheckListEditor;

class TEnvVarsFrame : public QWidget {
public:
    explicit TEnvVarsFrame(QWidget* parent = nullptr);

    // Edits lines (which must outlive the frame's use of them). copySource, when given, is the
    // list CopyFromSource copies; it is kept by reference as well.
    void Bind(std::vector<std::string>& lines,
              const std::vector<std::string>* copySource = nullptr);
    // The bound list becomes a copy of the source list and is shown again; no change event.
    void CopyFromSource();
    // Shows the bound list again after it was changed elsewhere.
    void Reload();
    // Read-only and greyed, for a list that follows another one.
    void SetGreyed(bool greyed);
    bool Greyed() const;
    // Fired after every change the frame stores.
    void SetOnChange(std::function<void()> onChange);

    QListWidget* Vars;
    QLineEdit* VarName;
    QLineEdit* VarData;
    QPushButton* AddBtn;
    QPushButton* DelBtn;

private:
    TCheckListEditor* Editor;
    const std::vector<std::string>* CopySource = nullptr;
};

} // namespace korvane
