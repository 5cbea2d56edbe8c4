#include "storage/file_utils.h"

#include "scripted_prompt.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace korvane;
namespace fs = std::filesystem;

namespace {
void MakeReadOnly(const std::string& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}
} // namespace

TEST(FileUtils, ReadOnlyFollowsTheOwnerWriteBit) {
    test::TempDir dir;
    const std::string file = dir.File("a.pl");
    EXPECT_FALSE(IsReadOnly(file)); // missing
    test::WriteBytes(file, "x");
    EXPECT_FALSE(IsReadOnly(file));
    MakeReadOnly(file);
    EXPECT_TRUE(IsReadOnly(file));
    EXPECT_TRUE(ClearReadOnly(file));
    EXPECT_FALSE(IsReadOnly(file));
}

TEST(FileUtils, EnsureWritableAsksOnlyForReadOnlyFiles) {
    test::TempDir dir;
    const std::string file = dir.File("a.pl");
    test::WriteBytes(file, "x");
    test::ScriptedPrompt prompt;
    EXPECT_TRUE(EnsureWritable(file));
    EXPECT_TRUE(EnsureWritable(dir.File("new.pl")));
    EXPECT_TRUE(prompt.Records().empty());

    MakeReadOnly(file);
    prompt.QueueAnswer(pbNo);
    EXPECT_FALSE(EnsureWritable(file));
    EXPECT_TRUE(IsReadOnly(file));
    prompt.QueueAnswer(pbYes);
    EXPECT_TRUE(EnsureWritable(file));
    EXPECT_FALSE(IsReadOnly(file));
    ASSERT_EQ(prompt.Records().size(), 2u);
    EXPECT_EQ(prompt.Records()[0].Kind, PromptKind::Warning);
    EXPECT_EQ(prompt.Records()[0].Buttons, pbYes | pbNo);
    EXPECT_EQ(prompt.Records()[0].Text,
              "File " + file + " is read only. Save over as writable file?");
}

TEST(FileUtils, ChangedSinceComparesModificationTimes) {
    test::TempDir dir;
    const std::string file = dir.File("a.pl");
    EXPECT_FALSE(FileChangedSince(file, 0));
    test::WriteBytes(file, "x");
    TDateTime modified = 0;
    ASSERT_TRUE(FileDateTime(file, modified));
    EXPECT_LT(std::abs(modified - Now()), 60 / SecondsPerDay);
    EXPECT_FALSE(FileChangedSince(file, modified));
    EXPECT_TRUE(FileChangedSince(file, modified - 1.0 / SecondsPerDay));
}

TEST(FileUtils, AttributesText) {
    test::TempDir dir;
    EXPECT_EQ(AttributesText(dir.File("missing")), "Could not retrieve attributes");
    const std::string plain = dir.File("plain.txt");
    test::WriteBytes(plain, "x");
    EXPECT_EQ(AttributesText(plain), "None");
    const std::string hidden = dir.File(".hidden");
    test::WriteBytes(hidden, "x");
    MakeReadOnly(hidden);
    EXPECT_EQ(AttributesText(hidden), "Read Only / Hidden");
    const std::string pipe = dir.File("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    EXPECT_EQ(AttributesText(pipe), "System File");
}

TEST(FileUtils, CopyFileOverKeepsContentAndTime) {
    test::TempDir dir;
    const std::string source = dir.File("a.pl");
    const std::string target = dir.File("b.pl");
    test::WriteBytes(source, std::string("new\0bytes", 9));
    test::WriteBytes(target, "old old old");
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(5);
    fs::last_write_time(source, past);
    EXPECT_TRUE(CopyFileOver(source, target));
    EXPECT_EQ(test::ReadBytes(target), std::string("new\0bytes", 9));
    EXPECT_EQ(fs::last_write_time(target), past);
    EXPECT_FALSE(CopyFileOver(dir.File("missing"), target));
    EXPECT_FALSE(CopyFileOver(source, dir.File("no/such/folder/x")));
    EXPECT_EQ(test::ReadBytes(target), std::string("new\0bytes", 9));
}
