#pragma once
// The "Params" tab of a page: the form fields sent to a script with the way they are sent, and
// the script's environment variables, either the page's own or a copy of the project's.
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace korvane {

class TCheckListEditor;
class TEnvVarsFrame;

class TParamFrame : public QWidget {
public:
    explicit TParamFrame(QWidget* parent = nullptr);

    // Edits formFields and envVars (which must outlive the frame's use of them);
    // projectEnvVars is what "Use Standard Project Environment Variables" copies.
    void Bind(std::vector<std::string>& formFields, std::vector<std::string>& envVars,
              const std::vector<std::string>* projectEnvVars);
    // Shows both bound lists again after they were changed elsewhere.
    void Reload();

    // The chosen "Form Send Type" item (0 to 4); setting it fires no change event.
    int SendTypeIndex() const;
    void SetSendTypeIndex(int index);
    // The check box's state; setting it greys or frees the variables, copies nothing and fires
    // no change event.
    bool UseProjectVars() const;
    void SetUseProjectVars(bool use);
    // The field-name box in button-face colour: names are not sent with "Data only for params".
    void SetFieldNameDimmed(bool dimmed);
    // The copy button's hint becomes the form string of the bound fields.
    void UpdateCopyHint();
    bool FieldWordWrap() const;

    // Fired after every change either list, the send type or the check box stores.
    std::function<void()> OnChange;

    void CopyFormParamsClick();

    QListWidget* Params;
    QLineEdit* FieldName;
    QPlainTextEdit* FieldData;
    QPushButton* AddBtn;
    QPushButton* DelBtn;
    QGroupBox* SendType;
    QButtonGroup* SendTypeItems;
    QCheckBox* ProjectVars;
    TEnvVarsFrame* ev;
    QPushButton* CopyFormParams;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ProjectVarsClick();
    void Changed();

    TCheckListEditor* Fields;
    const std::vector<std::string>* FormFields = nullptr;
};

} // namespace korvane
