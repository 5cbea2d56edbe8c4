#pragma once
// The main window's module commands: "Perl Module Installer..." in the Tools menu, and the
// offer to install a module a run or syntax check could not find: a message "Can't locate
// Foo/Bar.pm in @INC" opens the installer on Foo::Bar with a double-click or from its
// context menu.
#include <QObject>

#include <memory>
#include <string>

class QListWidget;
class QMenu;
class QWidget;

namespace korvane {

class TConsoleController;
class TKorProject;
class TModInstallDlg;

class TModuleCommands : public QObject {
public:
    TModuleCommands(QWidget& window, TKorProject& project, TConsoleController& console,
                    QListWidget& messages);
    ~TModuleCommands() override;

    void AddToolsMenuItems(QMenu& tools);
    // The module the message in row names as missing; "" when it names none.
    std::string MissingModule(int row) const;
    // Opens the installer on the module the message names; false when it names none.
    bool OfferInstall(int row);
    // The message list's context menu for row (owned by the caller).
    std::unique_ptr<QMenu> MessageMenu(int row);
    // Made on first use.
    TModInstallDlg& Installer();

private:
    QWidget& Window;
    TKorProject& Project;
    TConsoleController& Console;
    QListWidget& Messages;
    std::unique_ptr<TModInstallDlg> InstallerWindow;
};

} // namespace korvane
