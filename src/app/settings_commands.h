#pragma once
// "&Properties..." (F11): the settings dialog on the open project. The project commands place
// it in the Project menu.
namespace korvane {

class TMainForm;

void AddSettingsCommands(TMainForm& window);
// Shows the settings dialog modally; afterwards the commands are refreshed and a modified
// project locked as the default one is saved.
void ShowProjectProperties(TMainForm& window);

} // namespace korvane
