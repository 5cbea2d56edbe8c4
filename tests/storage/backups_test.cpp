#include "storage/backups.h"
#include "storage/date_text.h"
#include "storage/file_utils.h"
#include "storage/line_endings.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace korvane;
namespace fs = std::filesystem;

namespace {

void WriteAged(const std::string& path, const std::string& bytes, int minutesAgo) {
    test::WriteBytes(path, bytes);
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::minutes(minutesAgo));
}

} // namespace

TEST(Backups, NamesWithAndWithoutFolder) {
    EXPECT_EQ(BackupFileName("/p/a.pl", ".bak", "", 0), "/p/a.pl");
    EXPECT_EQ(BackupFileName("/p/a.pl", ".bak", "\\\\", 1), "/p/a.pl.bak");
    EXPECT_EQ(BackupFileName("/p/a.pl", ".bak", "/b/", 1), "/b/a.pl.bak");
    EXPECT_EQ(BackupFileName("/p/a.pl", ".bak", "/b", 3), "/b/a.pl.bak.2");
}

TEST(Backups, RotationKeepsCountGenerations) {
    test::TempDir dir;
    const std::string file = dir.File("file");
    WriteAged(file, "old file", 10);
    WriteAged(file + ".bak", "old bak", 20);
    WriteAged(file + ".bak.1", "old bak.1", 30);
    WriteAged(file + ".bak.2", "old bak.2", 40);

    EXPECT_TRUE(MakeBackups(file, ".bak", "", 0, Now(), 3));
    EXPECT_EQ(test::ReadBytes(file + ".bak"), "old file");
    EXPECT_EQ(test::ReadBytes(file + ".bak.1"), "old bak");
    EXPECT_EQ(test::ReadBytes(file + ".bak.2"), "old bak.1");
    EXPECT_FALSE(fs::exists(file + ".bak.3"));
    EXPECT_EQ(test::ReadBytes(file), "old file");
}

TEST(Backups, CountOneAndZero) {
    test::TempDir dir;
    const std::string file = dir.File("file");
    WriteAged(file, "v2", 10);
    WriteAged(file + ".bak", "v1", 20);
    EXPECT_TRUE(MakeBackups(file, ".bak", "", 0, Now(), 0));
    EXPECT_EQ(test::ReadBytes(file + ".bak"), "v1");
    EXPECT_TRUE(MakeBackups(file, ".bak", "", 0, Now(), 1));
    EXPECT_EQ(test::ReadBytes(file + ".bak"), "v2");
    EXPECT_FALSE(fs::exists(file + ".bak.1"));
}

TEST(Backups, PauseSkipsQuickResaves) {
    test::TempDir dir;
    const std::string file = dir.File("file");
    WriteAged(file, "v2", 1);
    WriteAged(file + ".bak", "v1", 2);
    // Both written within five minutes of the last save: the older backup stays.
    EXPECT_TRUE(MakeBackups(file, ".bak", "", 300, Now(), 3));
    EXPECT_EQ(test::ReadBytes(file + ".bak"), "v1");
    EXPECT_FALSE(fs::exists(file + ".bak.1"));
    // With no pause the backups roll.
    EXPECT_TRUE(MakeBackups(file, ".bak", "", 0, Now(), 3));
    EXPECT_EQ(test::ReadBytes(file + ".bak"), "v2");
    EXPECT_EQ(test::ReadBytes(file + ".bak.1"), "v1");
}

TEST(Backups, FolderIsCreatedAndMenuListsWhatExists) {
    test::TempDir dir;
    const std::string file = dir.File("a.pl");
    const std::string folder = dir.File("backups/deep/");
    WriteAged(file, "v1", 30);
    EXPECT_TRUE(MakeBackups(file, ".bak", folder, 0, Now(), 4));
    WriteAged(file, "v2", 20);
    EXPECT_TRUE(MakeBackups(file, ".bak", folder, 0, Now(), 4));
    WriteAged(file, "v3", 10);
    EXPECT_TRUE(MakeBackups(file, ".bak", folder, 0, Now(), 4));
    const std::string base = dir.File("backups/deep/a.pl");
    EXPECT_EQ(test::ReadBytes(base + ".bak.2"), "v1");

    const auto items = BackupMenuItems(file, ".bak", folder, 4);
    ASSERT_EQ(items.size(), 3u); // no copy of the original itself in the folder
    EXPECT_EQ(items[0].Number, 1);
    EXPECT_EQ(items[0].File, base + ".bak");
    TDateTime modified = 0;
    ASSERT_TRUE(FileDateTime(base + ".bak", modified));
    EXPECT_EQ(items[0].Caption, "Most recent backup [" +
                                    FormatDateTime("d-mmm-yyyy \"at\" hh:nn:ss", modified) + "]");
    EXPECT_EQ(items[1].Caption.substr(0, 17), "3rd most recent [");
    EXPECT_EQ(items[2].Caption.substr(0, 17), "4th most recent [");
    EXPECT_EQ(items[2].Number, 3);

    std::vector<std::string> lines;
    EXPECT_EQ(LoadBackup(file, ".bak", folder, lines, 3), leLf); // no line end: a new file's format
    EXPECT_EQ(lines, std::vector<std::string>{"v1"});
    EXPECT_EQ(LoadBackup(file, ".bak", folder, lines, 0), 0); // not there
    EXPECT_TRUE(BackupMenuItems(dir.File("other.pl"), ".bak", folder, 4).empty());
}

TEST(Backups, MenuWithoutFolderStartsWithTheOriginal) {
    test::TempDir dir;
    const std::string file = dir.File("a.pl");
    test::WriteBytes(file, "x");
    test::WriteBytes(file + ".bak.1", "x");
    const auto items = BackupMenuItems(file, ".bak", "", 3);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Caption.substr(0, 21), "Last saved original [");
    EXPECT_EQ(items[0].Number, 0);
    EXPECT_EQ(items[1].Number, 2);
    EXPECT_EQ(BackupMenuItems(file, ".bak", "", 2).size(), 1u); // .bak.1 is beyond count
}
