#include "app/module_commands.h"

#include "app/command.h"
#include "app/mod_install_dlg.h"
#include "exec/error_filter.h"
#include "platform/qt_strings.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>

namespace korvane {

TModuleCommands::TModuleCommands(QWidget& window, TKorProject& project, TConsoleController& console,
                                 QListWidget& messages)
    : Window(window), Project(project), Console(console), Messages(messages) {
    // Messages naming a missing module say what a double-click does.
    connect(Messages.model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                for (int row = first; row <= last; ++row)
                    if (const std::string module = MissingModule(row); !module.empty())
                        Messages.item(row)->setToolTip(
                            ToQString("Double-click to install " + module));
            });
    Messages.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&Messages, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const int row = Messages.row(Messages.itemAt(at));
        if (const std::unique_ptr<QMenu> menu = MessageMenu(row))
            menu->exec(Messages.viewport()->mapToGlobal(at));
    });
}

// The dialog goes before the objects it works on.
TModuleCommands::~TModuleCommands() {
    InstallerWindow.reset();
}

void TModuleCommands::AddToolsMenuItems(QMenu& tools) {
    QAction* open = MakeCommand(Window, {"ModInstallAction",
                                         "Tools",
                                         "Module Installer...",
                                         {},
                                         "Search, install, remove and upgrade Perl modules"});
    tools.addAction(open);
    connect(open, &QAction::triggered, this, [this] {
        TModInstallDlg& dialog = Installer();
        dialog.show();
        dialog.raise();
        dialog.activateWindow();
    });
}

std::string TModuleCommands::MissingModule(int row) const {
    const QListWidgetItem* item = Messages.item(row);
    return item ? MissingModuleOf(ToStdString(item->text())) : std::string();
}

bool TModuleCommands::OfferInstall(int row) {
    const std::string module = MissingModule(row);
    if (module.empty()) return false;
    Installer().OpenOn(module);
    return true;
}

std::unique_ptr<QMenu> TModuleCommands::MessageMenu(int row) {
    const std::string module = MissingModule(row);
    if (module.empty()) return nullptr;
    auto menu = std::make_unique<QMenu>();
    QAction* install = menu->addAction(ToQString("Install " + module));
    connect(install, &QAction::triggered, this, [this, row] { OfferInstall(row); });
    return menu;
}

TModInstallDlg& TModuleCommands::Installer() {
    if (!InstallerWindow)
        InstallerWindow = std::make_unique<TModInstallDlg>(&Window, Project, Console);
    return *InstallerWindow;
}

} // namespace korvane
