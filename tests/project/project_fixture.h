#pragma once
// A project in a private program folder and settings store, with a fixed clock and a scripted
// prompt, plus helpers for writing project files by hand.
#include "exec/debug_form.h"
#include "model/global_settings.h"
#include "project/kor_project.h"
#include "scripted_prompt.h"
#include "storage/byte_stream.h"
#include "storage/section_list.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvane::test {

inline constexpr TDateTime FixedNow = 46000.5; // 9 December 2025, noon

// The main window as far as the project sees it.
class FakeHost : public TProjectHost {
public:
    std::string Caption;
    TWindowRect Window{100, 100, 800, 600};
    TWindowRect Screen{0, 0, 1280, 1024};
    bool StatusBarShown = true;
    int XPMenuCalls = 0;

    void SetCaption(const std::string& caption) override { Caption = caption; }
    TWindowRect WindowRect() const override { return Window; }
    void SetWindowRect(const TWindowRect& rect) override { Window = rect; }
    TWindowRect ScreenRect() const override { return Screen; }
    void ShowStatusBar(bool visible) override { StatusBarShown = visible; }
    void XPMenusChanged(bool) override { ++XPMenuCalls; }
    std::vector<std::string> HelpTopics;
    void ShowHelpTopic(const std::string& topic) override { HelpTopics.push_back(topic); }
    std::vector<std::string> Notices;
    void ShowStatusNotice(const std::string& text) override { Notices.push_back(text); }
};

class ProjectTest : public ::testing::Test {
protected:
    ProjectTest();
    ~ProjectTest() override;

    // A fresh project on the same settings and host, as after a restart.
    std::unique_ptr<TKorProject> NewProject();
    std::string DefaultProjectFile() const;

    // Writes a file through the container: the identification, then body() at the
    // compressed root.
    void WriteProjectFile(const std::string& path, const std::function<void(TSectionList&)>& body,
                          const std::string& version = "2.1", const std::string& maker = "Brannoq");

    TempDir Dir;
    ScopedEnv Home;
    ScopedEnv Config;
    // No tools are found unless a test provides them, so loads ask nothing.
    ScopedEnv NoToolsOnPath;
    // The user's own files (the database option file ~/.my.cnf) stay out of reach.
    ScopedEnv UserHome;
    ScriptedPrompt Prompt;
    FakeHost Host;
    // Where new projects look for tools after PATH: nowhere unless a test says so.
    std::vector<std::string> ToolFolders;
    std::unique_ptr<TGlobalSettings> Settings;
    std::unique_ptr<TDebugForm> Debugger;
    std::unique_ptr<TKorProject> Project;
};

} // namespace korvane::test
