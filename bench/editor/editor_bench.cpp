// Editor pages against large files, and a picture of the main window with pages open.
//   bench_editor --bench FILE...        open, first paint and save times of each file, and the
//                                       time from start to a shown main window
//   bench_editor --screenshot OUT.png PERL PHP HTML
//   bench_editor --run-screenshot OUT.png PERL   the same after "Run (view Text)" of PERL
//   bench_editor --debug-screenshot OUT.png PERL LINE   the screen with PERL paused at a
//                                       breakpoint on LINE and the variable window open
// Run with a private KORVANE_HOME and XDG_CONFIG_HOME (bench/editor.sh and
// tools/editor-screenshot.sh do).
#include "app/main_form.h"
#include "app/publish_commands.h"
#include "app/variable_watch_window.h"
#include "editor/editor_page.h"
#include "exec/debug_form.h"
#include "model/global_settings.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "publish/proj_org.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "storage/section_list.h"
#include "widgets/kor_syn_edit.h"
#include "widgets/web_view.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace korvane;

namespace {

double Ms(QElapsedTimer& timer) {
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    return ms;
}

int Bench(TMainForm& window, const std::vector<std::string>& files, QElapsedTimer& sinceStart) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    std::printf("startup_to_shown_ms %.1f\n", Ms(sinceStart));
    for (const std::string& file : files) {
        QElapsedTimer timer;
        timer.start();
        auto& page = dynamic_cast<TEditorPage&>(window.Project().Add(file, true));
        const double open = Ms(timer);
        window.Project().setCurrentPage(&page);
        page.ActivateTab();
        page.Editor()->SetCaret(1, page.Editor()->LineCount() / 2);
        page.Editor()->ensureCursorVisible();
        page.Editor()->viewport()->repaint();
        QCoreApplication::processEvents();
        const double paint = Ms(timer);
        page.SaveToFile("", true);
        const double save = Ms(timer);
        std::printf("file %s open_ms %.1f first_paint_ms %.1f save_ms %.1f\n", file.c_str(), open,
                    paint, save);
        window.Project().FreePage(&page);
    }
    return 0;
}

// Drops the files on the window as a user would; the page of the first one, after the page
// the window starts with.
TEditorPage& DropFiles(TMainForm& window, const std::vector<std::string>& files) {
    const int first = window.Project().Count();
    for (const std::string& file : files)
        window.FileDropFilesDropped({file});
    return dynamic_cast<TEditorPage&>(window.Project().Page(first));
}

int Screenshot(TMainForm& window, const std::string& out, const std::vector<std::string>& files) {
    window.resize(1000, 660);
    window.move(10, 10);
    TEditorPage& perl = DropFiles(window, files);
    perl.ToggleBreakPoint(7);
    window.Project().setCurrentPage(&perl);
    perl.ActivateTab();
    perl.Editor()->SetCaret(14, 9);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    QTest::qWait(800);
    perl.Editor()->setFocus();
    window.Project().MoveToPageUpdate();
    QTest::qWait(400);
    return window.grab().save(QString::fromStdString(out)) ? 0 : 1;
}

// The Perl page after "Run (view Text)": its output in "Text In/Out" and its errors in the
// message list.
int RunScreenshot(TMainForm& window, const std::string& out,
                  const std::vector<std::string>& files) {
    window.resize(1000, 660);
    window.move(10, 10);
    TEditorPage& perl = DropFiles(window, files);
    window.Project().setCurrentPage(&perl);
    perl.ActivateTab();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    window.RunToTextAction()->trigger();
    TDebugForm& debug = window.DebugForm();
    for (int i = 0; i < 100 && debug.RunPage(); ++i)
        QTest::qWait(100);
    if (debug.RunPage()) return 1;
    QTest::qWait(400);
    return window.grab().save(QString::fromStdString(out)) ? 0 : 1;
}

// The Perl page paused at a breakpoint: the line marked in the source, and the variable
// window beside the main window filled with the program's variables.
int DebugScreenshot(TMainForm& window, const std::string& out, const std::string& file, int line) {
    window.resize(760, 660);
    window.move(0, 0);
    window.FileDropFilesDropped({file});
    auto& perl = dynamic_cast<TEditorPage&>(window.Project().Page(window.Project().Count() - 1));
    perl.ToggleBreakPoint(line);
    window.Project().setCurrentPage(&perl);
    perl.ActivateTab();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    window.ShowVariablesActionExecute();
    window.VariableWindow()->setGeometry(770, 30, 500, 630);
    window.ContinueAction()->trigger();
    TDebugForm& debug = window.DebugForm();
    for (int i = 0; i < 100 && debug.Status() != dsPaused; ++i)
        QTest::qWait(100);
    if (debug.Status() != dsPaused) return 1;
    QTest::qWait(600);
    return QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromStdString(out)) ? 0
                                                                                             : 1;
}

// Three pages uploaded to the FTP server on 127.0.0.1:port (user tester, password secret):
// the organizer beside the main window, and the upload's lines in the message list.
int UploadScreenshot(TMainForm& window, const std::string& out, int port,
                     const std::vector<std::string>& files) {
    window.resize(760, 660);
    window.move(0, 0);
    TKorProject& project = window.Project();
    project.setFtpHost("127.0.0.1");
    project.setFtpPort(std::to_string(port));
    project.setFtpUserName("tester");
    project.setFtpPassword("secret");
    project.setFtpStartDir("/");
    for (const std::string& file : files) {
        window.FileDropFilesDropped({file});
        auto& page = dynamic_cast<TEditorPage&>(project.Page(project.Count() - 1));
        page.setFtpUpload(true);
        page.setFtpDestFilename(FileNamePart(file));
        if (FileExtension(file) == ".pl") {
            page.setFtpOffsetDir("cgi-bin");
            page.setFtpChMod(true);
        }
        page.setSelected(true);
    }
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    TProjOrg& organizer = window.Publish().Organizer();
    organizer.OpenForUpload(false, true);
    QTest::qWait(300);
    organizer.setGeometry(560, 250, 700, 400);
    QTest::qWait(300);
    organizer.UploadBtnClick();
    QTest::qWait(600);
    return QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromStdString(out)) ? 0
                                                                                             : 1;
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_editor --bench FILE... | --screenshot OUT.png FILES...\n"
                             "       bench_editor --run-screenshot OUT.png PERL\n");
        return 2;
    }
    SeedProgramFolder();
    CreateSectionList();
    StartMethodTrace(ProgramFolder());
    int status = 0;
    {
        TWebView::PrepareApplication();
        QApplication app(argc, argv);
        const std::string mode = argv[1];
        std::vector<std::string> files(argv + (mode == "--bench" ? 2 : 3), argv + argc);
        TMainForm window({});
        if (!window.FormCreate()) return 1;
        status = mode == "--bench"        ? Bench(window, files, sinceStart)
                 : mode == "--screenshot" ? Screenshot(window, argv[2], files)
                 : mode == "--upload-screenshot" && argc >= 5
                     ? UploadScreenshot(window, argv[2], std::atoi(argv[3]),
                                        std::vector<std::string>(argv + 4, argv + argc))
                 : mode == "--debug-screenshot" && argc == 5
                     ? DebugScreenshot(window, argv[2], argv[3], std::atoi(argv[4]))
                     : RunScreenshot(window, argv[2], files);
        if (window.DebugForm().RunPage()) window.DebugForm().ProgramReset();
        // Leave without the close questions: nothing here is the user's work.
        window.Project().Clear();
    }
    StopMethodTrace();
    FreeSectionList();
    return status;
}
