#include "app/recovery_dlg.h"

#include "platform/qt_strings.h"
#include "storage/date_text.h"
#include "widgets/help_topic.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

std::string TRecoveryDlg::QuestionText(const TRecoveryRecord& record) {
    std::string text = "Korvane ended without saving this text: it was stopped, or it crashed.\n\n";
    text += record.File.empty() ? "Temporary page: " + record.WorkingFile : "File: " + record.File;
    if (!record.Project.empty()) text += "\nProject: " + record.Project;
    text += "\nKept: " + FormatDateTime("d-mmm-yyyy \"at\" hh:nn:ss", record.Written);
    return text + "\n\nRecover the text into its page, compare it with the file, or discard it?";
}

TRecoveryChoice TRecoveryDlg::Ask(const TRecoveryRecord& record, QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Korvane - Unsaved Text Kept"),
                    ToQString(QuestionText(record)), QMessageBox::NoButton, parent);
    SetHelpTopic(box, "Contents/reference/recovery");
    QPushButton* recover = box.addButton(QStringLiteral("&Recover"), QMessageBox::AcceptRole);
    QPushButton* compare = box.addButton(QStringLiteral("&Compare..."), QMessageBox::ActionRole);
    QPushButton* discard = box.addButton(QStringLiteral("&Discard"), QMessageBox::DestructiveRole);
    QPushButton* later = box.addButton(QStringLiteral("&Later"), QMessageBox::RejectRole);
    box.setDefaultButton(recover);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == recover) return TRecoveryChoice::Recover;
    if (box.clickedButton() == compare) return TRecoveryChoice::Compare;
    if (box.clickedButton() == discard) return TRecoveryChoice::Discard;
    return TRecoveryChoice::Later;
}

void TRecoveryDlg::ShowDifferences(const TRecoveryRecord& record, const std::string& differences,
                                   QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(
        ToQString("Unsaved text and " + (record.File.empty() ? record.WorkingFile : record.File)));
    auto* layout = new QVBoxLayout(&dialog);
    auto* view = new QPlainTextEdit(&dialog);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setPlainText(
        ToQString(differences.empty() ? "The text is the same as the file's." : differences));
    layout->addWidget(view);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(760, 520);
    dialog.exec();
}

} // namespace korvane
