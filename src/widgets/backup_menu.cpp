#include "widgets/backup_menu.h"

#include "platform/qt_strings.h"
#include "storage/backups.h"

#include <QMenu>

namespace korvane {

void BackupMenu(QMenu* menu, const std::string& file, const std::string& ext,
                const std::string& folder, int count, const std::function<void(int)>& handler,
                const std::string& namePrefix) {
    menu->clear();
    const std::vector<BackupMenuItem> items = BackupMenuItems(file, ext, folder, count);
    menu->setEnabled(!items.empty());
    for (const BackupMenuItem& item : items) {
        // Captions hold file names and times, where "&" is no shortcut mark.
        QString caption = ToQString(item.Caption);
        caption.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* action = menu->addAction(caption);
        action->setObjectName(ToQString(namePrefix + std::to_string(item.Number)));
        const int number = item.Number;
        QObject::connect(action, &QAction::triggered, menu, [handler, number] { handler(number); });
    }
}

} // namespace korvane
