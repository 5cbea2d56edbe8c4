#include "platform/program_folder.h"
#include "platform/settings_store.h"
#include "temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace korvane;
namespace fs = std::filesystem;

TEST(ProgramFolder, ComesFromKorvaneHomeThenXdgDataHome) {
    test::TempDir dir;
    {
        test::ScopedEnv home("KORVANE_HOME", dir.File("kh"));
        EXPECT_EQ(ProgramFolder(), dir.File("kh") + "/");
    }
    test::ScopedEnv noHome("KORVANE_HOME", "");
    test::ScopedEnv data("XDG_DATA_HOME", dir.File("xdg"));
    EXPECT_EQ(ProgramFolder(), dir.File("xdg") + "/korvane/");
}

TEST(ProgramFolder, SeedingCopiesDataOnceAndKeepsTheUsersFiles) {
    test::TempDir dir;
    test::ScopedEnv home("KORVANE_HOME", dir.File("home"));
    ASSERT_TRUE(SeedProgramFolder());
    EXPECT_TRUE(fs::is_directory(dir.File("home/temp")));
    EXPECT_TRUE(fs::is_directory(dir.File("home/projects")));

    // Whatever data this build ships is now there, and a user's edit survives a second seed.
    for (const std::string& data : ProgramDataFolders()) {
        for (const auto& entry : fs::recursive_directory_iterator(data)) {
            if (!entry.is_regular_file()) continue;
            const fs::path copy = fs::path(dir.File("home")) / fs::relative(entry.path(), data);
            EXPECT_TRUE(fs::exists(copy)) << copy;
        }
    }
    test::WriteBytes(dir.File("home/projects/default_original.kvp"), "mine");
    fs::remove(dir.File("home/projects/default.kvp"));
    ASSERT_TRUE(SeedProgramFolder());
    EXPECT_EQ(test::ReadBytes(dir.File("home/projects/default_original.kvp")), "mine");
    EXPECT_EQ(test::ReadBytes(dir.File("home/projects/default.kvp")), "mine")
        << "the working default project is made from the factory one when missing";
}

TEST(ProgramFolder, TheProgramsOwnCodeFollowsTheProgram) {
    test::TempDir dir;
    test::ScopedEnv home("KORVANE_HOME", dir.File("home"));
    ASSERT_TRUE(SeedProgramFolder());
    const std::string library = dir.File("home/debug/perl5db.pl");
    ASSERT_TRUE(fs::exists(library)) << "this build ships the debugger's library";
    const std::string shipped = test::ReadBytes(library);
    // What an older version left behind.
    test::WriteBytes(library, "# the library of an older version\n");
    test::WriteBytes(dir.File("home/codetmpl.kvt"), "the user's templates");
    ASSERT_TRUE(SeedProgramFolder());
    EXPECT_EQ(test::ReadBytes(library), shipped);
    EXPECT_EQ(test::ReadBytes(dir.File("home/codetmpl.kvt")), "the user's templates");
}

TEST(SettingsStore, LivesUnderXdgConfigHome) {
    test::TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.File("cfg"));
    EXPECT_EQ(SettingsFilePath(), dir.File("cfg") + "/Brannoq/Korvane.conf");
    {
        auto settings = OpenUserSettings();
        settings->setValue("Defaults/LastFilePath", "/x");
    }
    EXPECT_NE(test::ReadBytes(dir.File("cfg/Brannoq/Korvane.conf")).find("LastFilePath=/x"),
              std::string::npos);
}
