#include "app/mod_install_dlg.h"

#include "exec/console_controller.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "widgets/help_topic.h"
#include "widgets/user_feedback.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace korvane {

TModInstallDlg::TModInstallDlg(QWidget* parent, TKorProject& project, TConsoleController& console)
    : QDialog(parent), Project(project),
      Installer([&project] { return project.ModuleInstallerSettings(); }, console) {
    setObjectName(QStringLiteral("ModInstallDlg"));
    setWindowTitle(QStringLiteral("Perl Module Installer"));
    SetHelpTopic(*this, "Contents/reference/install_mods");
    auto* layout = new QVBoxLayout(this);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Module Name")));
    Module = new QLineEdit;
    Module->setObjectName(QStringLiteral("Module"));
    nameRow->addWidget(Module, 1);
    layout->addLayout(nameRow);

    ModList = new QListWidget;
    ModList->setObjectName(QStringLiteral("ModList"));
    // The entries are laid out in columns of characters.
    ModList->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ModList->setUniformItemSizes(true);
    layout->addWidget(ModList, 1);

    const auto button = [this](const char* name, const char* text) {
        auto* made = new QPushButton(QString::fromLatin1(text));
        made->setObjectName(QString::fromLatin1(name));
        made->setAutoDefault(false);
        return made;
    };
    SearchCPAN = button("SearchCPAN", "&Search CPAN");
    SearchLocalBtn = button("SearchLocalBtn", "&Search Local");
    InstallBtn = button("InstallBtn", "&Install");
    RemoveBtn = button("RemoveBtn", "&Remove");
    UpgradeBtn = button("UpgradeBtn", "&Upgrade");
    ForceUpgrade = new QCheckBox(QStringLiteral("Force"));
    ForceUpgrade->setObjectName(QStringLiteral("ForceUpgrade"));
    DoneBtn = button("DoneBtn", "&Done");
    auto* buttons = new QHBoxLayout;
    for (QWidget* widget :
         {static_cast<QWidget*>(SearchCPAN), static_cast<QWidget*>(SearchLocalBtn),
          static_cast<QWidget*>(InstallBtn), static_cast<QWidget*>(RemoveBtn),
          static_cast<QWidget*>(UpgradeBtn), static_cast<QWidget*>(ForceUpgrade)})
        buttons->addWidget(widget);
    buttons->addStretch();
    buttons->addWidget(DoneBtn);
    layout->addLayout(buttons);

    connect(SearchCPAN, &QPushButton::clicked, this, &TModInstallDlg::SearchCPANClick);
    connect(SearchLocalBtn, &QPushButton::clicked, this, &TModInstallDlg::SearchLocalBtnClick);
    connect(InstallBtn, &QPushButton::clicked, this, &TModInstallDlg::InstallBtnClick);
    connect(RemoveBtn, &QPushButton::clicked, this, &TModInstallDlg::RemoveBtnClick);
    connect(UpgradeBtn, &QPushButton::clicked, this, &TModInstallDlg::UpgradeBtnClick);
    connect(DoneBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ModList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { SelectEntry(ModList->row(item)); });
    connect(ModList, &QListWidget::currentRowChanged, this, &TModInstallDlg::SelectEntry);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this,
            [this] { Project.Host().ShowHelpTopic("Contents/reference/install_mods"); });
    resize(720, 420);
}

void TModInstallDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (Module->text().isEmpty()) Module->setText(ToQString(Project.InstallModuleName()));
}

template <typename Action> void TModInstallDlg::Busy(Action action) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ReportingErrors(action);
    QApplication::restoreOverrideCursor();
}

std::string TModInstallDlg::ModuleText() const {
    return ToStdString(Module->text());
}

std::string TModInstallDlg::SelectedEntry() const {
    return ToStdString(ModList->toolTip());
}

void TModInstallDlg::SelectEntry(int row) {
    if (QListWidgetItem* item = ModList->item(row)) ModList->setToolTip(item->text());
}

void TModInstallDlg::ShowEntries(const std::vector<std::string>& entries) {
    ModList->clear();
    for (const std::string& entry : entries)
        ModList->addItem(ToQString(entry));
}

void TModInstallDlg::SearchCPANClick() {
    ModList->setToolTip(QString());
    Busy([this] {
        std::string module = ModuleText();
        Project.setInstallModuleName(module);
        std::vector<std::string> entries;
        const bool found = Installer.SearchCPAN(module, entries);
        Module->setText(ToQString(module));
        if (found) ShowEntries(entries);
    });
}

void TModInstallDlg::SearchLocalBtnClick() {
    ModList->setToolTip(QString());
    Busy([this] {
        std::string module = ModuleText();
        Project.setInstallModuleName(module);
        std::vector<std::string> entries;
        const bool found = Installer.SearchLocal(module, entries);
        Module->setText(ToQString(module));
        if (found) ShowEntries(entries);
    });
}

void TModInstallDlg::InstallBtnClick() {
    Busy([this] { Installer.Install(SelectedEntry()); });
}

void TModInstallDlg::RemoveBtnClick() {
    Busy([this] { Installer.Remove(SelectedEntry()); });
}

void TModInstallDlg::UpgradeBtnClick() {
    Busy([this] { Installer.Upgrade(ModuleText(), SelectedEntry(), ForceUpgrade->isChecked()); });
}

void TModInstallDlg::OpenOn(const std::string& module) {
    Module->setText(ToQString(module));
    show();
    raise();
    activateWindow();
    SearchCPANClick();
    for (int row = 0; row < ModList->count(); ++row) {
        if (ModuleOfEntry(ToStdString(ModList->item(row)->text())) == module) {
            ModList->setCurrentRow(row);
            break;
        }
    }
}

} // namespace korvane
