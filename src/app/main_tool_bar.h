#pragma once
// The main window's tool bar: one button per command, image and hint only, from the desktop's
// icon theme or else the program's own pictures. The New button drops down the kinds of new
// file; the Open button drops down the recent files. Commands are found by name when the bar
// is built; a command or menu that does not exist is left out.
class QMainWindow;
class QMenu;
class QToolBar;

namespace korvane {

// The icon of a command: its theme icon, else its picture from data/icons.
void SetCommandIcons(QMainWindow& window);

QToolBar* BuildMainToolBar(QMainWindow& window);

} // namespace korvane
