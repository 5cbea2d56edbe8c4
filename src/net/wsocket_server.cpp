#include "net/wsocket_server.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <charconv>

namespace korvane {

namespace {
// Connections taken per readiness event, so a flood of connects cannot starve the others.
constexpr int AcceptBurst = 64;
} // namespace

TWSocketClient::TWSocketClient() = default;
TWSocketClient::~TWSocketClient() = default;

TWSocketServer::TWSocketServer(QObject* parent) : QObject(parent) {
    connect(&Listener, &TWSocket::SessionAvailable, this, [this] { AcceptPending(); });
}

TWSocketServer::~TWSocketServer() {
    Listener.Abort();
    // Clients die with the server; owners hear nothing more from a server being destroyed.
    for (auto& client : Clients)
        client->Sock->Abort();
}

void TWSocketServer::Listen() {
    unsigned port = 0;
    const auto [end, error] = std::from_chars(Port.data(), Port.data() + Port.size(), port);
    if (error != std::errc() || end != Port.data() + Port.size() || port > 65535)
        throw SocketError(EINVAL, "port \"" + Port + "\"");
    Listener.Listen(Addr, static_cast<uint16_t>(port), ListenBacklog);
    if (NoDelay) Listener.SetNoDelay(true);
}

void TWSocketServer::Close() {
    Listener.Abort();
}

void TWSocketServer::AbortClients() {
    while (!Clients.empty()) {
        std::unique_ptr<TWSocketClient> client = std::move(Clients.back());
        Clients.pop_back();
        client->Sock->Abort();
        Release(std::move(client), 0);
    }
}

void TWSocketServer::AcceptPending() {
    for (int i = 0; i < AcceptBurst && Listening(); ++i) {
        std::unique_ptr<TWSocket> socket = Listener.Accept();
        if (!socket) return;
        AcceptOne(std::move(socket));
    }
}

void TWSocketServer::AcceptOne(std::unique_ptr<TWSocket> socket) {
    ++Counter;
    std::unique_ptr<TWSocketClient> owned = ClientClass();
    TWSocketClient* client = owned.get();
    client->Sock = std::move(socket);
    client->Sock->setParent(nullptr);
    client->OwnerServer = this;
    client->ClientName = Name + "Client" + std::to_string(Counter);
    client->Banner = Banner;
    client->PeerAddress = client->Sock->PeerAddress();
    client->PeerPortText = std::to_string(client->Sock->PeerPort());
    if (LingerSet) client->Sock->SetLinger(LingerOnOff, LingerTimeout);
    connect(client->Sock.get(), &TWSocket::SessionClosed, this,
            [this, client](int error) { ClientClosed(client, error); });
    Clients.push_back(std::move(owned));
    if (OnClientCreate) OnClientCreate(*this, *client);
    client->ClientAttached();
    QPointer<TWSocketClient> alive(client);
    if (OnClientConnect) OnClientConnect(*this, *client, 0);
    if (!alive || !client->Connected()) return;
    const bool listed = std::any_of(Clients.begin(), Clients.end(),
                                    [client](const auto& c) { return c.get() == client; });
    if (!listed) return;
    TWSocket& sock = client->Socket();
    if (MaxClients > 0 && ClientCount() > MaxClients) {
        client->TooBusy = true;
        client->Banner = BannerTooBusy;
        sock.Send(client->Banner + sock.GetLineEnd());
        // Shut down our side and wait for the client to hang up: closing with its request
        // unread would reset the connection and could destroy the reply before it is read.
        sock.ShutdownSend();
        QTimer::singleShot(TooBusyGraceMs, client, [client] { client->Socket().CloseDelayed(); });
        return;
    }
    if (!client->Banner.empty()) sock.Send(client->Banner + sock.GetLineEnd());
}

void TWSocketServer::ClientClosed(TWSocketClient* client, int error) {
    const auto it = std::find_if(Clients.begin(), Clients.end(),
                                 [client](const auto& c) { return c.get() == client; });
    if (it == Clients.end()) return;
    std::unique_ptr<TWSocketClient> owned = std::move(*it);
    Clients.erase(it);
    Release(std::move(owned), error);
}

void TWSocketServer::Release(std::unique_ptr<TWSocketClient> client, int error) {
    if (OnClientDisconnect) OnClientDisconnect(*this, *client, error);
    // Never freed inside its own event: the event loop frees it once the event has returned.
    client.release()->deleteLater();
}

} // namespace korvane
