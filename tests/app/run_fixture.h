#pragma once
// The main window with a project whose pages run real interpreters, and the waits that let
// the debugger window's timer tick meanwhile.
#include "app/main_form.h"
#include "app_fixture.h"
#include "editor/editor_page.h"
#include "exec/debug_form.h"
#include "project/kor_project.h"
#include "widgets/kor_syn_edit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QThread>
#include <Qsci/qsciscintilla.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace korvane::test {

constexpr const char* Perl = "/usr/bin/perl";

// Lets the debugger window's timer tick until the condition holds or a few seconds pass.
template <typename Condition> bool WaitFor(Condition condition, int milliseconds = 8000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return condition();
}

class RunTest : public AppTest {
protected:
    std::unique_ptr<TMainForm> Form;

    void SetUp() override {
        if (!std::filesystem::exists(Perl)) GTEST_SKIP() << "perl is not installed";
        AppTest::SetUp();
        Form = std::make_unique<TMainForm>(std::vector<std::string>{});
        ASSERT_TRUE(Form->FormCreate());
        Form->Project().setPerlCompilerPath(Perl);
        Prompt.ClearRecords();
    }
    void TearDown() override {
        Form.reset();
        AppTest::TearDown();
    }

    TDebugForm& Debugger() { return Form->DebugForm(); }

    TEditorPage& OpenScript(const std::string& name, const std::string& text) {
        const std::string path = Dir.File(name);
        WriteBytes(path, text);
        Form->OpenFileIntoProject(path);
        auto* page = dynamic_cast<TEditorPage*>(Form->Project().getCurrentPage());
        if (!page || page->FileName() != path) throw std::logic_error("page not opened: " + path);
        // The user's own script: its check may run it (perl -c).
        page->setCodeTrusted(true);
        return *page;
    }

    // Replaces the page's text as typing would, so the page knows it has changed.
    static void Retype(TEditorPage& page, const char* text) {
        page.Editor()->selectAll();
        page.Editor()->replaceSelectedText(QString::fromUtf8(text));
    }

    std::string OutputText(TEditorPage& page) { return page.OutputEditor()->text().toStdString(); }

    int RowContaining(const std::string& text) {
        for (int row = 0; row < Form->MessageList()->count(); ++row)
            if (Form->MessageList()->item(row)->text().toStdString().find(text) !=
                std::string::npos)
                return row;
        return -1;
    }

    void Type(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(target, &press);
    }
};

} // namespace korvane::test
