#include "web/web_server.h"

#include "exec/console_controller.h"
#include "exec/error_filter.h"
#include "net/http_server.h"
#include "net/http_text.h"
#include "storage/errors.h"
#include "storage/paths.h"
#include "storage/program_log.h"
#include "storage/prompt.h"
#include "storage/section_list.h"
#include "web/cgi_reply.h"
#include "web/cgi_target.h"
#include "web/my_http_connection.h"

#include <cerrno>
#include <ctime>
#include <random>

namespace korvane {
namespace {

constexpr const char* LoopbackV4 = "127.0.0.1";
constexpr const char* LoopbackV6 = "::1";
constexpr int DefaultCgiTimeout = 30;
constexpr size_t PostReadPiece = 65536;
// How long a browser is asked to wait before it tries a busy console again.
constexpr int BusyRetrySeconds = 5;
constexpr int MaxLocalRedirects = 10;

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i)
        joined += (i ? "\r\n" : "") + lines[i];
    return joined;
}

} // namespace

TWebServer::TWebServer(TWebServerOwner& project, TConsoleController& console,
                       std::string defaultFolder)
    : Project(project), Console(console), DefaultFolder(std::move(defaultFolder)) {
    ExecuteFileName = [this](const TCgiRequest& request) {
        return RunCgiScript(Console, Project.RunSettings(), request, CgiTimeoutValue);
    };
    ConsoleBusy = [this] { return !Console.sessionFinished(); };
    RandomPort = [] {
        std::random_device seed;
        return RandomPortBase + static_cast<int>(seed() % RandomPortCount);
    };
    Reset();
}

TWebServer::~TWebServer() {
    // Quietly: the project that would hear of it is going too.
    OnStateChanged = nullptr;
    if (HttpServer) HttpServer->OnServerStopped = nullptr;
    HttpServer.reset();
    HttpServer6.reset();
}

void TWebServer::Reset() {
    Stop();
    LogicalCgiBinPathValue = "/cgi-bin";
    CgiBinPathValue = DefaultFolder;
    RootPath = DefaultFolder;
    DefaultDoc = "index.html";
    Port = "80";
    CgiTimeoutValue = DefaultCgiTimeout;
    ModifiedValue = false;
}

std::uint16_t TWebServer::ListeningPort() const {
    return HttpServer && HttpServer->Listening() ? HttpServer->ListeningPort() : 0;
}

// ---------------------------------------------------------------------------------------------
// starting and stopping

void TWebServer::ConfigureServer(THttpServer& server, const std::string& address) {
    server.SetAddr(address);
    server.DocDir = DerivedRootPath();
    server.DefaultDoc = DefaultDoc;
    ServedCgiFolders = {DerivedCgiBinPath(), DerivedLogicalCgiBinPath(), DefaultDoc};
    server.ListenBacklog = 128;
    server.Options = HttpOptions;
    server.MaxClients = MaxClients;
    server.ClientClass = [] { return std::make_unique<TMyHttpConnection>(); };
    server.OnGetDocument = [this](THttpServer&, THttpConnection& c, THttpGetFlag& flags) {
        WebServerGetDocument(c, flags);
    };
    server.OnHeadDocument = [this](THttpServer&, THttpConnection& c, THttpGetFlag& flags) {
        WebServerHeadDocument(c, flags);
    };
    server.OnPostDocument = [this](THttpServer&, THttpConnection& c, THttpGetFlag& flags) {
        WebServerPostDocument(c, flags);
    };
    server.OnPostedData = [this](THttpServer&, THttpConnection& c, int) { WebServerPostedData(c); };
}

void TWebServer::Start() {
    if (StartedValue) return;
    for (;;) {
        if (!HttpServer) {
            HttpServer = std::make_unique<THttpServer>();
            HttpServer->OnServerStarted = [this](THttpServer&) { WebServerStart(); };
            HttpServer->OnServerStopped = [this](THttpServer&) { WebServerStop(); };
        }
        ConfigureServer(*HttpServer, LoopbackV4);
        HttpServer->SetPort(Port);
        try {
            HttpServer->Start();
        } catch (const SocketError& e) {
            if (e.Error() != EADDRINUSE && e.Error() != EACCES)
                throw handledException("The web server cannot start: " + std::string(e.what()));
            if (!AskForRandomPort(e.Error())) return;
            continue;
        }
        break;
    }
    // The same port on the IPv6 loopback, for clients that try "localhost" that way first;
    // a system without IPv6 is served on 127.0.0.1 alone.
    if (!HttpServer6) HttpServer6 = std::make_unique<THttpServer>();
    ConfigureServer(*HttpServer6, LoopbackV6);
    HttpServer6->SetPort(std::to_string(HttpServer->ListeningPort()));
    try {
        HttpServer6->Start();
    } catch (const SocketError&) {
    }
}

