#include "widgets/qt_prompt.h"

#include "platform/qt_strings.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace korvane {
namespace {

struct ButtonMap {
    PromptButton Ours;
    QMessageBox::StandardButton Qt;
};

constexpr ButtonMap ButtonTable[] = {
    {pbOK, QMessageBox::Ok},
    {pbCancel, QMessageBox::Cancel},
    {pbYes, QMessageBox::Yes},
    {pbNo, QMessageBox::No},
    {pbAbort, QMessageBox::Abort},
    {pbRetry, QMessageBox::Retry},
    {pbIgnore, QMessageBox::Ignore},
    {pbAll, QMessageBox::YesToAll},
    {pbYesToAll, QMessageBox::YesToAll},
    {pbNoToAll, QMessageBox::NoToAll},
};

QMessageBox::Icon IconFor(PromptKind kind) {
    switch (kind) {
    case PromptKind::Error:
        return QMessageBox::Critical;
    case PromptKind::Warning:
        return QMessageBox::Warning;
    case PromptKind::Confirmation:
        return QMessageBox::Question;
    case PromptKind::Information:
        return QMessageBox::Information;
    case PromptKind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

QString CaptionFor(PromptKind kind, const std::string& caption) {
    if (!caption.empty()) return ToQString(caption);
    switch (kind) {
    case PromptKind::Error:
        return QStringLiteral("Error");
    case PromptKind::Warning:
        return QStringLiteral("Warning");
    case PromptKind::Confirmation:
        return QStringLiteral("Confirm");
    case PromptKind::Information:
        return QStringLiteral("Information");
    case PromptKind::Plain:
        break;
    }
    return QApplication::applicationName();
}

} // namespace

PromptButton QtPrompt::Ask(PromptKind kind, const std::string& text, PromptButtons buttons,
                           const std::string& caption, PromptButton defaultButton) {
    if (Silenced) return pbCancel;
    return RunBox(kind, text, buttons, caption, defaultButton, nullptr, nullptr);
}

PromptButton QtPrompt::AskTicked(PromptKind kind, const std::string& text, PromptButtons buttons,
                                 const std::string& tickText, bool& ticked,
                                 const std::string& caption) {
    if (Silenced) return pbCancel;
    return RunBox(kind, text, buttons, caption, pbNone, &tickText, &ticked);
}

PromptButton QtPrompt::RunBox(PromptKind kind, const std::string& text, PromptButtons buttons,
                              const std::string& caption, PromptButton defaultButton,
                              const std::string* tickText, bool* ticked) {
    QMessageBox::StandardButtons qtButtons;
    for (const auto& entry : ButtonTable)
        if (buttons & entry.Ours) qtButtons |= entry.Qt;
    QMessageBox box(IconFor(kind), CaptionFor(kind, caption), ToQString(text), qtButtons, Parent);
    QCheckBox* tick = nullptr;
    if (tickText) {
        tick = new QCheckBox(ToQString(*tickText), &box);
        tick->setChecked(*ticked);
        box.setCheckBox(tick);
    }
    for (const auto& entry : ButtonTable)
        if (entry.Ours == defaultButton && (buttons & defaultButton))
            box.setDefaultButton(entry.Qt);
    const int chosen = box.exec();
    if (tick) *ticked = tick->isChecked();
    for (const auto& entry : ButtonTable)
        if (chosen == entry.Qt && (buttons & entry.Ours)) return entry.Ours;
    return pbCancel;
}

void QtPrompt::Inform(PromptKind kind, const std::string& text, const std::string& caption) {
    if (Silenced) return;
    QMessageBox box(IconFor(kind), CaptionFor(kind, caption), ToQString(text), QMessageBox::Ok,
                    Parent);
    box.exec();
}

std::string QtPrompt::ChooseFile(const FileChoice& choice) {
    QString start = ToQString(choice.Folder);
    if (!choice.FileName.empty())
        start =
            start.isEmpty() ? ToQString(choice.FileName) : start + "/" + ToQString(choice.FileName);
    QFileDialog dialog(Parent, ToQString(choice.Caption), start, ToQString(choice.Filter));
    dialog.setAcceptMode(choice.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(choice.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!choice.DefaultExt.empty()) dialog.setDefaultSuffix(ToQString(choice.DefaultExt));
    if (!choice.ConfirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (const QStringList filters = dialog.nameFilters();
        choice.FilterIndex > 0 && choice.FilterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(choice.FilterIndex - 1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return ToStdString(dialog.selectedFiles().first());
}

bool QtPrompt::EnterText(const std::string& caption, const std::string& label, std::string& value) {
    bool ok = false;
    const QString entered = QInputDialog::getText(Parent, ToQString(caption), ToQString(label),
                                                  QLineEdit::Normal, ToQString(value), &ok);
    if (ok) value = ToStdString(entered);
    return ok;
}

} // namespace korvane
