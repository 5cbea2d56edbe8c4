// Replace All and Perl Comment through an editor page of the main window, as the user's
// Ctrl+Shift+F6 and Ctrl+' run them.
//   bench_replace [--regex] FILE SEARCH REPLACE OUT   opens FILE, replaces every SEARCH (plain
//                                                     text, case-sensitive, or a regular
//                                                     expression) and saves the page into OUT
//   bench_replace --comment FILE OUT                  opens FILE, comments every line, saves
// Each prints the times of the command and of its undo.
// Run with a private KORVANE_HOME and XDG_CONFIG_HOME (bench/replace.sh does).
#include "app/main_form.h"
#include "editor/editor_page.h"
#include "editor/text_commands.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "storage/section_list.h"
#include "widgets/kor_syn_edit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

using namespace korvane;

namespace {

double Ms(QElapsedTimer& timer) {
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    return ms;
}

// Times command and its undo on a page of file, as the user waits for them: until the page
// is drawn again. The page's text after the command is saved into out.
int Bench(TMainForm& window, const std::string& file, const std::string& out,
          const std::function<void(TEditorPage&)>& command) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    // Without a default project yet, the file types come from the program's defaults.
    if (window.Project().FileTypes().Count() == 0) window.Project().FileTypes().MakeDefault();
    auto& page = dynamic_cast<TEditorPage&>(window.Project().Add(file, true));
    window.Project().setCurrentPage(&page);
    page.ActivateTab();
    QCoreApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    command(page);
    page.Editor()->viewport()->repaint();
    QCoreApplication::processEvents();
    const double done = Ms(timer);
    timer.restart();
    page.Editor()->undo();
    page.Editor()->viewport()->repaint();
    QCoreApplication::processEvents();
    const double undone = Ms(timer);
    page.Editor()->redo();
    page.SaveToFile(out, true);
    std::printf("command_ms %.1f undo_ms %.1f\n", done, undone);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool comment = argc == 4 && std::strcmp(argv[1], "--comment") == 0;
    const bool regex = argc == 6 && std::strcmp(argv[1], "--regex") == 0;
    if (!comment && !regex && argc != 5) {
        std::fprintf(stderr, "usage: bench_replace [--regex] FILE SEARCH REPLACE OUT\n"
                             "       bench_replace --comment FILE OUT\n");
        return 2;
    }
    char** args = argv + (comment || regex ? 2 : 1);
    SeedProgramFolder();
    CreateSectionList();
    int status = 0;
    {
        QApplication app(argc, argv);
        TMainForm window({});
        if (!window.FormCreate()) return 1;
        TKorProject& project = window.Project();
        if (comment) {
            status = Bench(window, args[0], args[1], [](TEditorPage& page) {
                // Every line of the file: up to the end of the last one that has a line end.
                TKorSynEdit& editor = *page.Editor();
                const int lines = editor.LineCount();
                const int last = lines > 1 && editor.LineText(lines).empty() ? lines - 1 : lines;
                editor.SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL,
                                     editor.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION,
                                                          static_cast<unsigned long>(last - 1)));
                CommentLines(editor, false);
            });
        } else {
            project.setLastSearch(args[1]);
            project.setLastReplace(args[2]);
            project.setSearchMatchCase(true);
            project.setSearchRegEx(regex);
            project.setReplacePrompt(false);
            status =
                Bench(window, args[0], args[3], [](TEditorPage& page) { page.ReplaceAllHits(); });
        }
        window.Project().Clear();
    }
    FreeSectionList();
    return status;
}