// A taken port, or one below 1024 that needs privileges here: offer a random free one. The
// answer yes becomes the project's port, so the question comes once.
bool TWebServer::AskForRandomPort(int error) {
    const std::string newPort = std::to_string(RandomPort());
    const std::string reason =
        error == EACCES ? " needs administrator rights on this system." : " in use.";
    if (CurrentPrompt().Ask(PromptKind::Confirmation,
                            "Port " + Port + reason + " Try randomly chosen Port " + newPort + "?",
                            pbYes | pbNo) != pbYes)
        return false;
    setPort(newPort);
    return true;
}

void TWebServer::Stop() {
    if (HttpServer6) HttpServer6->Stop();
    if (HttpServer) HttpServer->Stop();
    StartedValue = false;
}

void TWebServer::Restart() {
    Stop();
    Start();
}

void TWebServer::WebServerStart() {
    StartedValue = true;
    if (Logging(&TWebLogging::StartStop)) WriteLogLine("**WEB SERVER: started");
    if (OnStateChanged) OnStateChanged();
}

void TWebServer::WebServerStop() {
    StartedValue = false;
    if (Logging(&TWebLogging::StartStop)) WriteLogLine("**WEB SERVER: stopped");
    if (OnStateChanged) OnStateChanged();
}

bool TWebServer::Logging(bool TWebLogging::*kind) const {
    return Project.WebLogging().*kind;
}

// ---------------------------------------------------------------------------------------------
// settings

void TWebServer::setStarted(bool value) {
    if (value == StartedValue) return;
    if (value)
        Start();
    else
        Stop();
}

// Every change marks the project, not only the first: otherwise a second change would not
// reach the project file, since an unmodified project is not written.
void TWebServer::setModified(bool value) {
    if (value) Project.MarkModified();
    if (value == ModifiedValue) return;
    ModifiedValue = value;
    Stop();
}

void TWebServer::ChangeText(std::string& field, const std::string& value) {
    if (field == value) return;
    const bool wasStarted = StartedValue;
    setModified(true);
    field = value;
    if (wasStarted) Restart();
}

void TWebServer::setRootPath(const std::string& value) {
    ChangeText(RootPath, value);
}
void TWebServer::setDefaultDoc(const std::string& value) {
    ChangeText(DefaultDoc, value);
}
void TWebServer::setPort(const std::string& value) {
    ChangeText(Port, value);
}
void TWebServer::setCgiBinpath(const std::string& value) {
    ChangeText(CgiBinPathValue, value);
}
void TWebServer::setLogicalCgiBinPath(const std::string& value) {
    ChangeText(LogicalCgiBinPathValue, value);
}

// The next script run reads the limit; a running server stays up.
void TWebServer::setCgiTimeout(std::int32_t value) {
    if (value == CgiTimeoutValue) return;
    const bool wasStarted = StartedValue;
    CgiTimeoutValue = value;
    setModified(true);
    if (wasStarted) Start();
}

// Paths here are absolute, so their leading "/" stays: only the logical path, a part of
// addresses, loses its leading separator.
std::string TWebServer::DerivedRootPath() const {
    return RemoveTrailingSlash(RootPath.empty() ? FolderPart(Project.FileName()) : RootPath);
}

std::string TWebServer::DerivedCgiBinPath() const {
    return CgiBinPathValue.empty() ? DerivedRootPath() : RemoveTrailingSlash(CgiBinPathValue);
}

std::string TWebServer::DerivedLogicalCgiBinPath() const {
    if (LogicalCgiBinPathValue.empty()) return RemoveLeadingSlash(DerivedRootPath());
    return RemoveLeadingSlash(RemoveTrailingSlash(LogicalCgiBinPathValue));
}

