// Opening documents beneath the document folder: links that leave it, and files kept open
// across requests while nothing on their path changes.
#include "net/http_doc_root.h"
#include "net/http_stream.h"

#include "net_test_support.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace korvane {
namespace {

namespace fs = std::filesystem;
using TKind = THttpDocRoot::TKind;

std::string Contents(THttpFileStream& stream) {
    std::string bytes(static_cast<size_t>(stream.Size()), '\0');
    stream.Seek(0);
    bytes.resize(stream.Read(bytes.data(), bytes.size()));
    return bytes;
}

class HttpDocRootTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Dir.File("www/sub"));
        fs::create_directories(Dir.File("outside"));
        test::WriteBytes(Dir.File("www/a.txt"), "inside a");
        test::WriteBytes(Dir.File("www/sub/b.txt"), "inside b");
        test::WriteBytes(Dir.File("secret.txt"), "top secret");
        test::WriteBytes(Dir.File("outside/b.txt"), "secret b");
    }
    std::string Www(const std::string& relative) const { return Dir.File("www/" + relative); }
    // What a read of the document gives: its bytes, or the kind when it is not a file.
    std::string Read(THttpDocRoot& root, const std::string& relative) {
        THttpDocRoot::TOpened opened = root.Open(Www(relative), true);
        switch (opened.Kind) {
        case TKind::File:
            return Contents(*opened.Stream);
        case TKind::Directory:
            return "<directory>";
        case TKind::Missing:
            return "<missing>";
        case TKind::Undecided:
            return "<undecided>";
        }
        return {};
    }

    test::TempDir Dir;
};

TEST_F(HttpDocRootTest, LinksLeavingTheFolderAreNeverOpened) {
    fs::create_symlink("../secret.txt", Www("rel-out"));
    fs::create_symlink(Dir.File("secret.txt"), Www("abs-out"));
    fs::create_directory_symlink("..", Www("up"));
    fs::create_directory_symlink("../../outside", Www("sub/away"));
    fs::create_symlink("../../secret.txt", Www("sub/deep-out"));
    fs::create_symlink("a.txt", Www("rel-in"));
    fs::create_directory_symlink("sub", Www("sub-link"));
    THttpDocRoot root(Dir.File("www"));

    for (const char* path : {"rel-out", "abs-out", "up/secret.txt", "sub/away/b.txt",
                             "sub/deep-out", "sub-link/deep-out"})
        EXPECT_EQ(Read(root, path), "<undecided>")
            << path << " must be left to the full resolution";
    EXPECT_EQ(Read(root, "rel-in"), "inside a") << "a link that stays inside is followed";
    EXPECT_EQ(Read(root, "sub-link/b.txt"), "inside b");
    EXPECT_EQ(Read(root, "a.txt"), "inside a");
    EXPECT_EQ(Read(root, "sub"), "<directory>");
    EXPECT_EQ(Read(root, "nothere.txt"), "<missing>");
    EXPECT_EQ(Read(root, "a.txt/x"), "<missing>");
    EXPECT_EQ(root.Open(Dir.File("secret.txt"), true).Kind, TKind::Undecided)
        << "not below the folder";
    EXPECT_EQ(root.Open(Www("rel-out"), false).Kind, TKind::File)
        << "without the check links go anywhere";
    EXPECT_EQ(root.RealRoot(), fs::canonical(Dir.File("www")).string());
}

TEST_F(HttpDocRootTest, AKeptFileIsReusedOnlyWhileNothingOnItsPathChanges) {
    THttpDocRoot root(Dir.File("www"));
    THttpDocRoot::TOpened first = root.Open(Www("a.txt"), true);
    THttpDocRoot::TOpened second = root.Open(Www("a.txt"), true);
    ASSERT_EQ(second.Kind, TKind::File);
    EXPECT_EQ(first.Stream->FileDescriptor(), second.Stream->FileDescriptor()) << "opened once";

    // Rewritten in place, longer: the size told to the client must be the new one.
    test::WriteBytes(Www("a.txt"), "inside a, rewritten");
    EXPECT_EQ(Read(root, "a.txt"), "inside a, rewritten");
    // Replaced by a new file under the same name.
    test::WriteBytes(Www("a.new"), "replaced");
    fs::rename(Www("a.new"), Www("a.txt"));
    EXPECT_EQ(Read(root, "a.txt"), "replaced");
    // Written through another name in another folder.
    EXPECT_EQ(Read(root, "sub/b.txt"), "inside b");
    fs::create_hard_link(Www("sub/b.txt"), Dir.File("outside/hard.txt"));
    EXPECT_EQ(Read(root, "sub/b.txt"), "inside b");
    test::WriteBytes(Dir.File("outside/hard.txt"), "changed elsewhere");
    EXPECT_EQ(Read(root, "sub/b.txt"), "changed elsewhere");

    // A served file, then a folder on its path, turned into links that lead out.
    EXPECT_EQ(Read(root, "a.txt"), "replaced");
    fs::remove(Www("a.txt"));
    fs::create_symlink("../secret.txt", Www("a.txt"));
    EXPECT_EQ(Read(root, "a.txt"), "<undecided>");
    EXPECT_EQ(Read(root, "sub/b.txt"), "changed elsewhere");
    fs::rename(Www("sub"), Dir.File("sub-moved"));
    fs::create_directory_symlink("../outside", Www("sub"));
    EXPECT_EQ(Read(root, "sub/b.txt"), "<undecided>");
    fs::remove(Www("sub"));
    EXPECT_EQ(Read(root, "sub/b.txt"), "<missing>");
}

TEST_F(HttpDocRootTest, AFolderReplacedUnderTheSameNameIsServedAfresh) {
    THttpDocRoot root(Dir.File("www"));
    EXPECT_EQ(Read(root, "a.txt"), "inside a");
    fs::rename(Dir.File("www"), Dir.File("www-old"));
    fs::create_directories(Dir.File("www"));
    test::WriteBytes(Www("a.txt"), "new folder");
    EXPECT_TRUE(test::WaitFor([&] { return Read(root, "a.txt") == "new folder"; }));
    EXPECT_EQ(root.RealRoot(), fs::canonical(Dir.File("www")).string());
}

} // namespace
} // namespace korvane
