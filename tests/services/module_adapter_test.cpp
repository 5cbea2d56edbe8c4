// Korvane's module manager adapter on its own: searches of a private mirror's index, the
// installed-module query over @INC, removal through a .packlist, and a mirror out of reach.
// (Installs through cpanm are exercised with the installer.)
#include "module_mirror.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace korvane {
namespace {

using test::ModuleMirror;
using test::ReadBytes;
using test::WriteBytes;

// A loopback port that nothing listens on: bound once for a number, then let go.
int ClosedLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

class ModuleAdapter : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ModuleMirror::ToolsInstalled()) GTEST_SKIP() << "perl and cpanm are not installed";
    }
    ModuleMirror Mirror;
};

TEST_F(ModuleAdapter, SearchListsIndexEntriesMatchingTextOrWildcards) {
    Mirror.Publish({"Foo::Bar=1.00", "Foo::Baz=2.5", "Other::Thing=0.3"});
    struct Case {
        const char* Arguments;
        std::vector<std::string> Lines;
    };
    const std::string heading = "Searching in Active Repositories";
    const Case cases[] = {
        {"search foo",
         {heading, "   1. Foo::Bar [1.00] Foo-Bar-1.00", "   2. Foo::Baz [2.5] Foo-Baz-2.5"}},
        {"search *::Ba?",
         {heading, "   1. Foo::Bar [1.00] Foo-Bar-1.00", "   2. Foo::Baz [2.5] Foo-Baz-2.5"}},
        {"search OTHER::thing", {heading, "   1. Other::Thing [0.3] Other-Thing-0.3"}},
        {"search *",
         {heading, "   1. Foo::Bar [1.00] Foo-Bar-1.00", "   2. Foo::Baz [2.5] Foo-Baz-2.5",
          "   3. Other::Thing [0.3] Other-Thing-0.3"}},
        {"search Nothing::Like::It", {}},
        {"set case 0", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Arguments);
        const test::TAdapterRun run = Mirror.RunAdapter(c.Arguments);
        EXPECT_EQ(run.ExitCode, 0);
        EXPECT_EQ(run.Lines, c.Lines);
    }
}

TEST_F(ModuleAdapter, MirrorOutOfReachGivesTheConnectionErrorForEveryCommandThatNeedsIt) {
    const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/";
    for (const std::string& mirror : {closed, "file://" + Mirror.File("no-such-mirror/")}) {
        Mirror.SetMirrorUrl(mirror);
        for (const char* arguments :
             {"search Foo", "install Foo::Bar", "verify --upgrade Foo::Bar"}) {
            SCOPED_TRACE(mirror + " " + arguments);
            const test::TAdapterRun run = Mirror.RunAdapter(arguments);
            ASSERT_FALSE(run.Lines.empty());
            EXPECT_EQ(run.Lines.front().rfind("Error connecting to '" + mirror + "'", 0), 0u)
                << run.Lines.front();
            EXPECT_NE(run.ExitCode, 0);
        }
    }
}

TEST_F(ModuleAdapter, QueryAndRemoveWorkOnTheModulesPerlFinds) {
    // An installed distribution as an installer leaves it: the module, and its .packlist in the
    // architecture folder, which Perl puts in @INC beside the library folder. The name space is
    // one no Debian package uses (Moo, which lintian brings, has a FakeMetaClass).
    const std::string lib = Mirror.LocalLib() + "/lib/perl5";
    const test::TAdapterRun archName =
        Mirror.RunPerl({"-MConfig", "-e", "print $Config{archname}"});
    ASSERT_EQ(archName.Lines.size(), 1u);
    const std::string arch = lib + "/" + archName.Lines.front();
    std::filesystem::create_directories(lib + "/KorvaneFake");
    std::filesystem::create_directories(arch + "/auto/KorvaneFake/Mod");
    WriteBytes(lib + "/KorvaneFake/Mod.pm",
               "package KorvaneFake::Mod;\nour $VERSION = '3.2';\n1;\n");
    WriteBytes(lib + "/KorvaneFake/Lonely.pm",
               "package KorvaneFake::Lonely;\nour $VERSION = '0.9';\n1;\n");
    WriteBytes(arch + "/InArch.pm", "package InArch;\n1;\n");
    WriteBytes(arch + "/auto/KorvaneFake/Mod/.packlist", lib + "/KorvaneFake/Mod.pm\n");

    test::TAdapterRun run = Mirror.RunAdapter("query KorvaneFake");
    EXPECT_EQ(run.Lines, (std::vector<std::string>{
                             run.Lines.empty() ? "" : run.Lines[0],
                             "Installed modules matching 'KorvaneFake':",
                             "  1. KorvaneFake::Lonely [0.9] " + lib + "/KorvaneFake/Lonely.pm",
                             "  2. KorvaneFake::Mod [3.2] " + lib + "/KorvaneFake/Mod.pm"}));
    EXPECT_EQ(run.Lines.front().rfind("Querying target 1 (Perl 5.", 0), 0u);
    // Folders of @INC inside other folders of @INC are not taken for name spaces.
    run = Mirror.RunAdapter("query *");
    EXPECT_TRUE(std::any_of(run.Lines.begin(), run.Lines.end(), [](const std::string& line) {
        return line.find(" InArch [] ") != std::string::npos;
    }));
    for (const std::string& line : run.Lines)
        EXPECT_EQ(line.find(archName.Lines.front() + "::"), std::string::npos) << line;
    run = Mirror.RunAdapter("query No::Such::Module");
    ASSERT_EQ(run.Lines.size(), 2u);
    EXPECT_EQ(run.Lines[1], "No matches for 'No::Such::Module'; see 'help query'.");

    run = Mirror.RunAdapter("remove KorvaneFake::Lonely");
    EXPECT_NE(run.ExitCode, 0);
    EXPECT_EQ(run.Lines.front().rfind("Failed to remove KorvaneFake::Lonely", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(lib + "/KorvaneFake/Lonely.pm"));

    run = Mirror.RunAdapter("remove KorvaneFake::Mod");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Lines, std::vector<std::string>{"Successfully removed KorvaneFake::Mod"});
    EXPECT_FALSE(std::filesystem::exists(lib + "/KorvaneFake/Mod.pm"));
    EXPECT_FALSE(std::filesystem::exists(arch + "/auto/KorvaneFake"));
    EXPECT_TRUE(std::filesystem::exists(lib + "/KorvaneFake/Lonely.pm"));
    run = Mirror.RunAdapter("remove KorvaneFake::Mod");
    EXPECT_EQ(run.Lines,
              std::vector<std::string>{"Package 'KorvaneFake::Mod' has not been installed by PPM"});
}

} // namespace
} // namespace korvane
