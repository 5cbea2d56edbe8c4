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
    test::WriteBytes(LogFile, "earlier\r\n");
    WriteLogLine("first");
    WriteLogLine("");
    WriteLogLine("second");
    EXPECT_EQ(test::ReadBytes(LogFile), "earlier\r\n"
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
