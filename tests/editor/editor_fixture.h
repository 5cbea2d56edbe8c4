#pragma once
// A project with real editor pages in a private program folder, a page control and status
// bar that the test can read, and a scripted prompt.
#include "editor/editor_page.h"
#include "exec/error_filter.h"
#include "model/global_settings.h"
#include "project/kor_project.h"
#include "scripted_prompt.h"
#include "temp_dir.h"
#include "widgets/kor_syn_edit.h"

#include <QTabWidget>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace korvane::test {

class PageHost : public TProjectHost {
public:
    QTabWidget Tabs;
    std::array<std::string, 6> Panels;
    std::string Caption;
    std::vector<std::string> Messages; // the message list's lines

    QTabWidget* PageControl() const override { return const_cast<QTabWidget*>(&Tabs); }
    void AddMessage(const TMessageLine& line) override { Messages.push_back(line.Text); }
    void SetMessages(const std::vector<TMessageLine>& lines) override {
        Messages.clear();
        for (const TMessageLine& line : lines)
            Messages.push_back(line.Text);
    }
    void SetStatusPanelText(int panel, const std::string& text) override {
        Panels.at(static_cast<size_t>(panel)) = text;
    }
    void SetCaption(const std::string& caption) override { Caption = caption; }
};

class EditorTest : public ::testing::Test {
protected:
    EditorTest();
    ~EditorTest() override;

    std::unique_ptr<TKorProject> NewProject();
    // A page for an existing (or, with the answer queued, new) file, made the current one.
    TEditorPage& Open(const std::string& path);
    TEditorPage& NewTempPage();
    // Tab caption of the page as the page control shows it.
    std::string TabText(const TEditorPage& page) const;
    // Moves the file's modification time by seconds, as another program's save would.
    static void Touch(const std::string& path, double seconds);

    TempDir Dir;
    ScopedEnv Home;
    ScopedEnv Config;
    ScopedEnv NoToolsOnPath; // the tool checks of a load find nothing to change
    // The user's own files (the database option file ~/.my.cnf) stay out of reach.
    ScopedEnv UserHome;
    ScriptedPrompt Prompt;
    PageHost Host;
    std::unique_ptr<TGlobalSettings> Settings;
    std::unique_ptr<TDebugForm> Debugger;
    std::unique_ptr<TKorProject> Project;
};

TEditorPage& AsEditorPage(TProjectPage& page);

} // namespace korvane::test
