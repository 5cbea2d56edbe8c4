#include "widgets/env_vars_frame.h"
#include "widgets/param_frame.h"

#include <gtest/gtest.h>

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
#include <QTest>

#include <string>
#include <vector>

using namespace korvane;

namespace {

using Lines = std::vector<std::string>;

QStringList Shown(const QListWidget& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) {
        const QListWidgetItem* item = list.item(i);
        texts << (item->checkState() == Qt::Checked ? "[x] " : "[ ] ") + item->text();
    }
    return texts;
}

QColor Base(const QWidget* widget) {
    return widget->palette().color(QPalette::Active, QPalette::Base);
}
QColor ButtonFace() {
    return QGuiApplication::palette().color(QPalette::Button);
}
QColor WindowColour() {
    return QGuiApplication::palette().color(QPalette::Base);
}

} // namespace

TEST(EnvVarsFrame, ShowsLinesWithoutFlagAndEditsTheSelectedOne) {
    Lines vars = {"YPATH=/usr/bin", "NDEBUG=a=b"};
    TEnvVarsFrame frame;
    int changes = 0;
    frame.SetOnChange([&] { ++changes; });
    frame.Bind(vars);
    EXPECT_EQ(Shown(*frame.Vars), (QStringList{"[x] PATH=/usr/bin", "[ ] DEBUG=a=b"}));
    // Nothing selected: empty, disabled boxes in button-face colour.
    EXPECT_FALSE(frame.VarName->isEnabled());
    EXPECT_FALSE(frame.VarData->isEnabled());
    EXPECT_FALSE(frame.DelBtn->isEnabled());
    EXPECT_EQ(Base(frame.VarData), ButtonFace());

    frame.Vars->setCurrentRow(1);
    EXPECT_EQ(frame.VarName->text(), "DEBUG");
    EXPECT_EQ(frame.VarData->text(), "a=b");
    EXPECT_TRUE(frame.VarName->isEnabled());
    EXPECT_TRUE(frame.VarData->isEnabled());
    EXPECT_EQ(Base(frame.VarName), WindowColour());
    EXPECT_EQ(changes, 0) << "selecting is not editing";

    frame.VarData->setText("a=b"); // the same value again
    EXPECT_EQ(changes, 0);
    frame.VarData->setText("a=c");
    EXPECT_EQ(vars[1], "NDEBUG=a=c");
    EXPECT_EQ(frame.Vars->item(1)->text(), "DEBUG=a=c");
    EXPECT_EQ(changes, 1);

    frame.VarName->clear();
    QTest::keyClicks(frame.VarName, "TR=ACE"); // the "=" is not accepted in a name
    EXPECT_EQ(frame.VarName->text(), "TRACE");
    EXPECT_EQ(vars[1], "NTRACE=a=c");
    EXPECT_EQ(vars[0], "YPATH=/usr/bin") << "only the selected line changes";

    const int beforeTicks = changes;
    frame.Vars->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(vars[1], "YTRACE=a=c");
    EXPECT_EQ(changes, beforeTicks + 1);
    frame.Vars->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(changes, beforeTicks + 1);
    frame.Vars->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(vars[0], "NPATH=/usr/bin");
    EXPECT_EQ(frame.VarName->text(), "TRACE") << "ticking another line leaves the boxes alone";
}

TEST(EnvVarsFrame, AddAndDeleteLines) {
    Lines vars = {"YA=1", "YB=2"};
    TEnvVarsFrame frame;
    int changes = 0;
    frame.SetOnChange([&] { ++changes; });
    frame.Bind(vars);

    frame.AddBtn->click();
    EXPECT_EQ(vars, (Lines{"YA=1", "YB=2", "YNew Item="}));
    EXPECT_EQ(Shown(*frame.Vars).last(), "[x] New Item=");
    EXPECT_EQ(frame.Vars->currentRow(), 2);
    EXPECT_EQ(frame.VarName->text(), "New Item");
    EXPECT_EQ(frame.VarName->selectedText(), "New Item") << "typing replaces the placeholder";
    EXPECT_EQ(frame.VarData->text(), "");
    EXPECT_EQ(changes, 1);
    frame.VarName->setText("C");
    frame.VarData->setText("3");
    EXPECT_EQ(vars.back(), "YC=3");

    frame.Vars->setCurrentRow(0);
    frame.DelBtn->click();
    EXPECT_EQ(vars, (Lines{"YB=2", "YC=3"}));
    EXPECT_EQ(Shown(*frame.Vars), (QStringList{"[x] B=2", "[x] C=3"}));
    // The line that moved into the deleted one's place is selected and shown.
    EXPECT_EQ(frame.Vars->currentRow(), 0);
    EXPECT_EQ(frame.VarName->text(), "B");
    EXPECT_EQ(frame.VarData->text(), "2");
    frame.Vars->setCurrentRow(1);
    frame.DelBtn->click();
    frame.Vars->setCurrentRow(0);
    frame.DelBtn->click();
    EXPECT_TRUE(vars.empty());
    EXPECT_EQ(frame.Vars->count(), 0);
    EXPECT_EQ(frame.VarName->text(), "");
    EXPECT_FALSE(frame.VarName->isEnabled());
    const int before = changes;
    frame.DelBtn->click(); // nothing left to delete
    EXPECT_EQ(changes, before);
}

