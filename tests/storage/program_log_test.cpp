#include "storage/date_text.h"
#include "storage/program_log.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace korvane;

namespace {

class ProgramLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetClockForTesting([] { return EncodeDateTime(2026, 12, 8, 11, 25, 15); });
    }
    void TearDown() override {
        SetClockForTesting({});
        LogFile.clear();
    }
    test::TempDir Dir;
};

} // namespace

TEST_F(ProgramLogTest, LinesAreStampedAndAppended) {
    LogFile = Dir.File("korvane.log");
    test::WriteBytes(LogFile, "Mon, 07 Dec 2026 09:00:00 : earlier\r\n");
    WriteLogLine("first");
    WriteLogLine("");
    WriteLogLine("second");
    EXPECT_EQ(test::ReadBytes(LogFile), "Mon, 07 Dec 2026 09:00:00 : earlier\r\n"
                                        "Tue, 08 Dec 2026 11:25:15 : first\r\n"
                                        "\r\n"
                                        "Tue, 08 Dec 2026 11:25:15 : second\r\n");
    ClearLogFile();
    EXPECT_FALSE(std::filesystem::exists(LogFile));
    ClearLogFile(); // already gone
    WriteLogLine("fresh");
    EXPECT_EQ(test::ReadBytes(LogFile), "Tue, 08 Dec 2026 11:25:15 : fresh\r\n");
}

TEST_F(ProgramLogTest, NoFileMeansNothingWritten) {
    const auto before = std::distance(std::filesystem::directory_iterator(Dir.Path()), {});
    LogFile.clear();
    WriteLogLine("lost");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), before);
}

TEST_F(ProgramLogTest, UnwritableFileLosesTheLineQuietly) {
    LogFile = Dir.Path().string(); // a folder cannot be opened for appending
    EXPECT_NO_THROW(WriteLogLine("lost"));
    test::WriteBytes(Dir.File("plain"), "");
    LogFile = Dir.File("plain/under/a/file.log");
    EXPECT_NO_THROW(WriteLogLine("lost"));
    EXPECT_EQ(test::ReadBytes(Dir.File("plain")), "");
}

TEST_F(ProgramLogTest, OnlyFilesThatAreLogsAreDeleted) {
    struct Case {
        const char* Bytes;
        bool IsLog;
    };
    const Case cases[] = {
        {"", true},
        {"Tue, 08 Dec 2026 11:25:15 : **NEW LOG STARTED\r\n", true},
        {"\r\nWed, 09 Dec 2026 01:02:03 GMT : line\r\n", true},
        {"\r\n\r\n", true},
        {"#!/bin/sh\nexport PATH\n", false},
        {"Tue, 08 Dec 2026 11:25 : cut short\r\n", false},
        {"[core]\n\trepositoryformatversion = 0\n", false},
    };
    LogFile = Dir.File("named.log");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Bytes);
        test::WriteBytes(LogFile, c.Bytes);
        EXPECT_EQ(IsLogFileOrAbsent(LogFile), c.IsLog);
        EXPECT_EQ(ClearLogFile(), c.IsLog);
        EXPECT_EQ(std::filesystem::exists(LogFile), !c.IsLog);
    }
    std::filesystem::remove(LogFile);
    EXPECT_TRUE(IsLogFileOrAbsent(LogFile));
    EXPECT_TRUE(ClearLogFile());
}
