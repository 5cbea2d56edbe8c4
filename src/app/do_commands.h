#pragma once
// The "&Do" menu's browser commands: view the page on the web site after uploading it, and
// open the page's local address in the desktop's browser.
#include <functional>
#include <string_view>

class QMenu;
class QWidget;

namespace korvane {

class TCommandUpdates;
class TEditorPage;
class TPublishCommands;

// Whether the desktop's browser can show a file of this name straight from the disk, or
// through the local web server while it runs. Extensions compare case-sensitively, as the
// web server maps them.
bool ExecutesLocally(std::string_view fileName, bool webServerOn);

void AddBrowserCommands(QWidget& window, QMenu& menu, TCommandUpdates& updates,
                        TPublishCommands& publish, std::function<TEditorPage*()> currentPage);

} // namespace korvane
