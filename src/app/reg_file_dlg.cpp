#include "app/reg_file_dlg.h"
#include "widgets/help_topic.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {
namespace {
// Captions in the order of FileAssocExtensions.
const char* const Captions[7] = {
    "Korvane Project Files (.kvp)",   "Perl Source Files (.pl)",
    "Perl Module Source Files (.pm)", "Perl CGI Script Source Files (.cgi)",
    "MySQL script files (.sql)",      "DOS Batch script files (.bat)",
    "PHP script files (.php)",
};
} // namespace

TRegFileDlg::TRegFileDlg(const TFileAssociations::FileAssocDialogState& state, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Korvane File Associations"));
    SetHelpTopic(*this, "Contents/reference/file_assoc");
    auto* layout = new QVBoxLayout(this);
    Text = new QLabel(state.Forced
                          ? QStringLiteral("Check any associations you wish to change...")
                          : QStringLiteral("Korvane has detected that one or more of the following "
                                           "filetypes have changed association. Check any "
                                           "associations you wish to change..."),
                      this);
    Text->setWordWrap(true);
    layout->addWidget(Text);
    for (int i = 0; i < 7; ++i) {
        Boxes[i] = new QCheckBox(QString::fromLatin1(Captions[i]), this);
        Boxes[i]->setChecked(state.Ticked[i]);
        if (state.Changed[i]) Boxes[i]->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
        layout->addWidget(Boxes[i]);
    }
    DoNotCheck = new QCheckBox(QStringLiteral("Do not check for changes in the future"), this);
    DoNotCheck->setChecked(state.DoNotCheck);
    layout->addWidget(DoNotCheck);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

TFileAssociations::FileAssocChoice TRegFileDlg::Choice() const {
    TFileAssociations::FileAssocChoice choice;
    choice.Accepted = result() == QDialog::Accepted;
    for (int i = 0; i < 7; ++i)
        choice.Ticked[i] = Boxes[i]->isChecked();
    choice.DoNotCheck = DoNotCheck->isChecked();
    return choice;
}

TFileAssociations::FileAssocChoice
TRegFileDlg::Ask(const TFileAssociations::FileAssocDialogState& state, QWidget* parent) {
    TRegFileDlg dialog(state, parent);
    dialog.exec();
    return dialog.Choice();
}

} // namespace korvane
