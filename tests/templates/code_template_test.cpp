// The template tree in memory: lookups, counts, captions and moves.
#include "template_tree_support.h"

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

class CodeTemplateTest : public ::testing::Test {
protected:
    CodeTemplateTest() {
        Root.SetDescription("Code Templates");
        BuildTree(Root, {
                            {1, "Perl", "", {}},             // 0
                            {2, "foreach", "fe", {"a"}},     // 1
                            {2, "safe open", "safe", {"b"}}, // 2
                            {2, "-", "", {}},                // 3
                            {1, "HTML", "html", {}},         // 4
                            {2, "table", "FE", {"c"}},       // 5
                            {1, "", "last", {""}},           // 6
                        });
        for (TCodeTemplate* node = Root.FirstChild(); node; node = node->NextInPreOrder(&Root))
            Nodes.push_back(node);
    }

    int IndexOf(const TCodeTemplate* node) const {
        for (size_t i = 0; i < Nodes.size(); ++i)
            if (Nodes[i] == node) return static_cast<int>(i);
        return node == &Root ? -2 : -1; // -1: not found at all
    }

    TCodeTemplate Root;
    std::vector<TCodeTemplate*> Nodes;
};

TEST_F(CodeTemplateTest, FindByAliasWalksInPreOrderAfterTheStartNode) {
    struct Case {
        std::string Name;
        int Start; // -1: from the root
        bool Exact;
        int Found; // -1: nothing
        std::string Presets;
    };
    const Case cases[] = {
        {"fe", -1, true, 1, ""},
        {"FE", 1, true, 5, ""},         // continued after the first match; case ignored
        {"fe", 5, true, -1, ""},        // nothing after the last match
        {"fe:x,y", -1, true, 1, "x,y"}, // answers after the colon
        {"fe:", -1, true, 1, ""},
        {"sa", -1, true, -1, ""},
        {"sa", -1, false, 2, ""},   // inexact: the name inside the alias
        {"e", -1, false, 1, ""},    // "fe" comes before "safe" in pre-order
        {"SA", -1, false, -1, ""},  // inexact containment is case-sensitive
        {"html", 4, true, -1, ""},  // the start node itself is never tested
        {"last", 6, false, -1, ""}, // from the last node nothing follows
        {"", -1, true, 0, ""},      // an empty alias equals an empty name
        {":1,2", -1, true, 0, "1,2"},
    };
    for (const Case& c : cases) {
        TCodeTemplate* start = c.Start < 0 ? nullptr : Nodes[static_cast<size_t>(c.Start)];
        TCodeTemplate* found = Root.FindByAlias(c.Name, start, c.Exact);
        SCOPED_TRACE(c.Name + " from " + std::to_string(c.Start));
        EXPECT_EQ(IndexOf(found), c.Found);
        if (found) {
            EXPECT_EQ(found->PresetAnswers(), c.Presets);
        }
        EXPECT_EQ(Root.PresetAnswers(), c.Presets);
    }
}

TEST_F(CodeTemplateTest, FindByDescriptionMatchesWholeIgnoringCaseOrInsideExactly) {
    EXPECT_EQ(IndexOf(Root.FindByDescription("SAFE OPEN", nullptr, true)), 2);
    EXPECT_EQ(IndexOf(Root.FindByDescription("open", nullptr, true)), -1);
    EXPECT_EQ(IndexOf(Root.FindByDescription("ab", nullptr, false)), 5);
    EXPECT_EQ(IndexOf(Root.FindByDescription("a", Nodes[2], false)), 5);
    EXPECT_EQ(IndexOf(Root.FindByDescription("a", Nodes[5], false)), -1);
}

