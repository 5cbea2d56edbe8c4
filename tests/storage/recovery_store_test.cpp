#include "storage/errors.h"
#include "storage/recovery_store.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace korvane;

namespace {

namespace fs = std::filesystem;

TRecoveryRecord Record(const std::string& file, const std::string& text, TDateTime written) {
    return {file, file.empty() ? "/p/temp/tmp1.pl" : file, "/p/site.kvp", written, text};
}

// Starts a child that keeps copies in folder as another running program would, and waits
// until they are there; the child then sleeps until it is killed.
pid_t OtherProgramWithCopies(const std::string& folder, int copies) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        TRecoveryStore store(folder);
        for (int key = 1; key <= copies; ++key)
            store.Save(key, Record("/p/page" + std::to_string(key) + ".pl",
                                   "text " + std::to_string(key), 46000 + key));
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(ready[1], &byte, 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    [[maybe_unused]] const ssize_t got = ::read(ready[0], &byte, 1);
    ::close(ready[0]);
    return child;
}

TEST(RecoveryStore, RecordsRoundTripWhateverTheyHold) {
    const std::string binary("a\0b\r\n\xff\n\n", 8);
    const TRecoveryRecord records[] = {
        Record("/home/u/My Site/index.pl", "print 1;\n", 46000.25),
        Record("", "", 0),
        {"/odd\nname: 100%.pl", "/odd\nname: 100%.pl", "", 1.5, binary},
    };
    for (const TRecoveryRecord& record : records) {
        TRecoveryRecord back;
        ASSERT_TRUE(ParseRecoveryFile(RecoveryFileText(record), back)) << record.File;
        EXPECT_EQ(back.File, record.File);
        EXPECT_EQ(back.WorkingFile, record.WorkingFile);
        EXPECT_EQ(back.Project, record.Project);
        EXPECT_DOUBLE_EQ(back.Written, record.Written);
        EXPECT_EQ(back.Text, record.Text);
    }
    // A copy cut short, or anything else, is no copy.
    const std::string whole = RecoveryFileText(records[0]);
    TRecoveryRecord ignored;
    EXPECT_FALSE(ParseRecoveryFile(whole.substr(0, whole.size() - 1), ignored));
    EXPECT_FALSE(ParseRecoveryFile(whole + "x", ignored));
    EXPECT_FALSE(ParseRecoveryFile("print 1;\n", ignored));
}

TEST(RecoveryStore, CopiesArePrivateAndGoWhenRemovedOrReplaced) {
    test::TempDir dir;
    const std::string folder = dir.File("recovery/");
    TRecoveryStore store(folder);
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    store.Save(7, Record("/p/a.pl", "first", 1));
    store.Save(7, Record("/p/a.pl", "second", 2));
    EXPECT_TRUE(store.Has(7));
    int copies = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".kvr") continue;
        ++copies;
        ASSERT_EQ(::stat(entry.path().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_NE(test::ReadBytes(entry.path()).find("\n\nsecond"), std::string::npos);
    }
    EXPECT_EQ(copies, 1);
    EXPECT_TRUE(store.LeftBehind().empty()) << "the program's own copies are not left behind";
    store.Remove(7);
    EXPECT_FALSE(store.Has(7));
}

TEST(RecoveryStore, OnlyCopiesOfProgramsThatHaveEndedAreLeftBehind) {
    test::TempDir dir;
    const std::string folder = dir.File("recovery/");
    const pid_t running = OtherProgramWithCopies(folder, 2);
    ASSERT_GT(running, 0);
    {
        TRecoveryStore store(folder);
        EXPECT_TRUE(store.LeftBehind().empty()) << "the other program still runs";
    }
    // Killed outright, it can remove nothing: the next start finds both copies.
    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);
    TRecoveryStore next(folder);
    const auto left = next.LeftBehind();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].Record.File, "/p/page1.pl") << "oldest first";
    EXPECT_EQ(left[1].Record.Text, "text 2");
    next.Discard(left[0]);
    EXPECT_FALSE(fs::exists(left[0].Path));
    EXPECT_EQ(next.LeftBehind().size(), 1u);
    next.Discard(left[1]);
    EXPECT_TRUE(next.LeftBehind().empty());
    int others = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        others += entry.path().filename().string().rfind(std::to_string(running) + "_", 0) == 0;
    EXPECT_EQ(others, 0) << "nothing of the ended session stays";
}

TEST(RecoveryStore, AFolderThatCannotBeMadeIsReported) {
    test::TempDir dir;
    test::WriteBytes(dir.File("file"), "");
    EXPECT_THROW(TRecoveryStore(dir.File("file/recovery/")), handledException);
}

} // namespace
