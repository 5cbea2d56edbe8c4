#pragma once
// Shows a recent list as menu items: the entries and the clear items in a submenu, and a copy
// of the entries in an optional mirror menu (the Open button's drop-down).
#include "model/mru_list.h"

#include <QString>

#include <functional>
#include <string>

class QMenu;

namespace korvane {

class TMRUMenu {
public:
    // name: the submenu's item name, which the items' names are made from.
    TMRUMenu(TMRUList& list, QMenu& submenu, QMenu* mirror, QString name,
             std::function<void(const std::string&)> choose);

    // Builds the items again from the list (reads whether the files exist).
    void Rebuild();
    // Leaves the submenu empty and disabled, as while the project is locked.
    void Empty();

private:
    void Choose(int number);

    TMRUList& List;
    QMenu& Submenu;
    QMenu* Mirror;
    QString Name;
    std::function<void(const std::string&)> OnChoose;
};

} // namespace korvane
