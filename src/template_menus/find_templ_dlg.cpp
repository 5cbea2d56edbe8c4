#include "template_menus/find_templ_dlg.h"

#include "platform/qt_strings.h"
#include "template_menus/code_templ_dlg.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvane {

bool AskTemplateSearch(QWidget* parent, TTemplateSearch& search) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("FindTemplateDlg"));
    dialog.setWindowTitle(QStringLiteral("Find Code Template..."));
    auto* alias = new QLineEdit(&dialog);
    alias->setObjectName(QStringLiteral("Alias"));
    auto* description = new QLineEdit(&dialog);
    description->setObjectName(QStringLiteral("Description"));
    // The search is by one or the other: typing in one box empties the other.
    QObject::connect(alias, &QLineEdit::textEdited, description, &QLineEdit::clear);
    QObject::connect(description, &QLineEdit::textEdited, alias, &QLineEdit::clear);
    if (!search.Alias.empty())
        alias->setText(ToQString(search.Alias));
    else
        description->setText(ToQString(search.Description));

    auto* scope = new QGroupBox(QStringLiteral("Search Scope"), &dialog);
    auto* all = new QRadioButton(QStringLiteral("All"), scope);
    auto* fromSelected = new QRadioButton(QStringLiteral("From Selected Item"), scope);
    all->setChecked(true);
    auto* scopeLayout = new QVBoxLayout(scope);
    scopeLayout->addWidget(all);
    scopeLayout->addWidget(fromSelected);
    auto* exact = new QCheckBox(QStringLiteral("Exact Match"), &dialog);
    exact->setChecked(search.Exact);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Alias "), alias);
    form->addRow(QStringLiteral("Description "), description);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(scope);
    layout->addWidget(exact);
    layout->addWidget(buttons);

    const bool ok = dialog.exec() == QDialog::Accepted;
    search.Alias = ToStdString(alias->text());
    search.Description = ToStdString(description->text());
    search.Exact = exact->isChecked();
    search.FromSelected = fromSelected->isChecked();
    return ok;
}

} // namespace korvane
