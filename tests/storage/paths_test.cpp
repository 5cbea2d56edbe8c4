#include "storage/paths.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace korvane;

TEST(Paths, RelativePathWindowsStyle) {
    EXPECT_EQ(RelativePath("C:\\proj", "C:\\proj\\cgi\\a.pl"), "cgi\\a.pl");
    EXPECT_EQ(RelativePath("C:\\proj\\", "C:\\proj\\cgi\\a.pl"), "cgi\\a.pl");
    EXPECT_EQ(RelativePath("C:\\proj", "C:\\other\\b.pl"), "..\\other\\b.pl");
    EXPECT_EQ(RelativePath("C:\\proj", "D:\\x.pl"), "D:\\x.pl");
    EXPECT_EQ(RelativePath("C:\\proj", "C:\\project2\\x.pl"), "..\\project2\\x.pl");
    EXPECT_EQ(RelativePath("c:\\Proj\\sub", "C:\\proj\\x.pl"), "..\\x.pl");
    EXPECT_EQ(RelativePath("C:\\a\\b\\c", "C:\\a\\x\\y.pl"), "..\\..\\x\\y.pl");
}

TEST(Paths, RelativePathForwardSlashesAndThisSystem) {
    EXPECT_EQ(RelativePath("C:/proj", "C:/other/b.pl"), "../other/b.pl");
    EXPECT_EQ(RelativePath("C:\\proj", "C:/proj/cgi/a.pl"), "cgi/a.pl");
    EXPECT_EQ(RelativePath("/home/u/proj", "/home/u/proj/cgi/a.pl"), "cgi/a.pl");
    EXPECT_EQ(RelativePath("/home/u/proj/", "/home/u/other/b.pl"), "../other/b.pl");
    EXPECT_EQ(RelativePath("/home/u/proj", "/etc/x"), "../../../etc/x");
    EXPECT_EQ(RelativePath("/home/u/proj", "/home/u/project2/x"), "../project2/x");
    // Linux names differ by case, so the folder "Proj" is not "proj".
    EXPECT_EQ(RelativePath("/home/u/Proj", "/home/u/proj/x"), "../proj/x");
    EXPECT_EQ(RelativePath("/home/u/proj", "C:\\x.pl"), "C:\\x.pl");
    EXPECT_EQ(RelativePath("proj", "other/x"), "../other/x");
}

TEST(Paths, AbsolutePathBothStyles) {
    EXPECT_EQ(AbsolutePath("C:\\proj\\", "..\\other\\b.pl"), "C:\\other\\b.pl");
    EXPECT_EQ(AbsolutePath("C:\\proj", "D:\\x.pl"), "D:\\x.pl");
    EXPECT_EQ(AbsolutePath("C:\\proj", "cgi\\a.pl"), "C:\\proj\\cgi\\a.pl");
    EXPECT_EQ(AbsolutePath("C:\\proj", "\\\\server\\share\\x"), "\\\\server\\share\\x");
    EXPECT_EQ(AbsolutePath("C:\\a\\b", "..\\..\\..\\x"), "C:\\x"); // never above the root
    EXPECT_EQ(AbsolutePath("/home/u/proj", "cgi/a.pl"), "/home/u/proj/cgi/a.pl");
    EXPECT_EQ(AbsolutePath("/home/u/proj/", "../other/b.pl"), "/home/u/other/b.pl");
    EXPECT_EQ(AbsolutePath("/proj", "../x"), "/x");
    EXPECT_EQ(AbsolutePath("/", "x"), "/x");
    EXPECT_EQ(AbsolutePath("/home/u", "/etc/passwd"), "/etc/passwd");
    EXPECT_EQ(AbsolutePath("", "../x"), "../x");
    EXPECT_EQ(AbsolutePath("..", "../x"), "../../x");
    EXPECT_EQ(AbsolutePath("a", "../x"), "x");
    EXPECT_EQ(AbsolutePath("/p", "..name/x"), "/p/..name/x"); // a name, not the parent
}

TEST(Paths, RelativeAndAbsoluteRoundTrip) {
    for (const char* target :
         {"/home/u/proj/a.pl", "/home/u/x/y/z.pl", "/etc/hosts", "/home/u/pro"}) {
        const std::string rel = RelativePath("/home/u/proj", target);
        EXPECT_EQ(AbsolutePath("/home/u/proj", rel), target) << rel;
    }
}

