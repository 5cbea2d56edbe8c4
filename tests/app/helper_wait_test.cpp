#include "app/main_form.h"
#include "editor/editor_page.h"
#include "project/kor_project.h"
#include "window_fixture.h"

#include <QAction>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <chrono>

namespace korvane::test {
namespace {

class HelperWaitTest : public WindowTest {};

// A check the window waits for does not freeze it: the window with Cancel comes up, Cancel
// stops the checker at once, and the message list says the check was stopped.
TEST_F(HelperWaitTest, ASlowSyntaxCheckCanBeCancelledFromTheWindow) {
    const std::string script = Dir.File("slow.pl");
    WriteBytes(script, "BEGIN { sleep 20 }\nprint 1;\n");
    Form->Project().setPerlCompilerPath("/usr/bin/perl");
    Form->show();
    Form->FileDropFilesDropped({script});
    auto* page = dynamic_cast<TEditorPage*>(Form->Project().getCurrentPage());
    ASSERT_NE(page, nullptr);
    page->setCodeTrusted(true); // its BEGIN block runs in the check
    bool cancelled = false;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, Form.get(), [&] {
        for (QProgressDialog* progress : Form->findChildren<QProgressDialog*>())
            if (progress->isVisible()) {
                progress->findChild<QPushButton*>()->click();
                cancelled = true;
            }
    });
    cancel.start(100);
    const auto started = std::chrono::steady_clock::now();
    Form->CheckSyntaxAction()->trigger();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5))
        << "the checker was waited for to its end";
    EXPECT_TRUE(cancelled);
    const QList<QListWidgetItem*> said = Form->MessageList()->findItems(
        QStringLiteral("Syntax check cancelled"), Qt::MatchStartsWith);
    EXPECT_EQ(said.size(), 1);
}

} // namespace
} // namespace korvane::test
