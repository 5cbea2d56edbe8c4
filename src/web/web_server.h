#pragma once
// The project's local web server: serves the project's documents and runs its Perl and PHP
// scripts as CGI programs through the console, on this machine's loopback addresses only.
// It keeps its settings (document root, CGI folder and URL prefix, default document, port,
// time limit) and their block in the project file.
#include "exec/cgi_run.h"
#include "web/cgi_target.h"
#include "web/web_server_owner.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace korvane {

class TConsoleController;
class TSectionList;
class THttpServer;
class THttpConnection;
class TMyHttpConnection;
enum class THttpGetFlag;

class TWebServer {
public:
    // Largest request body a script is handed; a larger one is refused with 413.
    static constexpr int64_t MaxPostBody = 16 * 1024 * 1024;
    // The first port of the range a taken or forbidden port is replaced from, and its size.
    static constexpr int RandomPortBase = 49152;
    static constexpr int RandomPortCount = 16383;

    // console: where scripts run. defaultFolder: where documents and scripts are looked up
    // until the user says otherwise.
    TWebServer(TWebServerOwner& project, TConsoleController& console, std::string defaultFolder);
    ~TWebServer();
    TWebServer(const TWebServer&) = delete;
    TWebServer& operator=(const TWebServer&) = delete;

    // Back to the settings of a new project, stopped.
    void Reset();

    const std::string& getRootPath() const { return RootPath; }
    const std::string& getDefaultDoc() const { return DefaultDoc; }
    const std::string& getPort() const { return Port; }
    const std::string& CgiBinPath() const { return CgiBinPathValue; }
    const std::string& LogicalCgiBinPath() const { return LogicalCgiBinPathValue; }
    std::int32_t CgiTimeout() const { return CgiTimeoutValue; }
    bool Started() const { return StartedValue; }
    // The port listened on while started (the system's choice for port "0"); 0 when stopped.
    std::uint16_t ListeningPort() const;
    // The folders every lookup uses: the setting, or the next one down the chain (CGI folder,
    // root folder, the project file's folder) when it is empty, without a trailing separator.
    // The logical CGI path also loses its leading separator ("cgi-bin").
    std::string DerivedRootPath() const;
    std::string DerivedCgiBinPath() const;
    std::string DerivedLogicalCgiBinPath() const;
    bool Modified() const { return ModifiedValue; }

    // Texts compare case-sensitively: paths and ports on this system are exact. A change
    // restarts a running server, so it takes effect at once.
    void setRootPath(const std::string& value);
    void setDefaultDoc(const std::string& value);
    void setPort(const std::string& value);
    void setCgiBinpath(const std::string& value);
    void setLogicalCgiBinPath(const std::string& value);
    void setCgiTimeout(std::int32_t value);
    void setModified(bool value);
    void setStarted(bool value);

    // Listens on 127.0.0.1 (and ::1 where the system has it). A port that is taken or needs
    // privileges leads to the question whether to use a random free one instead; the answer
    // yes is kept as the project's port. Other failures raise handledException.
    void Start();
    void Stop();

    void SaveToStream(TSectionList& stream) const;
    void LoadFromStream(TSectionList& stream);

    // How a script runs: through the console with the project's settings unless the owner
    // routes it elsewhere (the debugger window, which also clears its browser request).
    std::function<TCgiOutput(const TCgiRequest& request)> ExecuteFileName;
    // Whether the console is taken by a program a person started; such a run is never ended
    // for a request.
    std::function<bool()> ConsoleBusy;
    // Raised after the server started or stopped, so a command showing its state can follow.
    std::function<void()> OnStateChanged;
    // The random port the question offers; replaceable so tests know it.
    std::function<int()> RandomPort;
    // What a headless server may add: folder listings, a client limit (0: none).
    unsigned HttpOptions = 0;
    int MaxClients = 0;

private:
    void ChangeText(std::string& field, const std::string& value);
    void Restart();
    void ConfigureServer(THttpServer& server, const std::string& address);
    bool AskForRandomPort(int error);
    void WebServerGetDocument(THttpConnection& connection, THttpGetFlag& flags);
    void WebServerHeadDocument(THttpConnection& connection, THttpGetFlag& flags);
    void WebServerPostDocument(THttpConnection& connection, THttpGetFlag& flags);
    void WebServerPostedData(THttpConnection& connection);
    void WebServerStart();
    void WebServerStop();
    TCgiTarget Target(const std::string& path) const;
    void AnswerWithSlash(THttpConnection& connection, THttpGetFlag& flags);
    // One run of a script: what it runs, under which address and query, with which body.
    struct TScriptCall {
        TCgiTarget Target;
        std::string Address; // the request's path as it came, or a local redirect's
        std::string Query;
        std::string Body;
        bool IsPost = false;
    };
    TServerRequestVars ServerVars(THttpConnection& connection, const TScriptCall& call) const;
    // Runs the script of target and sends its reply, following its local redirects.
    void RunScript(THttpConnection& connection, const TCgiTarget& target, bool isPost,
                   const std::string& body);
    // One run: the reply's header and page, or the local address the script named instead.
    std::string RunOnce(THttpConnection& connection, const TScriptCall& call, std::string& header,
                        std::string& page);
    bool Logging(bool TWebLogging::*kind) const;

    TWebServerOwner& Project;
    TConsoleController& Console;
    std::string DefaultFolder;
    std::string LogicalCgiBinPathValue;
    std::string CgiBinPathValue;
    std::string RootPath;
    std::string DefaultDoc;
    std::string Port;
    std::int32_t CgiTimeoutValue = 30;
    bool StartedValue = false;
    bool ModifiedValue = false;
    bool Busy = false;
    // Where scripts are looked for, taken with the document root when the server starts (a
    // change of either restarts it), not worked out again for every request.
    TCgiFolders ServedCgiFolders;
    std::unique_ptr<THttpServer> HttpServer;  // 127.0.0.1
    std::unique_ptr<THttpServer> HttpServer6; // ::1, when the system has it
};

} // namespace korvane
