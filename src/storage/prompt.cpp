#include "storage/prompt.h"

#include <cstdio>

namespace korvane {
namespace {

class SilentPrompt final : public Prompt {
public:
    PromptButton Ask(PromptKind, const std::string& text, PromptButtons, const std::string&,
                     PromptButton) override {
        std::fprintf(stderr, "korvane: %s (no one to ask: cancelled)\n", text.c_str());
        return pbCancel;
    }
    void Inform(PromptKind, const std::string& text, const std::string&) override {
        std::fprintf(stderr, "korvane: %s\n", text.c_str());
    }
    std::string ChooseFile(const FileChoice&) override { return {}; }
    bool EnterText(const std::string&, const std::string&, std::string&) override { return false; }
};

SilentPrompt silentPrompt;
Prompt* installedPrompt = nullptr;

} // namespace

Prompt& CurrentPrompt() {
    return installedPrompt ? *installedPrompt : silentPrompt;
}

Prompt* InstallPrompt(Prompt* prompt) {
    Prompt* previous = installedPrompt;
    installedPrompt = prompt;
    return previous;
}

} // namespace korvane