TEST(Paths, NamePartsAndSlashes) {
    EXPECT_EQ(BaseNameNoExt("C:\\a.b\\script.test.pl"), "script.test");
    EXPECT_EQ(BaseNameNoExt("/a.b/noext"), "noext");
    EXPECT_EQ(BaseNameNoExt("/home/.bashrc"), ".bashrc");
    EXPECT_EQ(ChangeExt("/a.b/file.pl", ".bak"), "/a.b/file.bak");
    EXPECT_EQ(ChangeExt("/a.b/file", ".kvp"), "/a.b/file.kvp");
    EXPECT_EQ(FolderPart("/a/b.pl"), "/a/");
    EXPECT_EQ(FileExtension("x\\y.PL"), ".PL");
    EXPECT_EQ(RemoveTrailingSlash("a\\"), "a");
    EXPECT_EQ(RemoveTrailingSlash("a//"), "a/");
    EXPECT_EQ(RemoveLeadingSlash("/a"), "a");
    EXPECT_EQ(ToForwardSlashes("a\\b/c"), "a/b/c");
    EXPECT_EQ(ToBackSlashes("a\\b/c"), "a\\b\\c");
    EXPECT_TRUE(HasDrive("/x"));
    EXPECT_TRUE(HasDrive("c:x"));
    EXPECT_TRUE(HasDrive("\\\\srv\\share"));
    EXPECT_FALSE(HasDrive("x/y"));
    EXPECT_FALSE(HasDrive("1:x"));
}

TEST(Paths, FolderAndFileSearch) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.File("sub"));
    test::WriteBytes(dir.File("a.log"), "");
    test::WriteBytes(dir.File("c.log"), "");
    test::WriteBytes(dir.File(".z.log"), "");
    test::WriteBytes(dir.File("b.txt"), "");
    std::filesystem::create_directories(dir.File("d.log"));

    EXPECT_EQ(FirstExistingFolder({"", dir.File("missing"), dir.File("a.log"), dir.File("sub")}),
              dir.File("sub"));
    EXPECT_EQ(FirstExistingFolder({dir.File("missing")}), "");
    const std::string folder = dir.Path().string() + "/";
    EXPECT_EQ(FindFile(folder + "*.log", 0), folder + "c.log");
    EXPECT_EQ(FindFile(folder + "*.log", faDirectory), folder + "d.log");
    EXPECT_EQ(FindFile(folder + "*.log", faHidden), folder + "c.log");
    EXPECT_EQ(FindFile(folder + ".*.log", faHidden), folder + ".z.log");
    EXPECT_EQ(FindFile(folder + "*.none", faAnyFile), "");
    EXPECT_EQ(FindFile(dir.File("missing") + "/*", faAnyFile), "");
}

TEST(Paths, ComSpecFallsBackToTheShell) {
    {
        test::ScopedEnv set("COMSPEC", "/usr/bin/bash");
        EXPECT_EQ(ComSpec(), "/usr/bin/bash");
    }
    test::ScopedEnv empty("COMSPEC", "");
    EXPECT_EQ(ComSpec(), "/bin/sh");
}

TEST(Paths, PathBelowFolderIsExactAndStopsAtFolderBoundaries) {
    std::string rest;
    EXPECT_TRUE(PathBelowFolder("/site/a/b.pl", "/site/", &rest));
    EXPECT_EQ(rest, "a/b.pl");
    EXPECT_TRUE(PathBelowFolder("/site/b.pl", "/site", &rest));
    EXPECT_EQ(rest, "b.pl");
    EXPECT_FALSE(PathBelowFolder("/site2/b.pl", "/site"));
    EXPECT_FALSE(PathBelowFolder("/Site/b.pl", "/site"));
    EXPECT_FALSE(PathBelowFolder("/site", "/site"));
    EXPECT_FALSE(PathBelowFolder("/site/b.pl", ""));
    // Everything absolute lies below the root folder.
    EXPECT_TRUE(PathBelowFolder("/b.pl", "/", &rest));
    EXPECT_EQ(rest, "b.pl");
}
