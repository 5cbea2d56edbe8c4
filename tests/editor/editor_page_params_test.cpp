#include "editor_fixture.h"

#include "model/form_fields.h"
#include "storage/file_utils.h"
#include "widgets/env_vars_frame.h"
#include "widgets/param_frame.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <filesystem>
#include <functional>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

QStringList Shown(const QListWidget& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

// Answers every question with Yes after doing what the test wants done at that moment.
class ActingPrompt final : public Prompt {
public:
    explicit ActingPrompt(std::function<void()> act)
        : Act(std::move(act)), Previous(InstallPrompt(this)) {}
    ~ActingPrompt() override { InstallPrompt(Previous); }
    ActingPrompt(const ActingPrompt&) = delete;
    ActingPrompt& operator=(const ActingPrompt&) = delete;

    PromptButton Ask(PromptKind, const std::string&, PromptButtons, const std::string&,
                     PromptButton) override {
        ++Questions;
        Act();
        return pbYes;
    }
    void Inform(PromptKind, const std::string&, const std::string&) override {}
    std::string ChooseFile(const FileChoice&) override { return {}; }
    bool EnterText(const std::string&, const std::string&, std::string&) override { return false; }

    int Questions = 0;

private:
    std::function<void()> Act;
    Prompt* Previous;
};

class ParamsTest : public EditorTest {
protected:
    TEditorPage& OpenScript(const std::string& name) {
        WriteBytes(Dir.File("site/" + name), "1;\n");
        return Open(Dir.File("site/" + name));
    }
    void MarkUpToDate(TEditorPage& page) {
        Project->setModified(false);
        page.TextOutOfDate = false;
        page.BrowserOutOfDate = false;
    }
};

TEST_F(ParamsTest, ScriptPagesHaveTheFrameOtherPagesDoNot) {
    EXPECT_NE(OpenScript("a.pl").ParamsTab(), nullptr);
    EXPECT_NE(OpenScript("b.php").ParamsTab(), nullptr);
    EXPECT_EQ(OpenScript("c.html").ParamsTab(), nullptr);
    EXPECT_EQ(OpenScript("d.sql").ParamsTab(), nullptr);

    TEditorPage& batch = OpenScript("e.bat");
    ASSERT_NE(batch.ParamsTab(), nullptr);
    EXPECT_FALSE(batch.ParamsTab()->SendType->isEnabled());
    EXPECT_EQ(batch.FormSendType(), fstParamsOnly);
    EXPECT_EQ(batch.ParamsTab()->SendTypeIndex(), fstParamsOnly);
    batch.ParamsTab()->SendTypeItems->button(fstGet)->click();
    EXPECT_EQ(batch.FormSendType(), fstParamsOnly) << "a disabled choice cannot be made";

    // A batch file renamed to a script gets the choice back.
    batch.SaveToFileExt(batch.FileName(), "pl", true, true, Now());
    EXPECT_TRUE(batch.ParamsTab()->SendType->isEnabled());
}

TEST_F(ParamsTest, ChangingTheSendTypeMarksProjectAndOutputs) {
    TEditorPage& page = OpenScript("form.pl");
    TParamFrame& frame = *page.ParamsTab();
    EXPECT_EQ(frame.SendTypeIndex(), 0);
    MarkUpToDate(page);

    frame.SendTypeItems->button(fstGet)->click();
    EXPECT_EQ(page.FormSendType(), fstGet);
    EXPECT_TRUE(Project->getModified());
    EXPECT_TRUE(page.TextOutOfDate);
    EXPECT_TRUE(page.BrowserOutOfDate);

    // "Data only for params" sends values only: the name box is shown as not in use.
    frame.AddBtn->click();
    const QColor buttonFace = QGuiApplication::palette().color(QPalette::Button);
    EXPECT_NE(frame.FieldName->palette().color(QPalette::Active, QPalette::Base), buttonFace);
    frame.SendTypeItems->button(fstParamsOnly)->click();
    EXPECT_EQ(page.FormSendType(), fstParamsOnly);
    EXPECT_EQ(frame.FieldName->palette().color(QPalette::Active, QPalette::Base), buttonFace);
    frame.SendTypeItems->button(fstPost)->click();
    EXPECT_EQ(frame.FieldName->palette().color(QPalette::Active, QPalette::Base),
              frame.FieldData->palette().color(QPalette::Active, QPalette::Base));
}

TEST_F(ParamsTest, EditedFieldsReachThePageAndTheCopyHint) {
    TEditorPage& page = OpenScript("form.pl");
    TParamFrame& frame = *page.ParamsTab();
    MarkUpToDate(page);
    frame.AddBtn->click();
    frame.FieldName->setText("name");
    frame.FieldData->setPlainText("John Smith");
    frame.AddBtn->click();
    frame.FieldName->setText("age");
    frame.FieldData->setPlainText("3");
    frame.Params->item(1)->setCheckState(Qt::Unchecked);

    EXPECT_EQ(page.FormFields, (TStringList{"Yname=John Smith", "Nage=3"}));
    EXPECT_EQ(frame.CopyFormParams->toolTip(), "name=John%20Smith");
    EXPECT_TRUE(Project->getModified());
    EXPECT_TRUE(page.TextOutOfDate);
    frame.CopyFormParams->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "name=John%20Smith");
}

