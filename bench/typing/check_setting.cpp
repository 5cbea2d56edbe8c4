// Switches the syntax check while typing on or off in the default project of the program
// folder ($KORVANE_HOME), seeding the folder first, so that bench/typing.sh can type into the
// same file with the check on and off and nothing else different.
//   bench_typing_check_setting on|off
#include "exec/console_controller.h"
#include "model/global_settings.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "storage/section_list.h"

#include <cstring>
#include <exception>
#include <iostream>
#include <stdexcept>

int main(int argc, char** argv) {
    using namespace korvane;
    if (argc != 2 || (std::strcmp(argv[1], "on") != 0 && std::strcmp(argv[1], "off") != 0)) {
        std::cerr << "usage: " << argv[0] << " on|off\n";
        return 2;
    }
    try {
        if (!SeedProgramFolder()) throw std::runtime_error("cannot make " + ProgramFolder());
        const std::string file = ProgramFolder() + "projects/default.kvp";
        CreateSectionList();
        {
            TGlobalSettings settings;
            TConsoleController console;
            TKorProject project(settings, console);
            project.LoadFromFile(file);
            project.setBackgroundSyntaxCheck(std::strcmp(argv[1], "on") == 0);
            project.setModified(true);
            project.SaveToFile(file);
        }
        FreeSectionList();
    } catch (const std::exception& e) {
        std::cerr << argv[0] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
