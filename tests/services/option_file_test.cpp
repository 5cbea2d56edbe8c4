// The option file keeps everything but the one value it is asked to change.
#include "services/option_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace korvane::test {
namespace {

TEST(OptionFile, SettingAValueChangesThatLineAlone) {
    struct Case {
        const char* Name;
        std::string Before;
        std::string After;
    };
    const Case cases[] = {
        {"the key's line is rewritten, comments and includes stay",
         "# mine\n[client]\npassword=x\n\n[mysqld]\n; old\nbasedir = /opt/old/\n!include "
         "/etc/x.cnf\n",
         "# mine\n[client]\npassword=x\n\n[mysqld]\n; old\nbasedir=/usr/\n!include /etc/x.cnf\n"},
        {"the same key in another group is not the one",
         "[client]\nbasedir=/c/\n[mysqld]\nport=1\n\n[mysql]\nx=1\n",
         "[client]\nbasedir=/c/\n[mysqld]\nport=1\nbasedir=/usr/\n\n[mysql]\nx=1\n"},
        {"CR LF lines keep their ends; a last line without one gets it before the new line",
         "[mysqld]\r\nport=1", "[mysqld]\r\nport=1\r\nbasedir=/usr/\r\n"},
        {"a missing group is appended after a blank line", "[client]\nuser=me",
         "[client]\nuser=me\n\n[mysqld]\nbasedir=/usr/\n"},
        {"names ignore case", "[MySQLd]\nBASEDIR=/x\n", "[MySQLd]\nbasedir=/usr/\n"},
        {"an empty file gets the group", "", "[mysqld]\nbasedir=/usr/\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(WithOptionValue(c.Before, "mysqld", "basedir", "/usr/"), c.After);
        EXPECT_EQ(OptionValue(c.After, "mysqld", "basedir"), "/usr/");
    }
    EXPECT_EQ(OptionValue("[mysqld]\nbasedir=\"/a b/\"\n", "mysqld", "basedir"), "/a b/");
    EXPECT_EQ(OptionValue("[client]\nbasedir=/a\n", "mysqld", "basedir"), std::nullopt);
    EXPECT_EQ(OptionValue("[mysqld]\nlog-error = /e\n", "mysqld", "log_error"), "/e")
        << "- and _ are one in option names";
}

TEST(OptionFile, TheFileIsWrittenPrivatelyAndOnlyWhenTheValueChanges) {
    TempDir dir;
    const std::string path = dir.File(".my.cnf");
    const std::string before = "# keep me\n[client]\npassword=secret\n";
    WriteBytes(path, before);
    ::chmod(path.c_str(), 0644);

    EXPECT_TRUE(SetOptionFileValue(path, "mysqld", "basedir", "/usr/"));
    EXPECT_EQ(ReadBytes(path), before + "\n[mysqld]\nbasedir=/usr/\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the file may hold passwords";

    // Nothing to change: the very same file stays, not a rewritten copy.
    const ino_t inode = info.st_ino;
    EXPECT_FALSE(SetOptionFileValue(path, "mysqld", "basedir", "/usr/"));
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_ino, inode);

    // A file that is not there is made, private too.
    const std::string fresh = dir.File("new.cnf");
    EXPECT_TRUE(SetOptionFileValue(fresh, "mysqld", "basedir", "/usr/"));
    ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // No half-written copy is left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              2);
}

} // namespace
} // namespace korvane::test
