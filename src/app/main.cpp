#include "app/application.h"
#include "app/main_form.h"
#include "app/start_options.h"
#include "app/termination_signals.h"
#include "platform/program_folder.h"
#include "storage/method_trace.h"
#include "storage/section_list.h"
#include "widgets/qt_prompt.h"
#include "widgets/web_view.h"

int main(int argc, char** argv) {
    using namespace korvane;
    std::vector<std::string> arguments;
    if (const std::optional<int> ended = ReadStartOptions(argc, argv, arguments)) return *ended;
    // The method trace comes first: it records the program folder and makes the shared stores.
    SeedProgramFolder();
    CreateSectionList();
    StartMethodTrace(ProgramFolder());
    int status = 0;
    {
        TWebView::PrepareApplication();
        TKorvaneApplication app(argc, argv);
        TMainForm window(arguments);
        QtPrompt prompt(&window);
        InstallPrompt(&prompt);
        bool stopBeforeShown = false;
        CloseOnTerminationSignals(&window, [&] {
            // Told to end from outside (a logout, kill): nothing more is asked, whatever dialog
            // is open, and unsaved text goes to recovery copies.
            stopBeforeShown = !window.isVisible();
            prompt.Silence();
            window.EndBySignal();
        });
        if (window.FormCreate() && !stopBeforeShown) {
            window.show();
            status = QApplication::exec();
        }
        InstallPrompt(nullptr);
    }
    StopMethodTrace();
    FreeSectionList();
    return status;
}
