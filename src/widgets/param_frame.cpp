#include "widgets/param_frame.h"

#include "model/form_fields.h"
#include "platform/qt_strings.h"
#include "widgets/check_list_editor.h"
#include "widgets/env_vars_frame.h"
#include "widgets/help_topic.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <array>

namespace korvane {
namespace {

// In the order of the form send type's values.
constexpr std::array<const char*, 5> SendTypeCaptions = {"None", "Get + Post", "Get", "Post",
                                                         "Data only for params"};

} // namespace

TParamFrame::TParamFrame(QWidget* parent)
    : QWidget(parent), Params(new QListWidget(this)), FieldName(new QLineEdit(this)),
      FieldData(new QPlainTextEdit(this)), AddBtn(new QPushButton(QStringLiteral("+"), this)),
      DelBtn(new QPushButton(QStringLiteral("-"), this)),
      SendType(new QGroupBox(QStringLiteral("Form Send Type"), this)),
      SendTypeItems(new QButtonGroup(this)),
      ProjectVars(
          new QCheckBox(QStringLiteral("Use Standard Project Environment Variables"), this)),
      ev(new TEnvVarsFrame(this)),
      CopyFormParams(new QPushButton(QStringLiteral("Copy Form URL to Clipboard"), this)),
      Fields(new TCheckListEditor(Params, FieldName, FieldData, AddBtn, DelBtn, this)) {
    setObjectName(QStringLiteral("ParamFrame"));
    SetHelpTopic(*this, "Contents/reference/form_fields");
    Params->setObjectName(QStringLiteral("Params"));
    FieldName->setObjectName(QStringLiteral("FieldName"));
    FieldData->setObjectName(QStringLiteral("FieldData"));
    AddBtn->setObjectName(QStringLiteral("AddBtn"));
    DelBtn->setObjectName(QStringLiteral("DelBtn"));
    SendType->setObjectName(QStringLiteral("SendType"));
    ProjectVars->setObjectName(QStringLiteral("ProjectVars"));
    ev->setObjectName(QStringLiteral("ev"));
    CopyFormParams->setObjectName(QStringLiteral("CopyFormParams"));
    AddBtn->setToolTip(QStringLiteral("Add a form field"));
    DelBtn->setToolTip(QStringLiteral("Delete the selected form field"));

    FieldData->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    FieldData->setToolTip(QStringLiteral("Double click to switch word wrap"));
    FieldData->viewport()->installEventFilter(this);

    auto* sendTypeLayout = new QVBoxLayout(SendType);
    for (size_t i = 0; i < SendTypeCaptions.size(); ++i) {
        auto* item = new QRadioButton(QString::fromLatin1(SendTypeCaptions[i]), SendType);
        SendTypeItems->addButton(item, static_cast<int>(i));
        sendTypeLayout->addWidget(item);
    }
    SendTypeItems->button(fstNone)->setChecked(true);
    ProjectVars->setChecked(true);
    ev->SetGreyed(true);

    QVBoxLayout* fieldsColumn = Fields->MakeLayout(QStringLiteral("Form Fields"));
    fieldsColumn->addWidget(SendType);
    fieldsColumn->addWidget(CopyFormParams, 0, Qt::AlignLeft);

    auto* varsColumn = new QVBoxLayout;
    varsColumn->addWidget(ProjectVars);
    varsColumn->addWidget(ev, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fieldsColumn, 1);
    layout->addLayout(varsColumn, 1);

    Fields->OnChange = [this] { Changed(); };
    ev->SetOnChange([this] { Changed(); });
    connect(SendTypeItems, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) Changed();
    });
    connect(ProjectVars, &QCheckBox::toggled, this, [this] { ProjectVarsClick(); });
    connect(CopyFormParams, &QPushButton::clicked, this, [this] { CopyFormParamsClick(); });
    UpdateCopyHint();
}

void TParamFrame::Bind(std::vector<std::string>& formFields, std::vector<std::string>& envVars,
                       const std::vector<std::string>* projectEnvVars) {
    FormFields = &formFields;
    Fields->Bind(formFields);
    ev->Bind(envVars, projectEnvVars);
    UpdateCopyHint();
}

void TParamFrame::Reload() {
    Fields->Reload();
    ev->Reload();
    UpdateCopyHint();
}

int TParamFrame::SendTypeIndex() const {
    return SendTypeItems->checkedId();
}

void TParamFrame::SetSendTypeIndex(int index) {
    QAbstractButton* item = SendTypeItems->button(index);
    if (!item) return;
    const QSignalBlocker blocker(SendTypeItems);
    item->setChecked(true);
}

bool TParamFrame::UseProjectVars() const {
    return ProjectVars->isChecked();
}

void TParamFrame::SetUseProjectVars(bool use) {
    {
        const QSignalBlocker blocker(ProjectVars);
        ProjectVars->setChecked(use);
    }
    ev->SetGreyed(use);
}

void TParamFrame::SetFieldNameDimmed(bool dimmed) {
    Fields->SetNameDimmed(dimmed);
}

void TParamFrame::UpdateCopyHint() {
    CopyFormParams->setToolTip(FormFields ? ToQString(FormString(*FormFields)) : QString());
}

bool TParamFrame::FieldWordWrap() const {
    return FieldData->lineWrapMode() != QPlainTextEdit::NoWrap;
}

void TParamFrame::CopyFormParamsClick() {
    QGuiApplication::clipboard()->setText(CopyFormParams->toolTip());
}

bool TParamFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FieldData->viewport() && event->type() == QEvent::MouseButtonDblClick)
        FieldData->setLineWrapMode(FieldWordWrap() ? QPlainTextEdit::NoWrap
                                                   : QPlainTextEdit::WidgetWidth);
    return QWidget::eventFilter(watched, event);
}

void TParamFrame::ProjectVarsClick() {
    const bool use = ProjectVars->isChecked();
    if (use) ev->CopyFromSource();
    ev->SetGreyed(use);
    Changed();
}

void TParamFrame::Changed() {
    UpdateCopyHint();
    if (OnChange) OnChange();
}

} // namespace korvane