TEST_F(ParamsTest, ProjectVariablesAreCopiedNotShared) {
    Project->setProjectEnvVars({"YPROJECT=1"});
    TEditorPage& page = OpenScript("env.pl");
    TParamFrame& frame = *page.ParamsTab();
    EXPECT_TRUE(page.UseProjectEnvVars());
    EXPECT_TRUE(frame.UseProjectVars());
    EXPECT_EQ(page.EnvVars, (TStringList{"YPROJECT=1"}));
    EXPECT_TRUE(frame.ev->Greyed());

    MarkUpToDate(page);
    frame.ProjectVars->click();
    EXPECT_FALSE(page.UseProjectEnvVars());
    EXPECT_TRUE(Project->getModified());
    EXPECT_FALSE(frame.ev->Greyed());
    MarkUpToDate(page);
    frame.ev->Vars->setCurrentRow(0);
    frame.ev->VarData->setText("page only");
    EXPECT_EQ(page.EnvVars, (TStringList{"YPROJECT=page only"}));
    EXPECT_TRUE(Project->getModified()) << "the variables' frame reports through the same event";
    EXPECT_TRUE(page.TextOutOfDate);
    EXPECT_EQ(Project->ProjectEnvVars(), (TStringList{"YPROJECT=1"}));

    Project->setProjectEnvVars({"YPROJECT=2", "YMORE=x"});
    frame.ProjectVars->click();
    EXPECT_TRUE(page.UseProjectEnvVars());
    EXPECT_EQ(page.EnvVars, (TStringList{"YPROJECT=2", "YMORE=x"}));
    EXPECT_EQ(Shown(*frame.ev->Vars), (QStringList{"PROJECT=2", "MORE=x"}));
    EXPECT_TRUE(frame.ev->Greyed());
}

TEST_F(ParamsTest, HidingAPageBringsTheOthersUpToTheProjectsVariables) {
    Project->setProjectEnvVars({"YPROJECT=1"});
    TEditorPage& hidden = OpenScript("hidden.pl");
    TEditorPage& follows = OpenScript("follows.pl");
    TEditorPage& own = OpenScript("own.php");
    own.ParamsTab()->ProjectVars->click();
    Project->setProjectEnvVars({"YPROJECT=2", "YMORE=x"});

    hidden.setVisible(false);
    EXPECT_EQ(follows.EnvVars, (TStringList{"YPROJECT=2", "YMORE=x"}));
    EXPECT_EQ(Shown(*follows.ParamsTab()->ev->Vars), (QStringList{"PROJECT=2", "MORE=x"}));
    EXPECT_EQ(own.EnvVars, (TStringList{"YPROJECT=1"}))
        << "a page with its own variables keeps them";
    EXPECT_EQ(hidden.EnvVars, (TStringList{"YPROJECT=1"})) << "only shown pages are refreshed";
}

