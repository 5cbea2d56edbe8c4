// korvane-httpd: the IDE's local web server without the IDE. It serves a folder, runs the
// Perl and PHP scripts of its CGI folder exactly as the IDE does, on loopback only, and can
// take every setting from a project file, so a site can be served from a CI job as the IDE
// serves it.
#include "exec/console_controller.h"
#include "model/global_settings.h"
#include "net/epoll_event_dispatcher.h"
#include "net/http_server.h"
#include "platform/program_folder.h"
#include "platform/tool_lookup.h"
#include "project/kor_project.h"
#include "storage/command_options.h"
#include "storage/errors.h"
#include "storage/section_list.h"
#include "web/web_server.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int SignalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(SignalPipe[1], &byte, 1);
}

std::string Folder(const std::string& path) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::canonical(path, error);
    if (error || !std::filesystem::is_directory(folder)) return {};
    return folder.string();
}

struct Options {
    std::string Root, Cgi, CgiPath = "/cgi-bin", Project, Addr = "127.0.0.1";
    std::optional<int> Port;
    int CgiTimeout = 30;
    int MaxClients = 0;
    bool DirList = false;
};

} // namespace

int main(int argc, char** argv) {
    Options options;
    constexpr int NoPort = -1; // --root serves on 8080, --project on the project's port
    int port = NoPort;
    korvane::TCommandOptions command(
        "korvane-httpd",
        {"--root DIR [--port 8080] [--cgi DIR] [--cgi-path /cgi-bin] [--cgi-timeout SECONDS]\n"
         "                     [--dirlist] [--max-clients N]",
         "--project FILE.kvp [--port N]"},
        "Korvane's local web server without the IDE: serves a folder and runs the Perl and PHP\n"
        "scripts below the CGI path as CGI programs, on 127.0.0.1 (and ::1) only.");
    command.Text("--root", "DIR", "the folder served as /", options.Root)
        .Text("--cgi", "DIR", "the folder of the scripts (default: the root)", options.Cgi)
        .Text("--cgi-path", "PATH", "where the scripts appear (default /cgi-bin)", options.CgiPath)
        .Number("--cgi-timeout", "SECONDS", "how long a script may run (default 30)", 1, 86400,
                options.CgiTimeout)
        .Flag("--dirlist", "list folders that have no index page", options.DirList)
        .Number("--max-clients", "N", "clients served at once (default 0: no limit)", 0, 1000000,
                options.MaxClients)
        .Text("--project", "FILE.kvp", "every setting from the project's web server",
              options.Project)
        .Number("--port", "N", "the port (default 8080, or the project's)", 0, 65535, port)
        .Text("--addr", "ADDRESS", "127.0.0.1, ::1 or localhost", options.Addr);
    const auto parsed = command.Parse(argc, argv, std::cout, std::cerr);
    if (parsed.ExitStatus) return *parsed.ExitStatus;
    if (port != NoPort) options.Port = port;
    if (options.Root.empty() == options.Project.empty())
        return command.Fail(std::cerr, "give either --root or --project");
    // Scripts may run on request: nobody but this machine may ask.
    if (options.Addr != "127.0.0.1" && options.Addr != "::1" && options.Addr != "localhost")
        return command.Fail(std::cerr, "the server listens on loopback only (127.0.0.1 and ::1)");

    // A headless server needs only sockets and timers: an epoll set serves them with less
    // work per wake-up than Qt's own loops.
    QCoreApplication::setEventDispatcher(new korvane::TEpollEventDispatcher);
    QCoreApplication app(argc, argv);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalPipe) != 0) return 1;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    QSocketNotifier signalNotifier(SignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] { app.quit(); });

    // PHP runs read the php.ini the project keeps in the program folder.
    std::error_code ignored;
    std::filesystem::create_directories(korvane::ProgramFolder(), ignored);
    korvane::CreateSectionList();
    int status = 1;
    {
        korvane::TGlobalSettings settings;
        korvane::TConsoleController console;
        korvane::TKorProject project(settings, console);
        korvane::TWebServer& web = project.WebServer();
        try {
            if (!options.Project.empty()) {
                // Everything from the project's own block; a server stored as started
                // starts while the project loads.
                // Its paths are stored relative to its own folder, which must be known in full.
                project.LoadFromFile(
                    std::filesystem::absolute(options.Project).lexically_normal().string());
                if (options.Port) web.setPort(std::to_string(*options.Port));
            } else {
                const std::string root = Folder(options.Root);
                const std::string cgi = Folder(options.Cgi.empty() ? options.Root : options.Cgi);
                if (root.empty() || cgi.empty()) {
                    std::fprintf(stderr, "korvane-httpd: %s is not a folder\n",
                                 (root.empty() ? options.Root : options.Cgi).c_str());
                    return 1;
                }
                const korvane::TToolLocator tools;
                project.setPerlCompilerPath(tools.FindTool("perl"));
                project.setPhpCompilerPath(tools.FindTool("php"));
                web.setRootPath(root);
                web.setCgiBinpath(cgi);
                web.setLogicalCgiBinPath(options.CgiPath);
                web.setCgiTimeout(options.CgiTimeout);
                web.setPort(std::to_string(options.Port.value_or(8080)));
            }
            if (options.DirList) web.HttpOptions |= korvane::hoAllowDirList;
            web.MaxClients = options.MaxClients;
            web.Stop(); // so the options above apply
            web.Start();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "korvane-httpd: %s\n", e.what());
            return 1;
        }
        if (!web.Started()) {
            std::fprintf(stderr,
                         "korvane-httpd: port %s is in use or needs privileges; try another "
                         "with --port\n",
                         web.getPort().c_str());
        } else {
            std::printf("korvane-httpd listening on 127.0.0.1 port %u (scripts: %s under /%s)\n",
                        web.ListeningPort(), web.DerivedCgiBinPath().c_str(),
                        web.DerivedLogicalCgiBinPath().c_str());
            std::fflush(stdout);
            status = app.exec();
            web.Stop();
        }
    }
    korvane::FreeSectionList();
    return status;
}
