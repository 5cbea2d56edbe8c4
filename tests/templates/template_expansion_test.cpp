// Placeholders, prompts and marks: the text a template expands to, the questions it asks,
// and where the caret and selection land in a real editor.
#include "scripted_prompt.h"
#include "templates/code_template.h"
#include "templates/page_templates.h"
#include "templates/template_expansion.h"
#include "widgets/kor_syn_edit.h"

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

struct Question {
    std::string Caption, Label, Offered;
    bool operator==(const Question&) const = default;
};

std::vector<Question> Asked(const ScriptedPrompt& prompt) {
    std::vector<Question> asked;
    for (const auto& q : prompt.TextQuestions())
        asked.push_back({q.Caption, q.Label, q.Offered});
    return asked;
}

TEST(TemplateExpansion, PlaceholdersAnswersAndMarks) {
    struct Case {
        const char* Name;
        std::vector<std::string> Lines;
        std::string Presets;
        std::vector<std::string> Answers; // queued, one for each question asked
        std::string Text;
        size_t Caret, SelectionEnd;
        std::vector<Question> Questions;
        std::string Unasked; // the text without questions
    };
    const Case cases[] = {
        {"a prompt with a default, repeated",
         {"my $##PROMPT:Name:x## = 1; print $##PARAM:1##;"},
         "",
         {"count"},
         "my $count = 1; print $count;",
         28,
         28,
         {{"Desc", "Name", "x"}},
         "my $ = 1; print $;"},
        {"empty labels are numbered",
         {"##PROMPT:##-##PROMPT:##"},
         "",
         {"a", "b"},
         "a-b",
         3,
         3,
         {{"Desc", "Parameter 1", ""}, {"Desc", "Parameter 2", ""}},
         "-"},
        {"a prompt without a default offers the last one",
         {"##PROMPT:A:d1## ##PROMPT:B##"},
         "",
         {"d1", "d2"},
         "d1 d2",
         5,
         5,
         {{"Desc", "A", "d1"}, {"Desc", "B", "d1"}},
         " "},
        {"a repeat of an answer never given asks for a substitute",
         {"##PROMPT:N## ##PARAM:3## ##PARAM:x##"},
         "",
         {"one", "sub", "other"},
         "one sub other",
         13,
         13,
         {{"Desc", "N", ""},
          {"Param 3 not found", "Enter a substitute", ""},
          {"Param x not found", "Enter a substitute", ""}},
         "  "},
        {"preset answers, one of them quoted with a comma, ask nothing",
         {"##PROMPT:A##|##PROMPT:B##|##PARAM:2##"},
         "one,\"two, three\"",
         {},
         "one|two, three|two, three",
         25,
         25,
         {},
         "||"},
        {"caret before the selection", {"a##CURSOR##b##SELECT##c"}, "", {}, "abc", 1, 2, {}, "abc"},
        {"selection mark first: the same range",
         {"a##SELECT##b##CURSOR##c"},
         "",
         {},
         "abc",
         1,
         2,
         {},
         "abc"},
        {"no marks: the caret after the text",
         {"ab", "cd"},
         "",
         {},
         "ab\r\ncd",
         6,
         6,
         {},
         "ab\r\ncd"},
        {"marks across lines in UTF-8 text",
         {"sub ##PROMPT:Name## {", "\t\xC3\xA9##CURSOR##\xE2\x82\xAC##SELECT##", "}"},
         "",
         {"f\xC3\xBC"},
         "sub f\xC3\xBC {\r\n\t\xC3\xA9\xE2\x82\xAC\r\n}",
         14,
         17,
         {{"Desc", "Name", ""}},
         "sub  {\r\n\t\xC3\xA9\xE2\x82\xAC\r\n}"},
        {"an answer that reads like a placeholder stays as typed",
         {"[##PROMPT:P##][##PARAM:1##]##CURSOR##"},
         "",
         {"##PARAM:1####CURSOR####PROMPT:Q##"},
         "[##PARAM:1####CURSOR####PROMPT:Q##][##PARAM:1####CURSOR####PROMPT:Q##]",
         70,
         70,
         {{"Desc", "P", ""}},
         "[][]"},
        {"an unterminated prompt stays and stops the prompts",
         {"x ##PROMPT:A"},
         "",
         {},
         "x ##PROMPT:A",
         12,
         12,
         {},
         "x ##PROMPT:A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TCodeTemplate root;
        TCodeTemplate& node = *root.AddChild("t");
        node.SetDescription("Desc");
        node.SetLines(c.Lines);
        node.SetPresetAnswers(c.Presets);
        {
            ScriptedPrompt prompt;
            for (const std::string& answer : c.Answers)
                prompt.QueueText(answer);
            const TExpansion expansion = ExpandTemplate(node, true).value();
            EXPECT_EQ(expansion.Text, c.Text);
            EXPECT_EQ(expansion.Caret, c.Caret);
            EXPECT_EQ(expansion.SelectionEnd, c.SelectionEnd);
            EXPECT_EQ(Asked(prompt), c.Questions);
        }
        // The answers served that one expansion; without asking, nothing is asked at all.
        EXPECT_EQ(node.PresetAnswers(), "");
        node.SetPresetAnswers(c.Presets);
        ScriptedPrompt silent;
        EXPECT_EQ(ExpandToText(node), c.Unasked);
        EXPECT_TRUE(silent.Records().empty());
    }
}

TEST(TemplateExpansion, ALookedUpAnswerListDoesNotOutliveItsExpansion) {
    TCodeTemplate root;
    TCodeTemplate& node = *root.AddChild("fe");
    node.SetLines({"##PROMPT:Name##"});
    ScriptedPrompt prompt;
    ASSERT_EQ(root.FindByAlias("fe:preset", nullptr, true), &node);
    EXPECT_EQ(ExpandTemplate(node, true)->Text, "preset");
    EXPECT_TRUE(prompt.TextQuestions().empty());
    // A later menu click on the same node asks again.
    prompt.QueueText("asked");
    EXPECT_EQ(ExpandTemplate(node, true)->Text, "asked");
    EXPECT_EQ(prompt.TextQuestions().size(), 1u);
}

TEST(TemplateExpansion, ExpandIntoReplacesTheSelectionAsOneUndoStepAndSelectsTheMarkedBytes) {
    TKorSynEdit editor;
    editor.SetRawText("\xC3\xA9t\xC3\xA9 fe:x done");
    editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, 6UL, 10L); // "fe:x"
    TCodeTemplate root;
    TCodeTemplate& node = *root.AddChild("fe");
    node.SetLines({"\xC2\xAB##PROMPT:v##", "##CURSOR##\xC3\xBC##SELECT##\xC2\xBB"});
    ScriptedPrompt prompt;
    ASSERT_EQ(root.FindByAlias("fe:\xE2\x82\xAC", nullptr, true), &node);
    EXPECT_EQ(ExpandInto(node, editor), "\xC2\xAB\xE2\x82\xAC\r\n\xC3\xBC\xC2\xBB");
    EXPECT_EQ(editor.RawText(), "\xC3\xA9t\xC3\xA9 \xC2\xAB\xE2\x82\xAC\r\n\xC3\xBC\xC2\xBB done");
    EXPECT_EQ(editor.CaretPosition(), 6 + 2 + 3 + 2);
    EXPECT_EQ(editor.SelectedRawText(), "\xC3\xBC");
    EXPECT_TRUE(prompt.TextQuestions().empty());
    editor.undo();
    EXPECT_EQ(editor.RawText(), "\xC3\xA9t\xC3\xA9 fe:x done");
}

