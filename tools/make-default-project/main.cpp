// Writes the factory project that a new program folder starts from. It is made by the
// project code itself, so it always matches the format this build reads.
//
//   korvane-make-default-project <data>/projects/default_original.kvp <unix-seconds>
//
// The file is shipped, so it must come out byte for byte the same wherever and whenever it is
// built. It is written from inside the data folder with the program folder named "./": its
// own name and every path in it are then relative, so nothing of the build machine leaks in
// and the temporary folder and the log follow the copy wherever the program folder is seeded.
// Its dates are the given moment (SOURCE_DATE_EPOCH instead when set), taken as UTC.
#include "exec/console_controller.h"
#include "model/global_settings.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "storage/clock.h"
#include "storage/section_list.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::optional<long long> SecondsFrom(const char* text) {
    long long seconds = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, seconds);
    if (error != std::errc() || stop != end || end == text) return std::nullopt;
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    using namespace korvane;
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " <output .kvp> <unix-seconds>\n";
        return 2;
    }
    const char* sourceDate = std::getenv("SOURCE_DATE_EPOCH");
    const std::optional<long long> seconds =
        SecondsFrom(sourceDate && *sourceDate ? sourceDate : argv[2]);
    if (!seconds) {
        std::cerr << argv[0] << ": not a number of seconds: "
                  << (sourceDate && *sourceDate ? sourceDate : argv[2]) << "\n";
        return 2;
    }
    // Nothing of the person building may leak in: a private settings store.
    const fs::path scratch =
        fs::temp_directory_path() / ("korvane-factory-" + std::to_string(::getpid()));
    int status = 0;
    try {
        const fs::path output = fs::absolute(argv[1]);
        const fs::path home = output.parent_path().parent_path();
        fs::create_directories(output.parent_path());
        fs::create_directories(scratch);
        fs::current_path(home);
        ::setenv("KORVANE_HOME", ".", 1);
        ::setenv("XDG_CONFIG_HOME", scratch.c_str(), 1);
        const TDateTime moment =
            static_cast<double>(*seconds) / SecondsPerDay + UnixEpochAsDateTime;
        SetClockForTesting([moment] { return moment; });

        CreateSectionList();
        {
            TGlobalSettings settings;
            settings.setDefaultProject(ProgramFolder() + "projects/default.kvp");
            TConsoleController console;
            TKorProject project(settings, console);
            project.FileTypes().MakeDefault();
            project.setModified(true);
            const std::string relativeOutput =
                ProgramFolder() + fs::relative(output, home).string();
            fs::remove(relativeOutput);
            project.SaveToFile(relativeOutput);
        }
        FreeSectionList();
    } catch (const std::exception& e) {
        std::cerr << argv[0] << ": " << e.what() << "\n";
        status = 1;
    }
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return status;
}
