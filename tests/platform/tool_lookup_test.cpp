#include "platform/tool_lookup.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace korvane;

namespace {

class ToolLookupTest : public ::testing::Test {
protected:
    test::TempDir Dir;
};

} // namespace

TEST_F(ToolLookupTest, ActivePerlPathFindsPerlOnPathThenInTheSystemFolders) {
    TToolLocator tools;
    EXPECT_EQ(tools.ActivePerlPath(), test::FindProgram("perl"));

    // With nothing on PATH, the system folders are searched in order; a folder, a file that
    // cannot be run and a missing folder are passed over.
    test::ScopedEnv noPath("PATH", Dir.File("nothing-here"));
    const std::string first = Dir.File("first"), second = Dir.File("second");
    std::filesystem::create_directories(first + "/perl");
    std::filesystem::create_directories(Dir.File("plain"));
    std::filesystem::create_directories(second);
    test::WriteBytes(Dir.File("plain/perl"), "not a program");
    test::WriteBytes(second + "/perl", "#!/bin/sh\n");
    std::filesystem::permissions(second + "/perl", std::filesystem::perms::owner_all);
    tools.SystemToolFolders = {Dir.File("missing"), first, Dir.File("plain"), second};
    EXPECT_EQ(tools.ActivePerlPath(), second + "/perl");
    tools.SystemToolFolders = {first};
    EXPECT_EQ(tools.ActivePerlPath(), "");
}