// ---------------------------------------------------------------------------------------------
// requests

TCgiTarget TWebServer::Target(const std::string& path) const {
    return MapCgiRequest(path, ServedCgiFolders);
}

// A folder that runs an index script, asked for without its closing "/": the browser is sent
// to the address with it, so that the links of the page resolve inside the folder.
void TWebServer::AnswerWithSlash(THttpConnection& connection, THttpGetFlag& flags) {
    const std::string location =
        connection.Path() + "/" + (connection.Params().empty() ? "" : "?" + connection.Params());
    connection.AnswerText(flags, "301 Moved Permanently", "", "Location: " + location + "\r\n",
                          "<html><body><a href=\"" + TextToHtmlText(location) +
                              "\">Moved here</a></body></html>");
}

// Documents are the HTTP server's own work: it maps them below the root, which is this
// server's root path, and refuses what lies outside. Scripts below the prefix run here.
void TWebServer::WebServerGetDocument(THttpConnection& connection, THttpGetFlag& flags) {
    Busy = false;
    const TCgiTarget target = Target(connection.Path());
    switch (target.Kind) {
    case TCgiTargetKind::Leave:
        return;
    case TCgiTargetKind::Missing:
        flags = THttpGetFlag::hg404;
        return;
    case TCgiTargetKind::AddSlash:
        AnswerWithSlash(connection, flags);
        return;
    case TCgiTargetKind::Script:
        RunScript(connection, target, false, {});
        flags = THttpGetFlag::hgWillSendMySelf;
        return;
    }
}

void TWebServer::WebServerHeadDocument(THttpConnection& connection, THttpGetFlag& flags) {
    Busy = false;
    const TCgiTarget target = Target(connection.Path());
    switch (target.Kind) {
    case TCgiTargetKind::Leave:
        return;
    case TCgiTargetKind::Missing:
        flags = THttpGetFlag::hg404;
        return;
    case TCgiTargetKind::AddSlash:
        AnswerWithSlash(connection, flags);
        return;
    case TCgiTargetKind::Script:
        connection.DocStream = std::make_unique<THttpMemoryStream>(
            CgiReplyHeaderStart(connection.Version(), std::time(nullptr)) + "\r\n");
        connection.SendDocStream();
        flags = THttpGetFlag::hgWillSendMySelf;
        return;
    }
}

void TWebServer::WebServerPostDocument(THttpConnection& connection, THttpGetFlag& flags) {
    const TCgiTarget target = Target(connection.Path());
    if (target.Kind != TCgiTargetKind::Script) {
        flags = THttpGetFlag::hg404;
        if (Logging(&TWebLogging::Errors))
            WriteLogLine("**WEB ERROR:  File not found (404) error on page " + target.Path);
        return;
    }
    const int64_t length = connection.RequestHeader().RequestContentLength;
    if (length < 0 || length > MaxPostBody) {
        // Refused before a byte of it is kept; the connection reads past it.
        if (Logging(&TWebLogging::Errors))
            WriteLogLine("**WEB ERROR:  Request body too large (413) on page " + target.Path);
        connection.AnswerText(flags, "413 Request Entity Too Large", "", "",
                              "<html><body><h1>413 Request Entity Too Large</h1>The script takes "
                              "at most 16 MiB.</body></html>");
        return;
    }
    auto& my = static_cast<TMyHttpConnection&>(connection);
    my.Body.clear();
    my.BodyExpected = length;
    my.Target = target;
    if (length == 0) {
        // Nothing will arrive: the script runs now.
        RunScript(connection, target, true, {});
        flags = THttpGetFlag::hgWillSendMySelf;
        return;
    }
    flags = THttpGetFlag::hgAcceptData;
}

void TWebServer::WebServerPostedData(THttpConnection& connection) {
    auto& my = static_cast<TMyHttpConnection&>(connection);
    char piece[PostReadPiece];
    const auto complete = [&my] { return static_cast<int64_t>(my.Body.size()) >= my.BodyExpected; };
    if (complete()) {
        // More than the request announced: read and dropped.
        while (connection.Receive(piece, sizeof piece) > 0) {
        }
        return;
    }
    while (!complete()) {
        const size_t missing = static_cast<size_t>(my.BodyExpected) - my.Body.size();
        const size_t got = connection.Receive(piece, std::min(missing, sizeof piece));
        if (got == 0) return;
        my.Body.append(piece, got);
    }
    if (Busy) return;
    Busy = true;
    connection.EndPostedData();
    const std::string body = std::move(my.Body);
    my.Body.clear();
    RunScript(connection, my.Target, true, body);
    Busy = false;
}

