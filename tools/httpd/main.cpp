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
#include "storage/errors.h"
#include "storage/section_list.h"
#include "web/web_server.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
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

int Usage(const char* message) {
    if (message) std::fprintf(stderr, "korvane-httpd: %s\n", message);
    std::fprintf(stderr,
                 "usage: korvane-httpd --root DIR [--port 8080] [--cgi DIR] [--cgi-path /cgi-bin]\n"
                 "                     [--cgi-timeout SECONDS] [--dirlist] [--max-clients N]\n"
                 "       korvane-httpd --project FILE.kvp [--port N]\n"
                 "Listens on 127.0.0.1 (and ::1); --addr accepts only those.\n");
    return 2;
}

bool ParseInt(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (!*text || *end || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
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
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        int number = 0;
        if (arg == "--root" && hasValue)
            options.Root = argv[++i];
        else if (arg == "--cgi" && hasValue)
            options.Cgi = argv[++i];
        else if (arg == "--cgi-path" && hasValue)
            options.CgiPath = argv[++i];
        else if (arg == "--project" && hasValue)
            options.Project = argv[++i];
        else if (arg == "--addr" && hasValue)
            options.Addr = argv[++i];
        else if (arg == "--port" && hasValue) {
            if (!ParseInt(argv[++i], 0, 65535, number))
                return Usage("the port must be a number from 0 to 65535");
            options.Port = number;
        } else if (arg == "--cgi-timeout" && hasValue) {
            if (!ParseInt(argv[++i], 1, 86400, options.CgiTimeout))
                return Usage("--cgi-timeout needs a number of seconds from 1 to 86400");
        } else if (arg == "--max-clients" && hasValue) {
            if (!ParseInt(argv[++i], 0, 1000000, options.MaxClients))
                return Usage("--max-clients needs a number");
        } else if (arg == "--dirlist")
            options.DirList = true;
        else if (arg == "--help" || arg == "-h")
            return Usage(nullptr), 0;
        else
            return Usage(("unknown or incomplete argument: " + arg).c_str());
    }
    if (options.Root.empty() == options.Project.empty())
        return Usage("give either --root or --project");
    // Scripts may run on request: nobody but this machine may ask.
    if (options.Addr != "127.0.0.1" && options.Addr != "::1" && options.Addr != "localhost")
        return Usage("the server listens on loopback only (127.0.0.1 and ::1)");

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