TEST(EnvVarsFrame, GreyedFrameEditsNothingAndCopiesFromItsSource) {
    Lines vars = {"YOWN=1"};
    const Lines project = {"YPROJECT=1", "NOFF=0"};
    TEnvVarsFrame frame;
    int changes = 0;
    frame.SetOnChange([&] { ++changes; });
    frame.Bind(vars, &project);
    frame.Vars->setCurrentRow(0);

    frame.SetGreyed(true);
    EXPECT_FALSE(frame.Vars->isEnabled());
    EXPECT_FALSE(frame.VarName->isEnabled());
    EXPECT_FALSE(frame.AddBtn->isEnabled());
    EXPECT_EQ(Base(frame.Vars), QColor(0xEB, 0xEB, 0xEB));
    frame.AddBtn->click();
    frame.DelBtn->click();
    EXPECT_EQ(vars, (Lines{"YOWN=1"}));
    EXPECT_EQ(changes, 0);

    frame.CopyFromSource();
    EXPECT_EQ(vars, project);
    EXPECT_EQ(Shown(*frame.Vars), (QStringList{"[x] PROJECT=1", "[ ] OFF=0"}));
    EXPECT_EQ(changes, 0);

    frame.SetGreyed(false);
    EXPECT_TRUE(frame.Vars->isEnabled());
    EXPECT_EQ(Base(frame.Vars), WindowColour());
    frame.Vars->setCurrentRow(0);
    frame.VarData->setText("2");
    EXPECT_EQ(vars[0], "YPROJECT=2");
    EXPECT_EQ(project[0], "YPROJECT=1") << "the source is copied, never edited";

    vars = {"YLATER=1"};
    frame.Reload();
    EXPECT_EQ(Shown(*frame.Vars), (QStringList{"[x] LATER=1"}));
    EXPECT_EQ(frame.VarName->text(), "");
}

TEST(ParamFrame, FormFieldsSendTypeAndCopyHint) {
    Lines fields = {"Yname=John Smith", "Nage=3"};
    Lines vars;
    const Lines project;
    TParamFrame frame;
    int changes = 0;
    frame.OnChange = [&] { ++changes; };
    frame.Bind(fields, vars, &project);
    EXPECT_EQ(Shown(*frame.Params), (QStringList{"[x] name=John Smith", "[ ] age=3"}));
    EXPECT_EQ(frame.CopyFormParams->toolTip(), "name=John%20Smith");

    frame.Params->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(frame.CopyFormParams->toolTip(), "name=John%20Smith&age=3");
    EXPECT_EQ(changes, 1);

    frame.Params->setCurrentRow(0);
    frame.FieldData->setPlainText("first line\nsecond line");
    EXPECT_EQ(fields[0], "Yname=first line\nsecond line");
    EXPECT_EQ(frame.CopyFormParams->toolTip(), "name=first%20line%0Asecond%20line&age=3");
    frame.CopyFormParamsClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), frame.CopyFormParams->toolTip());

    QStringList captions;
    for (int i = 0; i < 5; ++i)
        captions << frame.SendTypeItems->button(i)->text();
    EXPECT_EQ(captions, (QStringList{"None", "Get + Post", "Get", "Post", "Data only for params"}));
    EXPECT_EQ(frame.SendTypeIndex(), 0);
    const int before = changes;
    frame.SendTypeItems->button(3)->click();
    EXPECT_EQ(frame.SendTypeIndex(), 3);
    EXPECT_EQ(changes, before + 1);
    frame.SendTypeItems->button(3)->click(); // already chosen
    EXPECT_EQ(changes, before + 1);
    frame.SetSendTypeIndex(2);
    EXPECT_EQ(frame.SendTypeIndex(), 2);
    EXPECT_EQ(changes, before + 1) << "setting from outside is not a change";

    // Names are not sent with "Data only for params": the name box says so by its colour.
    frame.SetFieldNameDimmed(true);
    EXPECT_TRUE(frame.FieldName->isEnabled());
    EXPECT_EQ(Base(frame.FieldName), ButtonFace());
    frame.Params->setCurrentRow(1);
    EXPECT_EQ(Base(frame.FieldName), ButtonFace());
    frame.SetFieldNameDimmed(false);
    EXPECT_EQ(Base(frame.FieldName), Base(frame.FieldData));
}

TEST(ParamFrame, DoubleClickSwitchesWordWrapOfTheValue) {
    Lines fields = {"Ytext=a long value"};
    Lines vars;
    TParamFrame frame;
    frame.Bind(fields, vars, nullptr);
    ASSERT_TRUE(frame.FieldWordWrap());
    QTest::mouseDClick(frame.FieldData->viewport(), Qt::LeftButton);
    EXPECT_FALSE(frame.FieldWordWrap());
    QTest::mouseDClick(frame.FieldData->viewport(), Qt::LeftButton);
    EXPECT_TRUE(frame.FieldWordWrap());
}
