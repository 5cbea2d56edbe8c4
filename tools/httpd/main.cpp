// korvane-httpd: serves one folder with the IDE's HTTP server, so the server can be tried and
// measured from outside.
#include "net/http_server.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
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
                 "usage: korvane-httpd --root DIR [--addr 127.0.0.1] [--port 8080] [--dirlist] "
                 "[--max-clients N]\n");
    return 2;
}

bool ParseInt(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (!*text || *end || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string root, addr = "127.0.0.1";
    int port = 8080, maxClients = 0;
    bool dirList = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--root" && hasValue)
            root = argv[++i];
        else if (arg == "--addr" && hasValue)
            addr = argv[++i];
        else if (arg == "--port" && hasValue) {
            if (!ParseInt(argv[++i], 0, 65535, port))
                return Usage("the port must be a number from 0 to 65535");
        } else if (arg == "--max-clients" && hasValue) {
            if (!ParseInt(argv[++i], 0, 1000000, maxClients))
                return Usage("--max-clients needs a number");
        } else if (arg == "--dirlist")
            dirList = true;
        else if (arg == "--help" || arg == "-h")
            return Usage(nullptr), 0;
        else
            return Usage(("unknown or incomplete argument: " + arg).c_str());
    }
    if (root.empty()) return Usage("--root is required");
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::canonical(root, error);
    if (error || !std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "korvane-httpd: %s is not a folder\n", root.c_str());
        return 1;
    }

    // A headless server needs only sockets and timers: the plain Unix event dispatcher wakes
    // faster for them than the GLib one.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalPipe) != 0) return 1;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    QSocketNotifier signalNotifier(SignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] { app.quit(); });

    korvane::THttpServer server;
    server.DocDir = folder.string();
    server.SetAddr(addr);
    server.SetPort(std::to_string(port));
    server.MaxClients = maxClients;
    server.ListenBacklog = 128;
    if (dirList) server.Options |= korvane::hoAllowDirList;
    try {
        server.Start();
    } catch (const korvane::SocketError& e) {
        std::fprintf(stderr, "korvane-httpd: %s\n", e.what());
        return 1;
    }
    std::printf("korvane-httpd listening on %s port %u\n", addr.c_str(), server.ListeningPort());
    std::fflush(stdout);
    const int status = app.exec();
    server.Stop();
    return status;
}
