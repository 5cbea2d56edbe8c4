#include "scripted_prompt.h"

#include <gtest/gtest.h>

namespace korvane::test {

ScriptedPrompt::ScriptedPrompt() : Previous(InstallPrompt(this)) {}

ScriptedPrompt::~ScriptedPrompt() {
    InstallPrompt(Previous);
    for (const PromptButton answer : Answers)
        ADD_FAILURE() << "an answer was queued for a question that never came: " << answer;
    for (const std::string& path : Files)
        ADD_FAILURE() << "a file was queued for a choice that never came: " << path;
    for (const std::string& text : Texts)
        ADD_FAILURE() << "a text was queued for an entry that never came: " << text;
    if (!Ticks.empty()) ADD_FAILURE() << "a tick was queued for a question that never came";
}

std::vector<std::string> ScriptedPrompt::TextsShown() const {
    std::vector<std::string> texts;
    for (const auto& record : Shown)
        texts.push_back(record.Text);
    return texts;
}

PromptButton ScriptedPrompt::Ask(PromptKind kind, const std::string& text, PromptButtons buttons,
                                 const std::string&, PromptButton defaultButton) {
    Shown.push_back({kind, text, buttons, defaultButton});
    if (Answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return pbCancel;
    }
    const PromptButton answer = Answers.front();
    Answers.pop_front();
    return answer;
}

PromptButton ScriptedPrompt::AskTicked(PromptKind kind, const std::string& text,
                                       PromptButtons buttons, const std::string&, bool& ticked,
                                       const std::string& caption) {
    if (!Ticks.empty()) {
        ticked = Ticks.front();
        Ticks.pop_front();
    }
    return Ask(kind, text, buttons, caption, pbNone);
}

void ScriptedPrompt::Inform(PromptKind kind, const std::string& text, const std::string&) {
    Shown.push_back({kind, text, pbOK});
}

std::string ScriptedPrompt::ChooseFile(const FileChoice& choice) {
    Shown.push_back({PromptKind::Plain, choice.Caption, pbOK});
    Choices.push_back(choice);
    if (Files.empty()) return {};
    std::string path = Files.front();
    Files.pop_front();
    return path;
}

bool ScriptedPrompt::EnterText(const std::string& caption, const std::string& label,
                               std::string& value) {
    Shown.push_back({PromptKind::Plain, caption, pbOK});
    Questions.push_back({caption, label, value});
    if (Texts.empty()) return false;
    value = Texts.front();
    Texts.pop_front();
    return true;
}

} // namespace korvane::test
