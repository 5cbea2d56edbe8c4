#include "widgets/window_wait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace korvane::test {
namespace {

QProgressDialog* ShownProgress(QWidget& window) {
    for (QProgressDialog* dialog : window.findChildren<QProgressDialog*>())
        if (dialog->isVisible()) return dialog;
    return nullptr;
}

// A wait shows the busy cursor at once, keeps the window's timers running, brings up a window
// naming the command after half a second, and reports Cancel; its end takes all of it away.
TEST(WindowWait, ShowsWhatRunsAndReportsCancel) {
    QWidget window;
    window.show();
    TWindowWait wait(&window);
    wait.Begin("perl -c " + std::string(200, 'x') + ".pl");
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    bool timerRan = false;
    QTimer::singleShot(0, &window, [&] { timerRan = true; });
    EXPECT_TRUE(wait.GoesOn());
    EXPECT_TRUE(timerRan) << "the window's events go on during the wait";
    EXPECT_EQ(ShownProgress(window), nullptr) << "nothing more for a short wait";

    QTest::qWait(TWindowWait::CancelAfterMs + 50);
    EXPECT_TRUE(wait.GoesOn());
    QProgressDialog* progress = ShownProgress(window);
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->isModal());
    const QLabel* label = progress->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Waiting for perl -c xxx")));
    EXPECT_LE(label->text().size(), 12 + TWindowWait::ShownCommandChars) << "a long command is cut";

    progress->findChild<QPushButton*>()->click();
    EXPECT_FALSE(wait.GoesOn());
    wait.End();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ShownProgress(window), nullptr);

    // The next wait starts afresh.
    wait.Begin("perl -v");
    EXPECT_TRUE(wait.GoesOn());
    wait.End();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace korvane::test