TEST_F(CodeTemplateTest, CountsCaptionsAndPaths) {
    // Nodes: root + 7; templates: fe, safe and table hold text; "-" and the leaf holding one
    // empty line do not; groups never count themselves.
    EXPECT_EQ(Root.CountNodes(), 8);
    EXPECT_EQ(Root.CountTemplates(), 3);
    EXPECT_EQ(Nodes[0]->CountNodes(), 7); // its chain: Perl, HTML and the last, with children
    EXPECT_EQ(Nodes[1]->CountNodes(), 3);
    Nodes[6]->SetLines({"x"}); // one character and its line break: three characters
    EXPECT_EQ(Root.CountTemplates(), 4);

    EXPECT_EQ(Nodes[1]->DisplayCaption(), "foreach (fe)");
    EXPECT_EQ(Nodes[3]->DisplayCaption(), "-");
    EXPECT_EQ(Nodes[6]->DisplayCaption(), "last");
    Nodes[6]->SetAlias("");
    EXPECT_EQ(Nodes[6]->DisplayCaption(), "*???*");
    EXPECT_EQ(Nodes[1]->CompletePath(), "Code Templates> Perl> foreach (fe)");

    Nodes[1]->SetLines({"one", "", "three", ""});
    EXPECT_EQ(Nodes[1]->TemplateText(), "one\r\n\r\nthree\r\n");
}

TEST_F(CodeTemplateTest, ChangesNotifyOnceAndNewNodesInheritTheHandler) {
    Root.ClearAllModified();
    std::vector<std::string> changed;
    Root.SetChangeHandler([&](TCodeTemplate& node) { changed.push_back(node.DisplayCaption()); });
    Nodes[1]->SetAlias("FE"); // differs only in case: no change
    Nodes[1]->SetDescription("for each");
    Nodes[1]->SetLines({"a", "b"});
    TCodeTemplate* added = Nodes[4]->AddChild("new");
    added->SetLines({"x"});
    EXPECT_EQ(changed, (std::vector<std::string>{"for each (fe)", "HTML (html)", "new"}));
    Root.ClearAllModified();
    EXPECT_FALSE(added->Modified());
    EXPECT_FALSE(Nodes[1]->Modified());
}

TEST_F(CodeTemplateTest, MovesKeepTheChainsLinkedAndRefuseTheirOwnSubtree) {
    // Perl before "last"; then HTML into foreach as its last child.
    Nodes[0]->MoveBefore(Nodes[6]);
    EXPECT_EQ(Outline(Root), "0|Code Templates||\n"
                             "1|HTML|html|\n2|table|FE|c/\n"
                             "1|Perl||\n2|foreach|fe|a/\n2|safe open|safe|b/\n2|-||\n"
                             "1||last|/\n");
    EXPECT_EQ(Root.FirstChild(), Nodes[4]);
    EXPECT_EQ(Root.LastChild(), Nodes[6]);
    EXPECT_TRUE(Nodes[4]->MoveIntoAsLast(Nodes[1]));
    EXPECT_EQ(Root.FirstChild(), Nodes[0]);
    EXPECT_EQ(Nodes[5]->CompletePath(), "Code Templates> Perl> foreach (fe)> HTML (html)> "
                                        "table (FE)");

    EXPECT_TRUE(Nodes[5]->IsAncestor(Nodes[0]));
    EXPECT_FALSE(Nodes[0]->IsAncestor(Nodes[5]));
    EXPECT_FALSE(Nodes[0]->MoveIntoAsLast(Nodes[5])); // into its own subtree
    EXPECT_FALSE(Nodes[0]->MoveIntoAsLast(Nodes[0]));
    EXPECT_FALSE(Nodes[0]->MoveIntoAsLast(nullptr));
    Nodes[0]->MoveBefore(Nodes[5]); // likewise refused
    EXPECT_EQ(Nodes[0]->Parent(), &Root);

    // Freeing a first child moves the parent's link on; the chain stays whole both ways.
    delete Nodes[1];
    EXPECT_EQ(Nodes[0]->FirstChild(), Nodes[2]);
    EXPECT_EQ(Nodes[2]->Previous(), nullptr);
    EXPECT_EQ(Root.CountNodes(), 5);
    EXPECT_EQ(Root.AddSibling("x"), nullptr); // the root has no chain
    EXPECT_EQ(&Nodes[3]->FirstSibling(), Nodes[2]);
    EXPECT_EQ(&Nodes[2]->LastSibling(), Nodes[3]);
}

} // namespace
} // namespace korvane::test
