// The script file an SQL run hands to the client.
#include "services/sql_script.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace korvane::test {
namespace {

TEST(SqlScript, HeaderAndFooterBlocksFrameTheTextToRun) {
    const std::string blocks = "#korvane-header-start\r\nUSE db;\r\n#KORVANE-HEADER-END\r\n"
                               "SELECT 1;\r\n"
                               "/*KORVANE-FOOTER-START/*\nSELECT 'f';\n/*KORVANE-FOOTER-END/*\n";
    struct Case {
        const char* Name;
        std::string Text, Body, Script;
    };
    const Case cases[] = {
        {"no markers: the text alone", "SELECT 1;\nSELECT 2;", "SELECT 1;\nSELECT 2;",
         "SELECT 1;\nSELECT 2;\n"},
        {"both blocks around the whole text (markers ignore case)", blocks, blocks,
         "USE db;\n" + blocks + "SELECT 'f';\n"},
        {"both blocks around a selection", blocks, "SELECT 1;",
         "USE db;\nSELECT 1;\nSELECT 'f';\n"},
        {"an end marker right after the start makes no block",
         "#KORVANE-HEADER-START\n#KORVANE-HEADER-END\nX;\n", "X;\n", "X;\n"},
        {"an end before the start makes no block",
         "#KORVANE-HEADER-END\nA;\n#KORVANE-HEADER-START\nB;\n", "B;\n", "B;\n"},
        {"markers are whole lines", " #KORVANE-HEADER-START\nA;\n#KORVANE-HEADER-END\n", "Z;",
         "Z;\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(SqlScriptText(c.Text, c.Body), c.Script);
    }
}

TEST(SqlScript, TheTempFileIsPrivateAndALinkPlantedInItsPlaceIsNotFollowed) {
    TempDir dir;
    const std::string victim = dir.File("victim.txt");
    WriteBytes(victim, "keep");
    std::filesystem::create_directories(dir.File("temp"));
    std::filesystem::create_symlink(victim, dir.File("temp/mysqlrun.sql"));

    const std::string path = WritePrivateTempFile(dir.File("temp/"), "mysqlrun.sql", "SELECT 1;\n");
    EXPECT_EQ(path, dir.File("temp/mysqlrun.sql"));
    EXPECT_EQ(ReadBytes(victim), "keep");
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    EXPECT_EQ(ReadBytes(path), "SELECT 1;\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

} // namespace
} // namespace korvane::test
