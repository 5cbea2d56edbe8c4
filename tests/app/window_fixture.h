#pragma once
// The main window made and started on a fresh program folder, with the notes of the first
// start already answered.
#include "app/main_form.h"
#include "app_fixture.h"

#include <memory>
#include <string>
#include <vector>

namespace korvane::test {

class WindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Form = std::make_unique<TMainForm>(std::vector<std::string>{});
        ASSERT_TRUE(Form->FormCreate());
        Prompt.ClearRecords(); // the first start's notes
    }
    void TearDown() override {
        Form.reset();
        AppTest::TearDown();
    }

    std::unique_ptr<TMainForm> Form;
};

} // namespace korvane::test
