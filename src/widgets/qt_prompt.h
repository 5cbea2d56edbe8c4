#pragma once
// The prompt interface shown with Qt message boxes and dialogs.
#include "storage/prompt.h"

class QWidget;

namespace korvane {

class QtPrompt final : public Prompt {
public:
    explicit QtPrompt(QWidget* parent = nullptr) : Parent(parent) {}
    void SetParent(QWidget* parent) { Parent = parent; }
    // From now on every question is answered Cancel and messages are not shown (the program
    // is being stopped before its window came up).
    void Silence() { Silenced = true; }

    PromptButton Ask(PromptKind kind, const std::string& text, PromptButtons buttons,
                     const std::string& caption = {}, PromptButton defaultButton = pbNone) override;
    PromptButton AskTicked(PromptKind kind, const std::string& text, PromptButtons buttons,
                           const std::string& tickText, bool& ticked,
                           const std::string& caption = {}) override;
    void Inform(PromptKind kind, const std::string& text, const std::string& caption = {}) override;
    std::string ChooseFile(const FileChoice& choice) override;
    bool EnterText(const std::string& caption, const std::string& label,
                   std::string& value) override;

private:
    PromptButton RunBox(PromptKind kind, const std::string& text, PromptButtons buttons,
                        const std::string& caption, PromptButton defaultButton,
                        const std::string* tickText, bool* ticked);

    QWidget* Parent;
    bool Silenced = false;
};

} // namespace korvane