TEST_F(ParamsTest, ALoadedPageShowsItsStoredParams) {
    Project->setProjectEnvVars({"YPROJECT=1"});
    TEditorPage& own = OpenScript("own.pl");
    own.FormFields = {"Yname=John Smith", "Nage=3"};
    own.setFormSendType(fstGet);
    own.setUseProjectEnvVars(false);
    own.EnvVars = {"YDEBUG=1"};
    TEditorPage& shared = OpenScript("shared.php");
    shared.setFormSendType(fstPost);
    Project->SaveToFile(Dir.File("site/site.kvp"));

    auto loaded = NewProject();
    Project.reset();
    fs::create_directories(Dir.File("temp"));
    loaded->LoadFromFile(Dir.File("site/site.kvp"));
    ASSERT_EQ(loaded->Count(), 2);
    TParamFrame& first = *AsEditorPage(loaded->Page(0)).ParamsTab();
    ASSERT_EQ(Shown(*first.Params), (QStringList{"name=John Smith", "age=3"}));
    EXPECT_EQ(first.Params->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(first.SendTypeIndex(), fstGet);
    EXPECT_FALSE(first.UseProjectVars());
    EXPECT_FALSE(first.ev->Greyed());
    EXPECT_EQ(Shown(*first.ev->Vars), (QStringList{"DEBUG=1"}));
    EXPECT_EQ(first.CopyFormParams->toolTip(), "name=John%20Smith");

    TEditorPage& second = AsEditorPage(loaded->Page(1));
    EXPECT_EQ(second.ParamsTab()->SendTypeIndex(), fstPost);
    EXPECT_TRUE(second.ParamsTab()->UseProjectVars());
    EXPECT_EQ(second.EnvVars, (TStringList{"YPROJECT=1"}));
    EXPECT_EQ(Shown(*second.ParamsTab()->ev->Vars), (QStringList{"PROJECT=1"}));
    EXPECT_FALSE(loaded->getModified());
}

TEST_F(ParamsTest, FrameChangesWhileTheProjectLoadsChangeNothingButTheHint) {
    TEditorPage& page = OpenScript("gone.pl");
    page.FormFields = {"Ya=1"};
    page.setFormSendType(fstGet);
    Project->SaveToFile(Dir.File("site/site.kvp"));
    fs::remove(Dir.File("site/gone.pl"));

    auto loaded = NewProject();
    Project.reset();
    fs::create_directories(Dir.File("temp"));
    bool wasLoading = false;
    // The missing file is asked about while the project is still loading.
    ActingPrompt acting([&] {
        wasLoading = loaded->Loading();
        TParamFrame& frame = *AsEditorPage(loaded->Page(0)).ParamsTab();
        frame.SendTypeItems->button(fstPost)->click();
        frame.ProjectVars->click();
        frame.Params->item(0)->setCheckState(Qt::Unchecked);
    });
    loaded->LoadFromFile(Dir.File("site/site.kvp"));
    ASSERT_EQ(acting.Questions, 1);
    ASSERT_TRUE(wasLoading);
    ASSERT_EQ(loaded->Count(), 1);
    TEditorPage& back = AsEditorPage(loaded->Page(0));
    EXPECT_EQ(back.FormSendType(), fstGet);
    EXPECT_TRUE(back.UseProjectEnvVars());
    EXPECT_EQ(back.ParamsTab()->CopyFormParams->toolTip(), "") << "the hint follows the fields";
}

} // namespace
} // namespace korvane::test
