#include "headless_host.h"

#include "exec/error_filter.h"

#include <cstdio>

namespace korvane {
namespace {

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

const char* ButtonName(PromptButton button) {
    switch (button) {
    case pbYes:
        return "Yes";
    case pbNo:
        return "No";
    case pbOK:
        return "OK";
    default:
        return "Cancel";
    }
}

} // namespace

TWindowRect THeadlessHost::ProjOrgRect() const {
    if (!Project) return {};
    return {Project->ProjOrgWinLeft(), Project->ProjOrgWinTop(), Project->ProjOrgWinWidth(),
            Project->ProjOrgWinHeight()};
}

void THeadlessHost::AddMessage(const TMessageLine& line) {
    std::printf("%s\n", line.Text.c_str());
    std::fflush(stdout);
}

PromptButton THeadlessPrompt::Ask(PromptKind, const std::string& text, PromptButtons buttons,
                                  const std::string&, PromptButton defaultButton) {
    const PromptButton answer = (defaultButton & buttons) != 0 ? defaultButton : pbCancel;
    if (answer != pbYes && answer != pbOK) ++Declined;
    std::fprintf(stderr, "korvane-publish: %s -> %s\n", OneLine(text).c_str(), ButtonName(answer));
    return answer;
}

void THeadlessPrompt::Inform(PromptKind, const std::string& text, const std::string&) {
    std::fprintf(stderr, "korvane-publish: %s\n", OneLine(text).c_str());
}

std::string THeadlessPrompt::ChooseFile(const FileChoice&) {
    return {};
}

bool THeadlessPrompt::EnterText(const std::string&, const std::string&, std::string&) {
    return false;
}

} // namespace korvane