TEST(TemplateExpansion, ACancelledQuestionInsertsNothingAndAsksNoMore) {
    struct Case {
        const char* Name;
        std::vector<std::string> Lines;
        std::vector<std::string> Answers; // given before the cancel
        size_t Asked;                     // questions shown, the cancelled one included
    };
    const Case cases[] = {
        {"the first prompt, which offers a default", {"##PROMPT:A:d## ##PROMPT:B##"}, {}, 1},
        {"the second prompt", {"##PROMPT:A## ##PROMPT:B:d##"}, {"one"}, 2},
        {"the substitute for a repeat never given", {"##PROMPT:A## ##PARAM:2##"}, {"one"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TCodeTemplate root;
        TCodeTemplate& node = *root.AddChild("t");
        node.SetLines(c.Lines);
        TKorSynEdit editor;
        editor.SetRawText("keep t here");
        editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, 5UL, 6L); // "t"
        ScriptedPrompt prompt;
        for (const std::string& answer : c.Answers)
            prompt.QueueText(answer);
        EXPECT_FALSE(ExpandInto(node, editor).has_value());
        EXPECT_EQ(prompt.TextQuestions().size(), c.Asked);
        EXPECT_EQ(editor.RawText(), "keep t here");
        EXPECT_EQ(editor.SelectedRawText(), "t");
        EXPECT_FALSE(editor.isUndoAvailable());
    }
}

TEST(TemplateExpansion, ACancelledQuestionWhenTheExtensionChangesKeepsTheOldTemplatesText) {
    TCodeTemplate root;
    root.AddChild("pl")->SetLines({"#!/usr/bin/perl"});
    root.AddChild("php")->SetLines({"<?php ##PROMPT:Title## ?>"});
    TKorSynEdit editor;
    editor.SetRawText("#!/usr/bin/perl\r\nprint 1;\r\n");
    {
        ScriptedPrompt cancelling;
        SwapExtensionTemplate(root, editor, "pl", "php");
        EXPECT_EQ(cancelling.TextQuestions().size(), 1u);
    }
    EXPECT_EQ(editor.RawText(), "#!/usr/bin/perl\r\nprint 1;\r\n");
    ScriptedPrompt answering;
    answering.QueueText("Home");
    SwapExtensionTemplate(root, editor, "pl", "php");
    EXPECT_EQ(editor.RawText(), "<?php Home ?>\r\nprint 1;\r\n");
}

} // namespace
} // namespace korvane::test