// The CGI variables of a request: how it came and how its address names the script.
TServerRequestVars TWebServer::ServerVars(THttpConnection& connection,
                                          const TScriptCall& call) const {
    const THttpRequestHeader& header = connection.RequestHeader();
    TServerRequestVars vars;
    vars.Protocol = connection.Version();
    vars.ScriptName = call.Target.ScriptName;
    vars.PathInfo = call.Target.PathInfo;
    vars.RequestUri = call.Address + (call.Query.empty() ? "" : "?" + call.Query);
    vars.DocumentRoot = DerivedRootPath();
    vars.ServerName = header.RequestHostName.empty() ? connection.Socket().LocalAddress()
                                                     : header.RequestHostName;
    vars.ServerPort = std::to_string(connection.Socket().LocalPort());
    vars.ServerAddr = connection.Socket().LocalAddress();
    vars.RemoteAddr = connection.PeerAddr();
    vars.RemotePort = connection.PeerPort();
    vars.Headers = header.RequestHeader;
    return vars;
}

void TWebServer::RunScript(THttpConnection& connection, const TCgiTarget& target, bool isPost,
                           const std::string& body) {
    TScriptCall call{target, connection.Path(), connection.Params(), body, isPost};
    std::string header, page;
    // A script may answer with the address of another (RFC 3875 6.2.2): that one runs instead,
    // as a GET, a few times at most.
    for (int redirects = 0;; ++redirects) {
        const std::string redirect = RunOnce(connection, call, header, page);
        if (redirect.empty()) break;
        const size_t question = redirect.find('?');
        call.Address = redirect.substr(0, question);
        call.Query = question == std::string::npos ? std::string() : redirect.substr(question + 1);
        call.Target = Target(call.Address);
        call.IsPost = false;
        call.Body.clear();
        if (call.Target.Kind == TCgiTargetKind::Leave) {
            connection.AnswerWithDocument(call.Address);
            return;
        }
        if (call.Target.Kind != TCgiTargetKind::Script) {
            connection.DocStream = std::make_unique<THttpMemoryStream>(
                THttpConnection::BuildErrorPage(connection.Version(), 404, call.Address, ""));
            connection.SendDocStream();
            connection.CloseAfterReply();
            return;
        }
        if (redirects == MaxLocalRedirects) {
            page = CgiErroredPage(CgiInterpreterName(call.Target.File), call.Target.File,
                                  "More than " + std::to_string(MaxLocalRedirects) +
                                      " local redirections in a row.");
            header = CgiPageHeader(CgiReplyHeaderStart(connection.Version(), std::time(nullptr)),
                                   page.size(), "500 Internal Server Error");
            break;
        }
    }
    connection.DocStream = std::make_unique<THttpMemoryStream>(header + page);
    connection.SendDocStream();
}

