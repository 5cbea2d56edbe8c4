#pragma once
// A fresh program folder, settings and data folder, the shared container and a scripted
// prompt: what every test of the main window starts from.
#include "platform/program_folder.h"
#include "scripted_prompt.h"
#include "storage/section_list.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

namespace korvane::test {

class AppTest : public ::testing::Test {
protected:
    TempDir Dir;
    ScopedEnv Home{"KORVANE_HOME", Dir.File("home")};
    ScopedEnv Config{"XDG_CONFIG_HOME", Dir.File("config")};
    ScopedEnv Data{"XDG_DATA_HOME", Dir.File("data")};
    // The user's own files (the database option file ~/.my.cnf) stay out of reach.
    ScopedEnv UserHome{"HOME", Dir.Path().string()};
    ScriptedPrompt Prompt;

    void SetUp() override {
        SeedProgramFolder();
        CreateSectionList();
    }
    void TearDown() override { FreeSectionList(); }
};

} // namespace korvane::test
