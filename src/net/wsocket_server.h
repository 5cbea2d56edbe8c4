#pragma once
// A listening socket that accepts clients into objects of an owner-chosen class, keeps them in
// a list in order of acceptance, and turns away clients beyond MaxClients with a banner.
#include "net/wsocket.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvane {

class TWSocketServer;

// Base of every accepted connection.
class TWSocketClient : public QObject {
    Q_OBJECT
public:
    TWSocketClient();
    ~TWSocketClient() override;

    TWSocket& Socket() { return *Sock; }
    bool Connected() const { return Sock && Sock->GetState() == TWSocket::State::Connected; }
    TWSocketServer* Server() const { return OwnerServer; }
    const std::string& Name() const { return ClientName; }
    // Captured at accept time, so they stay readable after the socket has closed.
    const std::string& PeerAddr() const { return PeerAddress; }
    const std::string& PeerPort() const { return PeerPortText; }
    // True for a client turned away as too busy: it gets the banner and nothing else.
    bool TurnedAway() const { return TooBusy; }

    std::string Banner;

protected:
    // Called once the socket is attached, before the server announces the client.
    virtual void ClientAttached() {}

private:
    friend class TWSocketServer;
    std::unique_ptr<TWSocket> Sock;
    TWSocketServer* OwnerServer = nullptr;
    std::string ClientName;
    std::string PeerAddress;
    std::string PeerPortText;
    bool TooBusy = false;
};

class TWSocketServer : public QObject {
    Q_OBJECT
public:
    using TClientFactory = std::function<std::unique_ptr<TWSocketClient>()>;

    explicit TWSocketServer(QObject* parent = nullptr);
    ~TWSocketServer() override;

    std::string Addr = "0.0.0.0";
    std::string Port = "0";
    std::string Name = "WSocketServer";
    int ListenBacklog = 5;
    int MaxClients = 0; // 0: no limit
    std::string Banner;
    std::string BannerTooBusy;
    bool LingerSet = false; // socket default kept unless set
    bool LingerOnOff = false;
    int LingerTimeout = 0;
    // Accepted connections send each write at once (TCP_NODELAY, which they take over from
    // the listening socket without a system call of their own).
    bool NoDelay = false;
    TClientFactory ClientClass = [] { return std::make_unique<TWSocketClient>(); };

    // Throws SocketError when the address or port cannot be had.
    void Listen();
    bool Listening() const { return Listener.GetState() == TWSocket::State::Listening; }
    void Close();
    // Aborts every client, the most recently accepted first; each is announced as disconnected.
    void AbortClients();
    uint16_t LocalPort() const { return Listener.LocalPort(); }

    int ClientCount() const { return static_cast<int>(Clients.size()); }
    TWSocketClient* Client(int index) const { return Clients.at(static_cast<size_t>(index)).get(); }
    unsigned long AcceptedCount() const { return Counter; }

    std::function<void(TWSocketServer& sender, TWSocketClient& client)> OnClientCreate;
    std::function<void(TWSocketServer& sender, TWSocketClient& client, int error)> OnClientConnect;
    std::function<void(TWSocketServer& sender, TWSocketClient& client, int error)>
        OnClientDisconnect;

    // How long a turned-away client may take to hang up before it is cut off.
    static constexpr int TooBusyGraceMs = 5000;

private:
    void AcceptPending();
    void AcceptOne(std::unique_ptr<TWSocket> socket);
    void ClientClosed(TWSocketClient* client, int error);
    void Release(std::unique_ptr<TWSocketClient> client, int error);

    TWSocket Listener;
    std::vector<std::unique_ptr<TWSocketClient>> Clients;
    unsigned long Counter = 0;
};

} // namespace korvane
