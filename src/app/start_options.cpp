#include "app/start_options.h"

#include "storage/command_options.h"

#include <cstddef>
#include <iostream>

namespace korvane {

std::optional<int> ReadStartOptions(int argc, char** argv, std::vector<std::string>& arguments) {
    TCommandOptions options(
        "korvane", {"[OPTION...] [PROJECT.kvp] [FILE...]"},
        "Korvane, the IDE for Perl programs, CGI scripts and the files around them. Opens the\n"
        "project PROJECT.kvp (else the default project) and each FILE in a page of its own;\n"
        "put \"--\" before file names that begin with \"-\". The toolkit's own options, such as\n"
        "-style NAME, -platform NAME or -display DISPLAY, are taken as well.");
    // What the application object reads from the command line itself (Qt's common options
    // and those of its X11 platform).
    for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin",
                             "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display",
                             "geometry", "title", "name", "style", "stylesheet"})
        options.PassThrough(name, true);
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync", "qmljsdebugger",
                             "dialogs", "fontengine"})
        options.PassThrough(name, false);
    options.Operands("FILE", 0, static_cast<size_t>(-1));
    TCommandOptions::Outcome outcome = options.Parse(argc, argv, std::cout, std::cerr);
    arguments = std::move(outcome.Operands);
    return outcome.ExitStatus;
}

} // namespace korvane
