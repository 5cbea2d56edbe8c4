#pragma once
// "&Properties..." (F11) in the Project menu: the settings dialog on the open project.
class QMenu;

namespace korvane {

class TMainForm;

void AddSettingsCommands(TMainForm& window, QMenu& projectMenu);
// Shows the settings dialog modally; afterwards the commands are refreshed and a modified
// project locked as the default one is saved.
void ShowProjectProperties(TMainForm& window);

} // namespace korvane
