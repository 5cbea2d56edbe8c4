// A run or syntax check that cannot find a module offers to install it, and the installer
// opened from the message installs it from a private mirror, after which the script runs.
#include "app/mod_install_dlg.h"
#include "app/module_commands.h"
#include "module_mirror.h"
#include "run_fixture.h"
#include "storage/name_value.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace korvane {
namespace {

using test::WaitFor;

class ModuleOfferTest : public test::RunTest {
protected:
    void SetUp() override {
        if (!test::ModuleMirror::ToolsInstalled())
            GTEST_SKIP() << "perl and cpanm are not installed";
        RunTest::SetUp();
        std::vector<std::string> variables;
        for (const std::string& line : Mirror.Environment())
            if (NamePart(line) != "PATH") variables.push_back("Y" + line);
        Form->Project().setProjectEnvVars(variables);
    }
    test::ModuleMirror Mirror;
};

TEST_F(ModuleOfferTest, MissingModuleMessageOpensTheInstallerAndTheInstalledModuleRuns) {
    Mirror.Publish({"Korvane::Missing=0.5"});
    TEditorPage& page = OpenScript(
        "uses.pl", "use Korvane::Missing;\nprint Korvane::Missing::greeting(), \"\\n\";\n");
    TModuleCommands& modules = Form->ModuleCommands();

    Form->CheckSyntaxAction()->trigger();
    int row = RowContaining("Can't locate Korvane/Missing.pm");
    ASSERT_GE(row, 0);
    EXPECT_EQ(Form->MessageList()->item(row)->toolTip().toStdString(),
              "Double-click to install Korvane::Missing");
    const std::unique_ptr<QMenu> menu = modules.MessageMenu(row);
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text().toStdString(), "Install Korvane::Missing");
    EXPECT_FALSE(modules.MessageMenu(0)) << "the start line offers nothing";

    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    row = RowContaining("Can't locate Korvane/Missing.pm");
    ASSERT_GE(row, 0);
    Form->MessageListDblClick(row);
    TModInstallDlg& dialog = modules.Installer();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Module->text().toStdString(), "Korvane::Missing");
    EXPECT_EQ(ModuleOfEntry(dialog.SelectedEntry()), "Korvane::Missing");
    dialog.InstallBtnClick();
    EXPECT_EQ(Prompt.TextsShown(), std::vector<std::string>{"Finished."});
    dialog.accept();

    Form->RunToTextAction()->trigger();
    ASSERT_TRUE(WaitFor([&] { return Debugger().RunPage() == nullptr; }));
    EXPECT_EQ(OutputText(page).rfind("hello from Korvane::Missing", 0), 0u) << OutputText(page);
    EXPECT_LT(RowContaining("Can't locate"), 0);
}

} // namespace
} // namespace korvane
