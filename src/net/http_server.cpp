#include "net/http_server.h"

#include "net/epoll_event_dispatcher.h"
#include "net/http_text.h"

#include <QSocketNotifier>

#include <algorithm>

namespace korvane {

const std::string THttpServer::TooBusyReply =
    "HTTP/1.0 503 Service Unavailable\r\nContent-type: text/plain\r\nContent-length: 33\r\n\r\n"
    "Server overloaded. Retry later.\r\n";

THttpServer::THttpServer(QObject* parent) : QObject(parent) {
    connect(&SilenceCheck, &QTimer::timeout, this, [this] { DropSilentClients(); });
    WSocketServer.Name = "HttpServer";
    WSocketServer.ClientClass = [this]() -> std::unique_ptr<TWSocketClient> {
        return ClientClass();
    };
    WSocketServer.OnClientConnect = [this](TWSocketServer&, TWSocketClient& client, int error) {
        auto& connection = static_cast<THttpConnection&>(client);
        PrepareConnection(connection);
        if (OnClientConnect) OnClientConnect(*this, connection, error);
    };
    WSocketServer.OnClientDisconnect = [this](TWSocketServer&, TWSocketClient& client, int error) {
        if (OnClientDisconnect)
            OnClientDisconnect(*this, static_cast<THttpConnection&>(client), error);
    };
}

THttpServer::~THttpServer() = default;

void THttpServer::DropSilentClients() {
    const auto now = std::chrono::steady_clock::now();
    for (int i = ClientCount() - 1; i >= 0; --i) {
        THttpConnection* client = Client(i);
        if (client->Silent(now, IdleTimeoutMs, RequestTimeoutMs)) client->Socket().CloseDelayed();
    }
}

THttpConnection* THttpServer::Client(int index) const {
    return static_cast<THttpConnection*>(WSocketServer.Client(index));
}

void THttpServer::Start() {
    if (Listening()) return;
    WSocketServer.Addr = AddrValue;
    WSocketServer.Port = PortValue;
    WSocketServer.MaxClients = MaxClients;
    WSocketServer.ListenBacklog = ListenBacklog;
    WSocketServer.Banner.clear();
    WSocketServer.BannerTooBusy = TooBusyReply;
    WSocketServer.LingerSet = LingerSet;
    WSocketServer.LingerOnOff = LingerOnOff;
    WSocketServer.LingerTimeout = LingerTimeout;
    // Each reply leaves in one write, or a header and a file: neither part should wait.
    WSocketServer.NoDelay = true;
    WSocketServer.Listen();
    const std::string root(TrimRoot(DocDir));
    if (!DocRoot || DocRoot->Root() != root) UseDocRoot(root);
    // Looked at several times per limit, so a client goes soon after its time is up.
    SilenceCheck.start(std::max(10, std::min(IdleTimeoutMs, RequestTimeoutMs) / 5));
    if (OnServerStarted) OnServerStarted(*this);
}

void THttpServer::Stop() {
    SilenceCheck.stop();
    if (Listening()) {
        WSocketServer.Close();
        if (OnServerStopped) OnServerStopped(*this);
    }
    WSocketServer.AbortClients();
}

void THttpServer::SetAddr(const std::string& addr) {
    if (addr == AddrValue) return;
    AddrValue = addr;
    if (Listening()) {
        WSocketServer.Close();
        Start();
    }
}

void THttpServer::SetPort(const std::string& port) {
    if (port == PortValue) return;
    PortValue = port;
    if (Listening()) {
        WSocketServer.Close();
        Start();
    }
}

void THttpServer::UseDocRoot(const std::string& root) {
    ChangeNotices.reset();
    DocRoot = std::make_shared<THttpDocRoot>(root);
    // On the epoll loop the root's change notices are taken before the requests of the same
    // wake-up, so cached files need no question to the kernel per request. Other loops make
    // no such promise.
    auto* loop = qobject_cast<TEpollEventDispatcher*>(QAbstractEventDispatcher::instance());
    const int fd = loop ? DocRoot->ChangeNoticeFd() : -1;
    if (fd < 0) return;
    ChangeNotices = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    THttpDocRoot* notified = DocRoot.get();
    connect(ChangeNotices.get(), &QSocketNotifier::activated, this,
            [notified] { notified->TakeChangeNotices(); });
    loop->HandleFirst(ChangeNotices.get());
    DocRoot->SetChangeNoticesTrusted(true);
}

void THttpServer::PrepareConnection(THttpConnection& client) {
    client.DocDir = DocDir;
    const std::string root(TrimRoot(DocDir));
    if (!DocRoot || DocRoot->Root() != root) UseDocRoot(root);
    client.DocRoot = DocRoot;
    client.DefaultDoc = DefaultDoc;
    client.Options = Options;
    client.ServerPort = PortValue;
    client.OnGetDocument = [this](THttpConnection& c, THttpGetFlag& flags) {
        if (OnGetDocument) OnGetDocument(*this, c, flags);
    };
    client.OnHeadDocument = [this](THttpConnection& c, THttpGetFlag& flags) {
        if (OnHeadDocument) OnHeadDocument(*this, c, flags);
    };
    client.OnPostDocument = [this](THttpConnection& c, THttpGetFlag& flags) {
        if (OnPostDocument) OnPostDocument(*this, c, flags);
    };
    if (OnPostedData)
        client.OnPostedData = [this](THttpConnection& c, int error) {
            OnPostedData(*this, c, error);
        };
    client.OnHttpRequestDone = [this](THttpConnection& c) {
        if (OnHttpRequestDone) OnHttpRequestDone(*this, c);
    };
    client.OnBeforeProcessRequest = [this](THttpConnection& c) {
        if (OnBeforeProcessRequest) OnBeforeProcessRequest(*this, c);
    };
    client.OnFilterDirEntry = [this](THttpConnection& c, THttpDirEntry& entry) {
        if (OnFilterDirEntry) OnFilterDirEntry(*this, c, entry);
    };
}

} // namespace korvane
