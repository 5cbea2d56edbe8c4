// Reads hostile bytes as a project file into a project, then saves what was read.
#include "exec/console_controller.h"
#include "model/global_settings.h"
#include "project/kor_project.h"
#include "storage/byte_stream.h"
#include "storage/errors.h"
#include "storage/section_list.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace korvane;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A private program folder and settings store: nothing of the person fuzzing is touched.
    const auto home =
        std::filesystem::temp_directory_path() / ("korvane-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home / "temp");
    ::setenv("KORVANE_HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    CreateSectionList();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TGlobalSettings settings;
    static TConsoleController console;
    TKorProject project(settings, console);
    TMemoryStream file(data, size);
    try {
        TSectionListUse use(SectionList(), file, true);
        project.LoadFromStream(SectionList());
    } catch (const handledException&) {
        // Refused or damaged: the project keeps what it read and must still save.
    }
    TMemoryStream out;
    try {
        TSectionListUse use(SectionList(), out, false);
        project.SaveToStream(SectionList());
    } catch (const handledException&) {
        // A value too long to store is refused, not cut.
    }
    return 0;
}
