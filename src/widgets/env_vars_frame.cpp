#include "widgets/env_vars_frame.h"

#include "widgets/check_list_editor.h"
#include "widgets/help_topic.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

TEnvVarsFrame::TEnvVarsFrame(QWidget* parent)
    : QWidget(parent), Vars(new QListWidget(this)), VarName(new QLineEdit(this)),
      VarData(new QLineEdit(this)), AddBtn(new QPushButton(QStringLiteral("+"), this)),
      DelBtn(new QPushButton(QStringLiteral("-"), this)),
      Editor(new TCheckListEditor(Vars, VarName, VarData, AddBtn, DelBtn, this)) {
    setObjectName(QStringLiteral("EnvVarsFrame"));
    SetHelpTopic(*this, "Contents/reference/env_vars");
    Vars->setObjectName(QStringLiteral("Vars"));
    VarName->setObjectName(QStringLiteral("VarName"));
    VarData->setObjectName(QStringLiteral("VarData"));
    AddBtn->setObjectName(QStringLiteral("AddBtn"));
    DelBtn->setObjectName(QStringLiteral("DelBtn"));
    AddBtn->setToolTip(QStringLiteral("Add a variable"));
    DelBtn->setToolTip(QStringLiteral("Delete the selected variable"));

    QVBoxLayout* layout = Editor->MakeLayout(QStringLiteral("Environment Variables"));
    layout->setContentsMargins(0, 0, 0, 0);
    setLayout(layout);
}

void TEnvVarsFrame::Bind(std::vector<std::string>& lines,
                         const std::vector<std::string>* copySource) {
    CopySource = copySource;
    Editor->Bind(lines);
}

void TEnvVarsFrame::CopyFromSource() {
    if (CopySource && Editor->Lines()) *Editor->Lines() = *CopySource;
    Editor->Reload();
}

void TEnvVarsFrame::Reload() {
    Editor->Reload();
}

void TEnvVarsFrame::SetGreyed(bool greyed) {
    Editor->SetGreyed(greyed);
}

bool TEnvVarsFrame::Greyed() const {
    return Editor->Greyed();
}

void TEnvVarsFrame::SetOnChange(std::function<void()> onChange) {
    Editor->OnChange = std::move(onChange);
}

} // namespace korvane
