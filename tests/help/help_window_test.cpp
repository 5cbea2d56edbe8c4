// The help window keeps anchors and goes back and forward; a dialog's topic is the context
// while it is shown, and F1 in it shows that topic.
#include "help/help_context.h"
#include "help/help_manager.h"
#include "help/help_window.h"
#include "scripted_prompt.h"
#include "storage/section_list.h"
#include "temp_dir.h"
#include "widgets/web_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace korvane::test {
namespace {

bool Load(THelpWindow& window, const std::function<void()>& start) {
    QSignalSpy finished(window.View(), &TWebView::loadFinished);
    start();
    return finished.wait(20000) && finished.first().first().toBool();
}

TEST(HelpWindow, KeepsTheAnchorAndGoesBackAndForward) {
    TempDir dir;
    WriteBytes(dir.File("a.htm"), "<html><body><p id='part'>A</p></body></html>");
    WriteBytes(dir.File("b.htm"), "<html><body><p>B</p></body></html>");
    THelpWindow window;
    ASSERT_TRUE(Load(window, [&] { EXPECT_TRUE(window.ShowDocument(dir.File("a.htm#part"))); }));
    EXPECT_EQ(window.View()->Url().fragment(), "part");
    EXPECT_TRUE(window.View()->Url().isLocalFile());
    ASSERT_TRUE(Load(window, [&] { window.ShowDocument(dir.File("b.htm")); }));
    EXPECT_TRUE(window.BackAction->isEnabled());
    EXPECT_FALSE(window.ForwardAction->isEnabled());
    window.BackAction->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(window.View()->Url().fileName(), QStringLiteral("a.htm"), 20000);
    EXPECT_EQ(window.View()->Url().fragment(), "part");
    QTRY_VERIFY_WITH_TIMEOUT(window.ForwardAction->isEnabled(), 20000);
}

TEST(HelpContext, ADialogsTopicHoldsWhileItIsShownAndF1ShowsIt) {
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("config"));
    TSectionList list;
    ScriptedPrompt prompts;
    std::vector<std::string> shown;
    // No tree file: the one-node tree "index", whose page is there.
    WriteBytes(dir.File("index.htm"), "x");
    THelpManager help(list, prompts, "contents", dir.File("kv2_1_0.kvh"),
                      [&](const std::string& path, char) {
                          shown.push_back(path);
                          return true;
                      });
    THelpContextFilter filter(help);
    qApp->installEventFilter(&filter);
    help.PushContext("contents"); // the main window's
    QDialog dialog;
    SetHelpTopic(dialog, "index");
    dialog.show();
    EXPECT_EQ(help.CurrentContext(), "index");
    QTest::keyClick(&dialog, Qt::Key_F1);
    dialog.hide();
    EXPECT_EQ(help.CurrentContext(), "contents");
    dialog.hide(); // a second close pops nothing more
    EXPECT_EQ(help.CurrentContext(), "contents");
    EXPECT_EQ(shown, std::vector<std::string>{dir.File("index.htm")});
    qApp->removeEventFilter(&filter);
}

// A frame's topic (the Params tab's editors) answers F1 while the focus is inside it, without
// touching the window's context.
TEST(HelpContext, F1InsideAFrameShowsTheFramesTopic) {
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("config"));
    TSectionList list;
    ScriptedPrompt prompts;
    auto root = std::make_unique<THelpSection>("contents");
    root->Filename = "index.htm";
    root->AppendChild(std::make_unique<THelpSection>("frame")).Filename = "frame.htm";
    SaveHelpFile(list, dir.File("kv2_1_0.kvh"), *root, {});
    for (const char* page : {"index.htm", "frame.htm"})
        WriteBytes(dir.File(page), "x");
    std::vector<std::string> shown;
    THelpManager help(list, prompts, "contents", dir.File("kv2_1_0.kvh"),
                      [&](const std::string& path, char) {
                          shown.push_back(path);
                          return true;
                      });
    THelpContextFilter filter(help);
    qApp->installEventFilter(&filter);

    QDialog dialog;
    SetHelpTopic(dialog, "contents");
    auto* frame = new QWidget(&dialog);
    SetHelpTopic(*frame, "contents/frame");
    auto* inFrame = new QLineEdit(frame);
    auto* outside = new QLineEdit(&dialog);
    dialog.show();
    QTest::keyClick(inFrame, Qt::Key_F1);
    QTest::keyClick(outside, Qt::Key_F1);
    EXPECT_EQ(shown, (std::vector<std::string>{dir.File("frame.htm"), dir.File("index.htm")}));
    EXPECT_EQ(help.CurrentContext(), "contents");
    dialog.hide();
    EXPECT_EQ(help.CurrentContext(), "");
    qApp->removeEventFilter(&filter);
}

} // namespace
} // namespace korvane::test
