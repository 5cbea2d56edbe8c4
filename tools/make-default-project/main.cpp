// Writes the factory project that a new program folder starts from. It is made by the
// project code itself, so it always matches the format this build reads.
//
//   korvane-make-default-project <data>/projects/default_original.kvp
//
// Paths inside are stored relative to the file, so the program folder is taken to be the
// folder above "projects": the temporary folder and the log then follow the copy wherever the
// program folder is seeded.
#include "exec/console_controller.h"
#include "model/global_settings.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "storage/section_list.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    using namespace korvane;
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <output .kvp>\n";
        return 2;
    }
    try {
        const fs::path output = fs::absolute(argv[1]);
        const fs::path home = output.parent_path().parent_path();
        fs::create_directories(output.parent_path());
        // Nothing of the person building may leak in: a private program folder and settings.
        const fs::path scratch = fs::temp_directory_path() / ("korvane-factory-" + std::to_string(::getpid()));
        fs::create_directories(scratch);
        ::setenv("KORVANE_HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", scratch.c_str(), 1);

        CreateSectionList();
        {
            TGlobalSettings settings;
            settings.setDefaultProject(ProgramFolder() + "projects/default.kvp");
            TConsoleController console;
            TKorProject project(settings, console);
            project.FileTypes().MakeDefault();
            project.setModified(true);
            fs::remove(output);
            project.SaveToFile(output.string());
        }
        FreeSectionList();
        fs::remove_all(scratch);
    } catch (const std::exception& e) {
        std::cerr << argv[0] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
