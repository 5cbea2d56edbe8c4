#pragma once
// A prompt for tests: records every text it is shown and answers from a queue the test fills.
// A question with nothing queued fails the running test and answers pbCancel; so does an
// answer still queued when the prompt goes (the question the test expected never came).
#include "storage/prompt.h"

#include <deque>
#include <string>
#include <vector>

namespace korvane::test {

struct PromptRecord {
    PromptKind Kind;
    std::string Text;
    PromptButtons Buttons;         // pbOK for Inform
    PromptButton Default = pbNone; // the button Enter chooses, when the question names one
};

class ScriptedPrompt final : public Prompt {
public:
    ScriptedPrompt();           // installs itself
    ~ScriptedPrompt() override; // restores the previous prompt

    void QueueAnswer(PromptButton answer) { Answers.push_back(answer); }
    void QueueFile(std::string path) { Files.push_back(std::move(path)); }
    void QueueText(std::string text) { Texts.push_back(std::move(text)); }
    // The state the user leaves the tick box in, for the next AskTicked.
    void QueueTick(bool ticked) { Ticks.push_back(ticked); }

    const std::vector<PromptRecord>& Records() const { return Shown; }
    // Every input box: its caption, its question and the value it offered.
    struct TextQuestion {
        std::string Caption;
        std::string Label;
        std::string Offered;
    };
    const std::vector<TextQuestion>& TextQuestions() const { return Questions; }
    std::vector<std::string> TextsShown() const;
    // Every file dialog, as it was asked for.
    const std::vector<FileChoice>& FileChoices() const { return Choices; }
    void ClearRecords() { Shown.clear(); }

    PromptButton Ask(PromptKind kind, const std::string& text, PromptButtons buttons,
                     const std::string& caption, PromptButton defaultButton) override;
    PromptButton AskTicked(PromptKind kind, const std::string& text, PromptButtons buttons,
                           const std::string& tickText, bool& ticked,
                           const std::string& caption) override;
    void Inform(PromptKind kind, const std::string& text, const std::string& caption) override;
    std::string ChooseFile(const FileChoice& choice) override;
    bool EnterText(const std::string& caption, const std::string& label,
                   std::string& value) override;

private:
    Prompt* Previous;
    std::deque<PromptButton> Answers;
    std::deque<std::string> Files;
    std::deque<std::string> Texts;
    std::deque<bool> Ticks;
    std::vector<PromptRecord> Shown;
    std::vector<TextQuestion> Questions;
    std::vector<FileChoice> Choices;
};

} // namespace korvane::test
