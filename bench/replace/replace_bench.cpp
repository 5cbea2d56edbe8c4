// Replace All through an editor page of the main window, as the user's Ctrl+Shift+F6 runs it.
//   bench_replace FILE SEARCH REPLACE OUT     opens FILE, replaces every SEARCH (plain text,
//                                             case-sensitive) and saves the page into OUT;
//                                             prints the times of the replacement and its undo
// Run with a private KORVANE_HOME and XDG_CONFIG_HOME (bench/replace.sh does).
#include "app/main_form.h"
#include "editor/editor_page.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "storage/section_list.h"
#include "widgets/kor_syn_edit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <string>

using namespace korvane;

namespace {

double Ms(QElapsedTimer& timer) {
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    return ms;
}

int Bench(TMainForm& window, const std::string& file, const std::string& search,
          const std::string& replace, const std::string& out) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    // Without a default project yet, the file types come from the program's defaults.
    if (window.Project().FileTypes().Count() == 0) window.Project().FileTypes().MakeDefault();
    auto& page = dynamic_cast<TEditorPage&>(window.Project().Add(file, true));
    window.Project().setCurrentPage(&page);
    page.ActivateTab();
    QCoreApplication::processEvents();
    TKorProject& project = window.Project();
    project.setLastSearch(search);
    project.setLastReplace(replace);
    project.setSearchMatchCase(true);
    project.setSearchRegEx(false);
    project.setReplacePrompt(false);
    project.setReplaceAll(true);
    project.setSearchScope(1);

    QElapsedTimer timer;
    timer.start();
    page.DoSearchReplace(true, true, false);
    page.Editor()->viewport()->repaint(); // the user waits for the redrawn page
    QCoreApplication::processEvents();
    const double replaced = Ms(timer);
    timer.restart();
    page.Editor()->undo();
    page.Editor()->viewport()->repaint();
    QCoreApplication::processEvents();
    const double undone = Ms(timer);
    page.Editor()->redo();
    page.SaveToFile(out, true);
    std::printf("replace_all_ms %.1f undo_ms %.1f\n", replaced, undone);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_replace FILE SEARCH REPLACE OUT\n");
        return 2;
    }
    SeedProgramFolder();
    CreateSectionList();
    int status = 0;
    {
        QApplication app(argc, argv);
        TMainForm window({});
        if (!window.FormCreate()) return 1;
        status = Bench(window, argv[1], argv[2], argv[3], argv[4]);
        window.Project().Clear();
    }
    FreeSectionList();
    return status;
}
