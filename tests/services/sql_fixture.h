#pragma once
// One private MariaDB server for all the tests of a binary, reached through $HOME/.my.cnf,
// and for each test a project whose MySQL programs are the installed ones, with editor pages
// whose runs go through the debugger window.
#include "editor/editor_page.h"
#include "exec/debug_form.h"
#include "exec/error_filter.h"
#include "mariadb_server.h"
#include "model/global_settings.h"
#include "project/kor_project.h"
#include "scripted_prompt.h"
#include "temp_dir.h"

#include <QTabWidget>
#include <algorithm>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace korvane::test {

// The main window as the pages see it: a page control and the message list.
class MessageHost : public TProjectHost {
public:
    QTabWidget Tabs;
    std::vector<TMessageLine> Messages;

    QTabWidget* PageControl() const override { return const_cast<QTabWidget*>(&Tabs); }
    int MessageCount() const override { return static_cast<int>(Messages.size()); }
    void SetMessages(const std::vector<TMessageLine>& lines) override { Messages = lines; }
    void AddMessage(const TMessageLine& line) override { Messages.push_back(line); }
    void UpdateMessages(size_t keep, const std::vector<TMessageLine>& added) override {
        Messages.resize(std::min(keep, Messages.size()));
        Messages.insert(Messages.end(), added.begin(), added.end());
    }
    bool HasMessageContaining(const std::string& text) const;
};

class SqlServerTest : public ::testing::Test {
protected:
    static constexpr const char* BinPath = "/usr/bin";
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    SqlServerTest();
    ~SqlServerTest() override;
    void SetUp() override;

    // A page for a new .sql file holding text.
    TEditorPage& SqlPage(const std::string& name, const std::string& text);
    // Lets the debugger window's timer tick until the page's run has ended.
    bool WaitForRunEnd();

    static TestMariaDb* Server;

    TempDir Dir;
    ScopedEnv KorvaneHome;
    ScopedEnv Config;
    ScriptedPrompt Prompt;
    MessageHost Host;
    std::unique_ptr<TGlobalSettings> Settings;
    std::unique_ptr<TDebugForm> Debugger;
    std::unique_ptr<TKorProject> Project;

private:
    static std::string Missing;
    static std::string StartError;
};

} // namespace korvane::test