std::string TWebServer::RunOnce(THttpConnection& connection, const TScriptCall& call,
                                std::string& header, std::string& page) {
    const TCgiTarget& target = call.Target;
    const bool isPost = call.IsPost;
    const std::string& path = target.Path;
    const std::string& scriptFile = target.File;
    const std::string interp = CgiInterpreterName(scriptFile);
    const std::string start = CgiReplyHeaderStart(connection.Version(), std::time(nullptr));
    const bool logErrors = Logging(&TWebLogging::Errors);
    std::string redirect;
    if (ConsoleBusy()) {
        // Whatever runs there was started by a person (a debugging session, a module
        // install): a request never ends it. The browser may try again later.
        page = CgiBusyPage(interp, scriptFile);
        header = CgiPageHeader(start + "Retry-After: " + std::to_string(BusyRetrySeconds) + "\r\n",
                               page.size(), "503 Service Unavailable");
        if (logErrors)
            WriteLogLine(isPost
                             ? "**WEB ERROR:  Korvane console is busy " + path
                             : "**WEB ERROR:  Korvane console busy when trying to access " + path);
    } else {
        const TServerRequestVars server = ServerVars(connection, call);
        TCgiRequest request;
        request.ScriptFile = scriptFile;
        request.IsPost = isPost;
        request.ContentType = isPost ? connection.RequestHeader().RequestContentType : "";
        request.QueryString = call.Query;
        request.Body = call.Body;
        request.Server = &server;
        const TCgiOutput output = ExecuteFileName(request);
        if (output.Output.empty() || output.TimedOut || output.TooLarge) {
            std::vector<std::string> errors = output.ErrorLines;
            if (output.TimedOut)
                errors.push_back("Stopped after " + std::to_string(CgiTimeoutValue) +
                                 " seconds, the CGI time limit.");
            if (output.TooLarge)
                errors.push_back("Stopped: the reply grew past " +
                                 std::to_string(output.ReplyLimit / (1024 * 1024)) +
                                 " MiB, the most a script may send.");
            const std::string errorText = JoinLines(errors);
            page = CgiErroredPage(interp, scriptFile, TextToHtmlText(errorText));
            header = CgiPageHeader(start, page.size(), "500 Internal Server Error");
            if (logErrors)
                WriteLogLine(isPost ? "**WEB ERROR:  Program errored or timed out: " + path
                                    : "**WEB ERROR:  Program errored or timed out in " + path +
                                          " with message..." + errorText);
        } else {
            TCgiReply reply = BuildCgiReply(start, output.Output, interp, scriptFile);
            if (reply.NoHeader && logErrors)
                WriteLogLine("**WEB ERROR:  Program has no Content-Type header for file " + path);
            header = std::move(reply.Header);
            page = std::move(reply.Body);
            redirect = std::move(reply.LocalRedirect);
        }
    }
    if (Logging(isPost ? &TWebLogging::Post : &TWebLogging::Get)) {
        const std::string indent = isPost ? "          " : "         ";
        WriteLogLine((isPost ? "**WEB POST:  Web Path: " : "**WEB GET:  Web Path: ") + path);
        WriteLogLine(indent + ": File Path: " + scriptFile);
        WriteLogLine(indent + ":    Params: " + call.Query);
        WriteLogLine(indent + ":      Head: " + header);
        WriteLogLine(indent + ":      Body: " + page);
    }
    return redirect;
}

// ---------------------------------------------------------------------------------------------
// the project file

void TWebServer::SaveToStream(TSectionList& stream) const {
    stream.BeginSection("Web Server");
    stream.WriteFlag(StartedValue);
    stream.WriteStr(Project.RelativePath(RootPath));
    stream.WriteStr(DefaultDoc);
    stream.WriteStr(Port);
    stream.WriteStr(Project.RelativePath(CgiBinPathValue));
    stream.WriteStr(LogicalCgiBinPathValue);
    stream.WriteFlag(CgiBinPathValue.empty());
    stream.WriteInt(CgiTimeoutValue);
    stream.EndSection();
}

void TWebServer::LoadFromStream(TSectionList& stream) {
    stream.BeginSection("Web Server");
    if (stream.AtEnd()) {
        stream.EndSection();
        return;
    }
    Stop();
    const bool started = stream.ReadFlag();
    const std::string root = stream.ReadStr();
    RootPath = root.empty() ? std::string() : Project.AbsolutePath(root);
    DefaultDoc = stream.ReadStr();
    Port = stream.ReadStr();
    const std::string cgiBin = stream.ReadStr();
    LogicalCgiBinPathValue = stream.ReadStr();
    const bool cgiBinEmpty = stream.ReadFlag();
    if (!cgiBin.empty())
        CgiBinPathValue = Project.AbsolutePath(cgiBin);
    else
        setCgiBinpath(cgiBinEmpty ? std::string() : Project.AbsolutePath(""));
    const std::int32_t timeout = stream.ReadInt();
    setCgiTimeout(timeout == 0 ? DefaultCgiTimeout : timeout);
    stream.EndSection();
    // Started last, with every setting in place. A server that cannot start does not stop
    // the rest of the project from loading.
    if (!started) return;
    try {
        Start();
    } catch (const handledException& e) {
        CurrentPrompt().Inform(PromptKind::Error, e.what());
    }
}

} // namespace korvane
