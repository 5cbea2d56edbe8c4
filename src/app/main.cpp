#include "app/application.h"
#include "app/main_form.h"
#include "app/termination_signals.h"
#include "platform/program_folder.h"
#include "storage/method_trace.h"

#include <cstdio>

int main(int argc, char** argv) {
    using namespace korvane;
    // The method trace comes first: it records the program folder and makes the shared stores.
    SeedProgramFolder();
    StartMethodTrace(ProgramFolder());
    int status = 0;
    {
        TKorvaneApplication app(argc, argv);
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
        TMainForm window(arguments);
        if (window.FormCreate()) {
            CloseOnTerminationSignals(&window, [&window] { window.close(); });
            window.show();
            status = QApplication::exec();
        }
    }
    StopMethodTrace();
    return status;
}
