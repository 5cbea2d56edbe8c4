#pragma once
// The "Find..." and "Replace..." dialogs. They show the project's search options and
// histories and store what the user chose back into the project; the search itself is the
// page's.
#include <QDialog>

#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QVBoxLayout;

namespace korvane {

class TKorProject;

class TFindDlg : public QDialog {
public:
    explicit TFindDlg(QWidget* parent = nullptr);

    // The search text is selection when there is one, else the project's last search.
    virtual void Load(const TKorProject& project, const std::string& selection);
    // The text goes to the top of the search history.
    virtual void Store(TKorProject& project) const;

    QComboBox* SearchText = nullptr;
    QCheckBox* MatchCase = nullptr;
    QCheckBox* WholeWords = nullptr;
    QCheckBox* RegularExpressions = nullptr;
    QButtonGroup* Direction = nullptr; // 0 forwards, 1 backwards
    QButtonGroup* Scope = nullptr;     // 0 from the cursor, 1 whole document, 2 selection

protected:
    // Rows above the options, and the column of buttons, for the replace dialog to extend.
    QGridLayout* TextRows = nullptr;
    QVBoxLayout* Options = nullptr;
    QVBoxLayout* Buttons = nullptr;
};

class TReplaceDlg : public TFindDlg {
public:
    explicit TReplaceDlg(QWidget* parent = nullptr);

    void Load(const TKorProject& project, const std::string& selection) override;
    void Store(TKorProject& project) const override;
    // The dialog was closed with "&Replace": only then does the replacement run.
    bool ReplacePressed() const { return ReplaceChosen; }

    QComboBox* ReplaceText = nullptr;
    QCheckBox* PromptOnReplace = nullptr;
    QCheckBox* ReplaceAll = nullptr;

private:
    bool ReplaceChosen = false;
};

} // namespace korvane
