// Go to Definition's choices: the name a caret stands on, which definition answers it, and the
// files looked through.
#include "editor/sub_definition.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace korvane::test {
namespace {

TEST(SubDefinition, TheNameAtTheCaret) {
    struct Case {
        std::string Line;
        std::string CaretBefore; // the caret stands just before the first hit of this
        std::optional<TSubReference> Expected;
    };
    const Case cases[] = {
        {"my $x = helper(1);", "elper", TSubReference{"helper", ""}},
        {"my $x = helper(1);", "(1", TSubReference{"helper", ""}}, // just after the name
        {"&helper;", "helper", TSubReference{"helper", ""}},
        {"Foo::Bar::helper($x);", "Bar", TSubReference{"helper", "Foo::Bar"}},
        {"Foo::Bar::helper($x);", "elper", TSubReference{"helper", "Foo::Bar"}},
        {"$obj->method(2);", "thod", TSubReference{"method", ""}},
        {"$obj -> method;", "method", TSubReference{"method", ""}},
        {"Foo::Bar->new(a => 1);", "new", TSubReference{"new", "Foo::Bar"}},
        {"__PACKAGE__->make;", "make", TSubReference{"make", "__PACKAGE__"}},
        {"$self->SUPER::init(@_);", "init", TSubReference{"init", ""}},
        {"my $helper = 1;", "helper", std::nullopt},
        {"print @list;", "list", std::nullopt},
        {"x = 42;", "42", std::nullopt},
        {"a  + b", "+ b", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line + " at " + c.CaretBefore);
        const size_t at = c.Line.find(c.CaretBefore);
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(SubReferenceAt(c.Line, at), c.Expected);
    }
}

TEST(SubDefinition, ThePackageAtALineFollowsBlocks) {
    const auto items = ScanPerlOutline("sub a {}\npackage P;\nsub b {}\npackage Q {\nsub c {}\n}\n"
                                       "sub d {}\n");
    EXPECT_EQ(PackageAtLine(items, 1), "main");
    EXPECT_EQ(PackageAtLine(items, 3), "P");
    EXPECT_EQ(PackageAtLine(items, 5), "Q");
    EXPECT_EQ(PackageAtLine(items, 7), "P");
}

TEST(SubDefinition, TheBestDefinitionAmongTheSources) {
    // Source 0 is the current page, in package Caller.
    const std::vector<std::string> sources = {
        "package Caller;\nsub local_only {}\nsub shared {}\npackage Other;\nsub shared {}\n"
        "sub later;\n",
        "package Lib::A;\nsub shared {}\nsub later {}\nsub only_a {}\n",
        "package Lib::B;\nsub shared {}\nsub only_b;\nsub only_b {}\n",
    };
    int asked = 0;
    const auto itemsOf = [&](size_t source) {
        ++asked;
        return ScanPerlOutline(sources[source]);
    };
    struct Case {
        TSubReference Reference;
        std::string Caller;
        std::optional<TDefinitionHit> Expected;
        int Asked; // sources read before the answer
    };
    const Case cases[] = {
        {{"local_only", ""}, "Caller", TDefinitionHit{0, 2}, 1},
        {{"shared", ""}, "Caller", TDefinitionHit{0, 3}, 1},
        {{"shared", ""}, "Other", TDefinitionHit{0, 5}, 1},
        {{"shared", "Lib::B"}, "Caller", TDefinitionHit{2, 2}, 3},
        {{"shared", "Other"}, "Caller", TDefinitionHit{0, 5}, 1},
        {{"shared", "__PACKAGE__"}, "Other", TDefinitionHit{0, 5}, 1},
        // The page's declaration has no body: the one with a body comes first.
        {{"later", ""}, "Other", TDefinitionHit{0, 6}, 1},
        {{"later", "Other"}, "Other", TDefinitionHit{0, 6}, 1},
        {{"only_a", ""}, "Caller", TDefinitionHit{1, 4}, 2},
        {{"only_b", "Lib::B"}, "Caller", TDefinitionHit{2, 4}, 3},
        // Qualified with a package that defines none: the first of another package's.
        {{"shared", "Nowhere"}, "Caller", TDefinitionHit{0, 3}, 3},
        // ... but not from a file that has a sub of that name in another package.
        {{"only_b", "Nowhere"}, "Caller", std::nullopt, 3},
        {{"missing", ""}, "Caller", std::nullopt, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Reference.Qualifier + "::" + c.Reference.Name + " from " + c.Caller);
        asked = 0;
        // Sources 0 and 1 are open pages, 2 a file.
        const auto hit = FindDefinition(c.Reference, c.Caller, sources.size(), 2, itemsOf);
        ASSERT_EQ(hit.has_value(), c.Expected.has_value());
        if (hit) {
            EXPECT_EQ(hit->Source, c.Expected->Source);
            EXPECT_EQ(hit->Line, c.Expected->Line);
        }
        EXPECT_EQ(asked, c.Asked);
    }
}

TEST(SubDefinition, FilesSearchedNearestFirstWithinBounds) {
    TempDir dir;
    namespace fs = std::filesystem;
    for (const char* folder : {"lib/Foo", "lib/Deep/a/b/c", ".git", "other"})
        fs::create_directories(dir.Path() / folder);
    for (const char* file : {"script.pl", "run.cgi", "notes.txt", "lib/Foo/Bar.pm",
                             "lib/Deep/a/b/c/Far.pm", ".git/hook.pl", "other/Bar.pm"})
        WriteBytes(dir.File(file), "sub x {}\n");
    const std::string root = dir.Path().string();
    const auto relative = [&](const std::vector<std::string>& files) {
        std::vector<std::string> names;
        for (const std::string& file : files)
            names.push_back(fs::relative(file, root).string());
        return names;
    };
    EXPECT_EQ(relative(PerlFilesToSearch({root}, "")),
              (std::vector<std::string>{"run.cgi", "script.pl", "other/Bar.pm", "lib/Foo/Bar.pm",
                                        "lib/Deep/a/b/c/Far.pm"}));
    // The qualifier's own file first; a folder named twice is walked once.
    EXPECT_EQ(relative(PerlFilesToSearch({root, root + "/lib"}, "Foo::Bar")).front(),
              "lib/Foo/Bar.pm");
    EXPECT_EQ(PerlFilesToSearch({root, root + "/"}, "").size(), 5u);
    EXPECT_EQ(relative(PerlFilesToSearch({root}, "", 2)),
              (std::vector<std::string>{"run.cgi", "script.pl"}));
    EXPECT_EQ(PerlFilesToSearch({root}, "", 100, 2).size(), 4u) << "Far.pm is too deep";
    EXPECT_TRUE(PerlFilesToSearch({root + "/missing"}, "").empty());

    // A file is scanned only when it names the sub, and not when it is too large.
    WriteBytes(dir.File("lib/Foo/Bar.pm"), "package Foo::Bar;\nsub wanted {}\n");
    EXPECT_EQ(FileOutlineNaming(dir.File("lib/Foo/Bar.pm"), "wanted").size(), 2u);
    EXPECT_TRUE(FileOutlineNaming(dir.File("lib/Foo/Bar.pm"), "absent").empty());
    EXPECT_TRUE(FileOutlineNaming(dir.File("lib/Foo/Bar.pm"), "wanted", 10).empty());
}

} // namespace
} // namespace korvane::test
