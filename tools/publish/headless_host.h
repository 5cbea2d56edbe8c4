#pragma once
// What korvane-publish stands in for the IDE's window: a host whose message list is standard
// output, which keeps the window rectangle the project was saved with (so saving it again
// changes nothing there), and a prompt that nobody sits at.
#include "project/kor_project.h"
#include "project/project_host.h"
#include "storage/prompt.h"

#include <QTabWidget>

#include <utility>

namespace korvane {

class THeadlessHost : public TProjectHost {
public:
    // The organizer is as the project was saved: shown or not, and where.
    void Attach(const TKorProject& project) { Project = &project; }
    bool ProjOrgVisible() const override { return Project && Project->ProjOrgVisible(); }
    TWindowRect ProjOrgRect() const override;

    TWindowRect WindowRect() const override { return Rect; }
    void SetWindowRect(const TWindowRect& rect) override { Rect = rect; }
    // No screen to pull a stored rectangle onto.
    TWindowRect ScreenRect() const override { return {0, 0, 1 << 24, 1 << 24}; }
    void AddMessage(const TMessageLine& line) override;
    QTabWidget* PageControl() const override { return const_cast<QTabWidget*>(&Tabs); }

private:
    const TKorProject* Project = nullptr;
    TWindowRect Rect;
    QTabWidget Tabs; // the pages' editors live here, never shown
};

// Messages go to standard error. A question is answered with its default button, so a
// missing remote folder is made and an unknown server key is refused; without a default the
// answer is Cancel. Each question and its answer are printed.
class THeadlessPrompt : public Prompt {
public:
    // Questions answered other than Yes or OK since the last look.
    int TakeDeclined() { return std::exchange(Declined, 0); }

    PromptButton Ask(PromptKind kind, const std::string& text, PromptButtons buttons,
                     const std::string& caption, PromptButton defaultButton) override;
    void Inform(PromptKind kind, const std::string& text, const std::string& caption) override;
    std::string ChooseFile(const FileChoice& choice) override;
    bool EnterText(const std::string& caption, const std::string& label,
                   std::string& value) override;

private:
    int Declined = 0;
};

} // namespace korvane
