#pragma once
// The program folder: the per-user, writable folder that holds projects/, temp/, help/,
// debug/, the template file and the session log. $KORVANE_HOME when set, otherwise
// $XDG_DATA_HOME/korvane/ (default ~/.local/share/korvane/).
#include <string>
#include <vector>

namespace korvane {

// With a trailing "/". Read from the environment on every call, so tests can move it.
std::string ProgramFolder();

// Folders holding the read-only data installed with the program: the installed
// share/korvane beside the executable's prefix when there is one, otherwise the folders of
// the build tree this program was made in (made by build tools first, then the sources).
std::vector<std::string> ProgramDataFolders();

// Full path of one of the program's loadable modules (file name "name.so"): installed in
// lib/korvane/modules beside the executable's prefix, otherwise where the build tree puts them.
// Empty when neither has it.
std::string ProgramModuleFile(const std::string& name);

// Copies into the program folder every data file it does not have yet, and the program's own
// code (debug/, tools/) where the copy differs from this version's; creates temp/, and
// makes projects/default.kvp from projects/default_original.kvp when it is missing.
// Returns false when the program folder cannot be created.
bool SeedProgramFolder();

// Full path of the running executable.
std::string ProgramFile();

} // namespace korvane
