// The template tree's file: round trips, refused and damaged files, very long and very deep
// trees, and the project's load at start-up.
#include "template_tree_support.h"

#include "exec/debug_form.h"
#include "model/global_settings.h"
#include "project/kor_project.h"
#include "scripted_prompt.h"
#include "storage/byte_stream.h"
#include "storage/errors.h"
#include "storage/section_list.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

namespace korvane::test {
namespace {

class TemplateFileTest : public ::testing::Test {
protected:
    TemplateFileTest() { CreateSectionList(); }
    ~TemplateFileTest() override { FreeSectionList(); }

    // Loads path into a fresh root; returns the error text, "" when the load succeeded.
    std::string LoadInto(TCodeTemplate& root, const std::string& path) {
        try {
            root.LoadTemplateFile(SectionList(), path);
            return {};
        } catch (const handledException& error) {
            return error.what();
        }
    }

    // A file with the given identification followed by body.
    void WriteFile(const std::string& path, const std::vector<std::string>& identification,
                   const std::function<void(TSectionList&)>& body) {
        TMemoryStream bytes;
        TSectionList& list = SectionList();
        {
            TSectionListUse use(list, bytes, false);
            list.BeginSection("VersionInfo");
            for (const std::string& text : identification)
                list.WriteStr(text);
            list.EndSection();
            list.SetCompressChildren(true);
            body(list);
            list.SetCompressChildren(false);
        }
        WriteBytes(path, std::string(bytes.Bytes().begin(), bytes.Bytes().end()));
    }

