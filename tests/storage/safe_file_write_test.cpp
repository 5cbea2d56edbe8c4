#include "storage/errors.h"
#include "storage/safe_file_write.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace korvane;

namespace {

constexpr uid_t Nobody = 65534;

struct stat StatOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

// Runs body in a child process that may not write every folder: as the user nobody when the
// tests run as root, who may write anywhere, else as the user itself. Returns the child's exit
// code: 0 when body returned true, 1 when false, 2 when it threw.
int RunUnprivileged(const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
            ::_exit(3);
        int code = 1;
        try {
            code = body() ? 0 : 1;
        } catch (...) {
            code = 2;
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST(SafeFileWrite, AFileWithOtherNamesStaysOneFileUnderAllOfThem) {
    test::TempDir dir;
    const std::string file = dir.File("index.pl");
    const std::string other = dir.File("linked.pl");
    test::WriteBytes(file, "old text\n");
    ASSERT_EQ(::link(file.c_str(), other.c_str()), 0);
    const ino_t inode = StatOf(file).st_ino;

    ReplaceFileContents(file, "new text\n", 9);
    EXPECT_EQ(test::ReadBytes(file), "new text\n");
    EXPECT_EQ(test::ReadBytes(other), "new text\n") << "the other name sees the saved text";
    EXPECT_EQ(StatOf(file).st_ino, inode);
    EXPECT_EQ(StatOf(file).st_nlink, 2u);

    // Shorter text leaves nothing of the longer one behind.
    ReplaceFileContents(other, "x", 1);
    EXPECT_EQ(test::ReadBytes(file), "x");
}

TEST(SafeFileWrite, TheReplacedFileKeepsItsOwnerGroupAndMode) {
    test::TempDir dir;
    const std::string file = dir.File("shared.cgi");
    test::WriteBytes(file, "old");
    ::chmod(file.c_str(), 0750);
    // Only root may give a file to someone else; the file is then another user's.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(file.c_str(), Nobody, Nobody), 0);
    }
    const struct stat before = StatOf(file);

    ReplaceFileContents(file, "new", 3);
    const struct stat after = StatOf(file);
    EXPECT_EQ(test::ReadBytes(file), "new");
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode & 07777, 0750u);
}

TEST(SafeFileWrite, AWritableFileInAFolderTheUserCannotWriteIsSavedInPlace) {
    test::TempDir dir;
    const std::string folder = dir.File("site");
    const std::string file = folder + "/index.pl";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    test::WriteBytes(file, "print 1;\n");
    ::chmod(dir.Path().c_str(), 0755);
    if (::geteuid() == 0) {
        // Root owns the folder; the file is nobody's, who may write it but not the folder.
        ASSERT_EQ(::chown(file.c_str(), Nobody, Nobody), 0);
        ::chmod(file.c_str(), 0644);
    } else {
        ::chmod(folder.c_str(), 0555);
    }
    const ino_t inode = StatOf(file).st_ino;

    EXPECT_EQ(RunUnprivileged([&] {
                  ReplaceFileContents(file, "print 2;\n", 9);
                  return true;
              }),
              0)
        << "the save failed";
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(test::ReadBytes(file), "print 2;\n");
    EXPECT_EQ(StatOf(file).st_ino, inode);
    if (::geteuid() == 0) {
        EXPECT_EQ(StatOf(file).st_uid, Nobody) << "still the file's owner";
    }

    // A file someone else owns, in the user's group and writable by it, stays theirs.
    if (::geteuid() == 0) {
        const std::string theirs = dir.File("theirs.pl");
        test::WriteBytes(theirs, "old");
        ASSERT_EQ(::chown(theirs.c_str(), 0, Nobody), 0);
        ::chmod(theirs.c_str(), 0664);
        ::chmod(dir.Path().c_str(), 0777);
        EXPECT_EQ(RunUnprivileged([&] {
                      ReplaceFileContents(theirs, "new", 3);
                      return true;
                  }),
                  0);
        ::chmod(dir.Path().c_str(), 0755);
        EXPECT_EQ(test::ReadBytes(theirs), "new");
        EXPECT_EQ(StatOf(theirs).st_uid, 0u);
    }
}

TEST(SafeFileWrite, AnInPlaceWriteThatFailsPartWayPutsTheOldBytesBack) {
    test::TempDir dir;
    const std::string file = dir.File("big.txt");
    const std::string old(1000, 'o');
    test::WriteBytes(file, old);
    ASSERT_EQ(::link(file.c_str(), dir.File("second.txt").c_str()), 0);

    // A file-size limit makes the write fail part-way, as a full disk would.
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 2000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string longer(5000, 'n');
    EXPECT_THROW(ReplaceFileContents(file, longer.data(), longer.size()), handledException);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(test::ReadBytes(file), old);
    EXPECT_EQ(test::ReadBytes(dir.File("second.txt")), old);
}

} // namespace
