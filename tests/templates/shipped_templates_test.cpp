// The template file the build ships: it decodes to its readable source and back, and holds
// the templates the rest of the program looks up by alias.
#include "storage/errors.h"
#include "storage/section_list.h"
#include "temp_dir.h"
#include "templates/code_template.h"
#include "templates/template_expansion.h"
#include "templates/template_outline.h"

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

class ShippedTemplates : public ::testing::Test {
protected:
    ShippedTemplates() { CreateSectionList(); }
    ~ShippedTemplates() override { FreeSectionList(); }

    const std::string Source = std::string(KORVANE_SOURCE_DIR) + "/data/templates/codetmpl.txt";
    TempDir Dir;
};

TEST_F(ShippedTemplates, TheBuiltFileIsItsSourceAndHoldsEveryAliasLookedUp) {
    TCodeTemplate shipped;
    shipped.LoadTemplateFile(SectionList(), KORVANE_SHIPPED_TEMPLATES);
    EXPECT_EQ(shipped.Description(), "Code Templates");
    EXPECT_EQ(WriteOutline(shipped), ReadBytes(Source));

    TCodeTemplate fromSource;
    fromSource.SetDescription("Code Templates");
    ReadOutline(ReadBytes(Source), fromSource);
    const std::string rewritten = Dir.File("codetmpl.kvt");
    fromSource.SaveTemplateFile(SectionList(), rewritten);
    EXPECT_EQ(ReadBytes(rewritten), ReadBytes(KORVANE_SHIPPED_TEMPLATES));

    for (const char* alias : {"new",   ".pl",       ".pm",  ".cgi",  ".php", ".html", ".sql",
                              ".bat",  "char_ents", "perl", "cgi",   "php",  "html",  "sql",
                              "batch", "fe",        "open", "write", "dbi",  "here",  "sub"}) {
        TCodeTemplate* node = shipped.FindByAlias(alias, nullptr, true);
        ASSERT_NE(node, nullptr) << alias;
        // Every template inserts something, and one alias means one template.
        EXPECT_FALSE(ExpandToText(*node).empty() && !node->FirstChild()) << alias;
        EXPECT_EQ(shipped.FindByAlias(alias, node, true), nullptr) << alias;
    }
    // A new page of the default type swaps its template when saved as another type: the
    // two must be the same text.
    EXPECT_EQ(shipped.FindByAlias("new", nullptr, true)->TemplateText(),
              shipped.FindByAlias(".pl", nullptr, true)->TemplateText());
}

TEST_F(ShippedTemplates, OutlineMistakesNameTheirLine) {
    struct Case {
        std::string Text, Error;
    };
    const Case cases[] = {
        {"* a\n*** b\n", "Template outline line 2: a node more than one level below the one "
                         "before it"},
        {"| text\n", "Template outline line 1: expected \"* node\", \"= alias\" or \"| text\""},
        {"* a\n| x\n= late\n",
         "Template outline line 3: expected \"* node\", \"= alias\" or \"| text\""},
        {"*a\n", "Template outline line 1: a node needs a blank after its stars"},
    };
    for (const Case& c : cases) {
        TCodeTemplate root;
        try {
            ReadOutline(c.Text, root);
            ADD_FAILURE() << c.Text;
        } catch (const handledException& error) {
            EXPECT_EQ(error.what(), c.Error);
        }
    }
}

} // namespace
} // namespace korvane::test
