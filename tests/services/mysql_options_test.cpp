// The client options and program paths the controller builds, and what its setters say.
#include "exec/console_controller.h"
#include "model/project_link.h"
#include "scripted_prompt.h"
#include "services/mysql_controller.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace korvane::test {
namespace {

class CountingLink : public TProjectLink {
public:
    int Marks = 0;
    std::string Name;
    void MarkModified() override { ++Marks; }
    const std::string& FileName() const override { return Name; }
    std::string RelativePath(const std::string& path) const override { return path; }
    std::string AbsolutePath(const std::string& path) const override { return path; }
    void RelativePathToStream(TSectionList&, const std::string&) const override {}
    std::string AbsolutePathFromStream(TSectionList&) const override { return {}; }
};

class MySqlOptionsTest : public ::testing::Test {
protected:
    TempDir Dir;
    ScopedEnv Home{"HOME", Dir.Path().string()};
    ScriptedPrompt Prompt;
    CountingLink Link;
    TConsoleController Console;
    TMySqlController Sql{Link, Console, [this] { return Dir.File("temp/"); }};
};

TEST_F(MySqlOptionsTest, ParamsShowTheConnectionUserAndPasswordButCommandsCarryNoPassword) {
    Sql.setRootPassword("rootpw");
    Sql.setConnectionType(0);
    EXPECT_EQ(Sql.Params(), " --protocol=socket -uroot -prootpw");
    Sql.setConnectionType(1);
    EXPECT_EQ(Sql.Params(), " --protocol=tcp -uroot -prootpw");
    Sql.setConnectionType(2);
    Sql.setUserLogin("web");
    EXPECT_EQ(Sql.Params(), " -uweb") << "the user's own password, which is not set";
    Sql.setUserPassword("webpw");
    Sql.setHtmlOutput(true);
    EXPECT_EQ(Sql.MySqlExeParams(), "\"/mysql\" -uweb -pwebpw -H");
    EXPECT_EQ(Sql.ClientCommand().Text(), "\"/mysql\" -uweb -H");
    std::vector<std::string> env{"MYSQL_PWD=old", "PATH=/bin"};
    Sql.AddPasswordTo(env);
    EXPECT_EQ(env, (std::vector<std::string>{"MYSQL_PWD=webpw", "PATH=/bin"}));
}

TEST_F(MySqlOptionsTest, ProgramsAreFoundWithOrWithoutATrailingSeparatorAndServerInSbin) {
    const std::string bin = Dir.File("inst/bin");
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(Dir.File("inst/sbin"));
    WriteBytes(bin + "/mariadb", "");
    WriteBytes(bin + "/mariadb-admin", "");
    WriteBytes(Dir.File("inst/sbin/mariadbd"), "");
    for (const std::string& path : {bin, bin + "/"}) {
        Sql.setBinPath(path);
        EXPECT_EQ(Sql.MySqlExe(), bin + "/mariadb") << "mysql is missing: the MariaDB name";
        EXPECT_EQ(Sql.MySqlAdminExe(), bin + "/mariadb-admin");
        EXPECT_EQ(Sql.ServerExeName(), Dir.File("inst/sbin/mariadbd"));
    }
    WriteBytes(bin + "/mysql", "");
    EXPECT_EQ(Sql.MySqlExe(), bin + "/mysql");
}

TEST_F(MySqlOptionsTest, SettersMarkRealChangesAndWarnOfPasswordsTheFileCannotKeep) {
    Sql.setUserLogin("Web");
    Sql.setUserLogin("Web");
    EXPECT_EQ(Link.Marks, 1) << "the same text is no change";
    // The server tells logins and passwords apart by case, so a change of case is kept.
    Sql.setUserLogin("WEB");
    EXPECT_EQ(Link.Marks, 2);
    EXPECT_EQ(Sql.UserLogin(), "WEB");
    Sql.setRootPassword("secret");
    Sql.setRootPassword("Secret");
    EXPECT_EQ(Sql.RootPassword(), "Secret");
    EXPECT_TRUE(Prompt.Records().empty());
    Sql.setUserPassword("p\xC3\xA4ss");
    ASSERT_EQ(Prompt.Records().size(), 1u);
    EXPECT_EQ(Prompt.Records()[0].Kind, PromptKind::Warning);
    EXPECT_EQ(Sql.UserPassword(), "p\xC3\xA4ss") << "kept as given for this session";
}

} // namespace
} // namespace korvane::test