    TempDir Dir;
    const std::vector<NodeSpec> Sample{
        {1, "Perl", "", {}},
        {2, "foreach", "fe", {"foreach my $##PROMPT:Name:x## (@list) {", "\t##CURSOR##", "}"}},
        {2, "-", "", {}},
        {2, "Unicode \xC3\xA9t\xC3\xA9", "u8", {"", "caf\xC3\xA9", ""}},
        {3, "deep", "d", {"x"}},
        {1, "HTML", "", {}},
        {2, "page", ".html", {"<!DOCTYPE html>"}},
        {1, "!hidden", "new", {"#!/usr/bin/perl"}},
    };
};

TEST_F(TemplateFileTest, SavedTreeLoadsBackWithEveryFieldAndSavesToTheSameBytes) {
    TCodeTemplate tree;
    tree.SetDescription("Code Templates");
    BuildTree(tree, Sample);
    tree.FindByAlias("fe:a,b", nullptr, true); // preset answers are not stored
    const std::string path = Dir.File("codetmpl.kvt");
    tree.SaveTemplateFile(SectionList(), path);
    EXPECT_FALSE(tree.FirstChild()->Modified());

    TCodeTemplate loaded;
    loaded.AddChild("old")->AddChild("older"); // replaced by the file's nodes
    ASSERT_EQ(LoadInto(loaded, path), "");
    tree.FindByAlias("fe", nullptr, true); // clears the answers again
    EXPECT_EQ(Outline(loaded), Outline(tree));
    EXPECT_EQ(loaded.CountNodes(), 9);
    for (TCodeTemplate* node = &loaded; node; node = node->NextInPreOrder(&loaded))
        EXPECT_FALSE(node->Modified()) << node->DisplayCaption();

    const std::string again = Dir.File("again.kvt");
    loaded.SaveTemplateFile(SectionList(), again);
    EXPECT_EQ(ReadBytes(again), ReadBytes(path));
}

TEST_F(TemplateFileTest, ForeignFilesAreRefusedWithTheirReasonAndTheTreeUntouched) {
    struct Case {
        std::vector<std::string> Identification;
        std::string Error;
    };
    const Case cases[] = {
        {{"Other", "Korvane", "2.1", "0", "Code Template"},
         "Incorrect Company Name for this program"},
        {{"brannoq", "korvane", "2.1", "0", "Code Template"},
         "Incorrect Program Name for this program"},
        {{"Brannoq", "Korvane", "2.1", "0", "Project File"},
         "This is not a Korvane Code Template File"},
        {{}, "Incorrect Company Name for this program"},
    };
    for (const Case& c : cases) {
        const std::string path = Dir.File("foreign.kvt");
        WriteFile(path, c.Identification, [](TSectionList&) {});
        TCodeTemplate root;
        BuildTree(root, Sample);
        const std::string before = Outline(root);
        EXPECT_EQ(LoadInto(root, path), c.Error);
        EXPECT_EQ(Outline(root), before);
    }
    // A missing file is no error and leaves the tree alone.
    TCodeTemplate root;
    BuildTree(root, Sample);
    EXPECT_EQ(LoadInto(root, Dir.File("missing.kvt")), "");
    EXPECT_EQ(root.CountNodes(), 9);
}

TEST_F(TemplateFileTest, TruncatedAndMutatedFilesFailCleanly) {
    TCodeTemplate tree;
    BuildTree(tree, Sample);
    const std::string path = Dir.File("good.kvt");
    tree.SaveTemplateFile(SectionList(), path);
    const std::string good = ReadBytes(path);
    const std::string damagedPath = Dir.File("damaged.kvt");

    // A few dozen cuts and changes spread over the file keep the test quick.
    const size_t step = good.size() / 40 + 1;
    int refused = 0;
    int cuts = 0;
    for (size_t length = 0; length < good.size(); length += step, ++cuts) {
        WriteBytes(damagedPath, good.substr(0, length));
        TCodeTemplate root;
        if (!LoadInto(root, damagedPath).empty()) ++refused;
        EXPECT_LE(root.CountNodes(), tree.CountNodes());
    }
    // Cut anywhere but inside the last record, a file is missing a record the flags promise.
    EXPECT_GT(refused, cuts * 3 / 4);

    // A record that promises a sibling at the end of the file.
    WriteFile(damagedPath, {"Brannoq", "Korvane", "2.1", "0", "Code Template"},
              [&](TSectionList& list) {
                  for (const bool hasNext : {false, true}) {
                      list.BeginSection("Code Template Node");
                      list.BeginSection("Data");
                      list.WriteStr("d");
                      list.WriteStr("a");
                      list.WriteStrList({});
                      list.EndSection();
                      list.BeginSection("Links");
                      list.WriteFlag(!hasNext); // the root has a child, the child a sibling
                      list.WriteFlag(hasNext);
                      list.EndSection();
                      list.EndSection();
                  }
              });
    TCodeTemplate root;
    EXPECT_EQ(LoadInto(root, damagedPath),
              "The code template file is damaged: a template record is missing");
    EXPECT_EQ(root.CountNodes(), 2); // what was read before stays; nothing is made up

    // Every byte changed in turn: refused or loaded, never a crash or a hang.
    for (size_t i = 0; i < good.size(); i += step / 2 + 1) {
        std::string mutated = good;
        mutated[i] = static_cast<char>(mutated[i] ^ (0x5A + i % 7));
        WriteBytes(damagedPath, mutated);
        TCodeTemplate other;
        (void)LoadInto(other, damagedPath);
    }
}

TEST_F(TemplateFileTest, AHundredThousandSiblingsLoadAndTooDeepANestingIsRefused) {
    const std::string path = Dir.File("long.kvt");
    {
        TCodeTemplate tree;
        TCodeTemplate* group = tree.AddChild("group");
        for (int i = 0; i < 100000; ++i)
            group->AddChild("a" + std::to_string(i));
        tree.SaveTemplateFile(SectionList(), path);
    }
    TCodeTemplate root;
    ASSERT_EQ(LoadInto(root, path), "");
    EXPECT_EQ(root.CountNodes(), 100002);
    EXPECT_EQ(root.FirstChild()->LastChild()->Alias(), "a99999");
    EXPECT_EQ(root.FindByAlias("a99999", nullptr, true), root.FirstChild()->LastChild());

    const std::string deepPath = Dir.File("deep.kvt");
    const auto writeDepth = [&](int depth) {
        TCodeTemplate tree;
        TCodeTemplate* node = &tree;
        for (int i = 0; i < depth; ++i)
            node = node->AddChild("d" + std::to_string(i));
        tree.SaveTemplateFile(SectionList(), deepPath);
    };
    writeDepth(TCodeTemplate::MaxDepth);
    EXPECT_EQ(LoadInto(root, deepPath), "");
    EXPECT_EQ(root.CountNodes(), TCodeTemplate::MaxDepth + 1);
    writeDepth(TCodeTemplate::MaxDepth + 1);
    EXPECT_EQ(LoadInto(root, deepPath),
              "The code template file is damaged: templates nest more than 64 levels deep");
}

TEST_F(TemplateFileTest, AFailedSaveKeepsThePreviousFile) {
    TCodeTemplate tree;
    BuildTree(tree, Sample);
    const std::string path = Dir.File("codetmpl.kvt");
    tree.SaveTemplateFile(SectionList(), path);
    const std::string before = ReadBytes(path);
    tree.FirstChild()->SetAlias("changed");
    std::filesystem::permissions(Dir.Path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    const bool writable = ::access(Dir.Path().c_str(), W_OK) == 0; // root writes anyway
    if (!writable) {
        EXPECT_THROW(tree.SaveTemplateFile(SectionList(), path), handledException);
        EXPECT_TRUE(tree.FirstChild()->Modified());
        EXPECT_EQ(ReadBytes(path), before);
    }
    std::filesystem::permissions(Dir.Path(), std::filesystem::perms::owner_all);
    // A folder that does not exist cannot be written either way.
    EXPECT_THROW(tree.SaveTemplateFile(SectionList(), Dir.File("no/such/folder.kvt")),
                 handledException);
    EXPECT_TRUE(tree.FirstChild()->Modified());
}

TEST_F(TemplateFileTest, TheProjectLoadsTheTreeAtStartAndKeepsADamagedFile) {
    ScopedEnv home("KORVANE_HOME", Dir.File("home"));
    ScopedEnv config("XDG_CONFIG_HOME", Dir.File("config"));
    std::filesystem::create_directories(Dir.File("home/temp"));
    ScriptedPrompt prompt;
    TGlobalSettings settings;
    TDebugForm debugger;
    {
        TCodeTemplate tree;
        tree.SetDescription("Code Templates");
        BuildTree(tree, Sample);
        tree.SaveTemplateFile(SectionList(), Dir.File("home/codetmpl.kvt"));
        TKorProject project(settings, debugger.Console());
        EXPECT_EQ(settings.getCodeTemplateFileName(), Dir.File("home/codetmpl.kvt"));
        EXPECT_EQ(project.CodeTemplates().Description(), "Code Templates");
        EXPECT_FALSE(project.CodeTemplates().Modified());
        EXPECT_EQ(project.CodeTemplates().CountNodes(), 9);
        EXPECT_TRUE(prompt.Records().empty());
    }
    const std::string damaged = "VersionInfo but nothing a template file holds";
    WriteBytes(Dir.File("home/codetmpl.kvt"), damaged);
    TKorProject project(settings, debugger.Console());
    EXPECT_EQ(project.CodeTemplates().CountNodes(), 1);
    ASSERT_EQ(prompt.Records().size(), 1u);
    EXPECT_EQ(prompt.Records()[0].Kind, PromptKind::Warning);
    EXPECT_NE(prompt.Records()[0].Text.find("codetmpl.kvt.damaged"), std::string::npos);
    EXPECT_EQ(ReadBytes(Dir.File("home/codetmpl.kvt.damaged")), damaged);
}

} // namespace
} // namespace korvane::test
