#pragma once
// The TCP socket layer under the HTTP server and the FTP client: non-blocking POSIX sockets
// whose readiness arrives on the UI thread through QSocketNotifier, so every event below is
// raised on that one thread. Failures are reported through events and error numbers
// (errno values), never by throwing to the owner, except Listen, which throws SocketError.
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

class QSocketNotifier;

namespace korvane {

class SocketError : public std::runtime_error {
public:
    SocketError(int error, const std::string& context);
    int Error() const { return Code; }

private:
    int Code;
};

class TWSocket : public QObject {
    Q_OBJECT
public:
    enum class State { Closed, Resolving, Connecting, Connected, Listening };

    explicit TWSocket(QObject* parent = nullptr);
    ~TWSocket() override; // aborts

    State GetState() const;

    // --- client side ---
    // Asynchronous, cancellable name resolution; raises DnsLookupDone.
    void ResolveHost(const std::string& host);
    void CancelDnsLookup();
    std::string ResolvedAddress() const; // the first address found
    // Starts a non-blocking connect to a numeric address, optionally bound to a local address
    // ("" or "0.0.0.0" for any); raises SessionConnected with 0 or an error number.
    void Connect(const std::string& address, uint16_t port, const std::string& localAddress = {});

    // --- server side ---
    // Listens on a numeric address and port (0: any free port). Throws SocketError, for
    // example with EADDRINUSE.
    void Listen(const std::string& address, uint16_t port, int backlog = 5);
    // Takes one pending connection after SessionAvailable; nullptr when there was none.
    std::unique_ptr<TWSocket> Accept(QObject* parent = nullptr);

    std::string LocalAddress() const;
    uint16_t LocalPort() const;
    std::string PeerAddress() const;
    uint16_t PeerPort() const;

    // --- receiving ---
    // In line mode DataAvailable is replaced by LineReceived for each complete line (line end
    // included). A line longer than LineLimit bytes raises LineLimitExceeded and is dropped.
    void SetLineMode(bool on);
    void SetLineEnd(const std::string& lineEnd); // default "\r\n"
    void SetLineLimit(size_t bytes);             // default 65,536
    // Raw receive: what has arrived, up to maxBytes; "" when nothing is waiting.
    std::string Receive(size_t maxBytes = 65536);
    // Stops or resumes reading from the socket (flow control for a peer that sends too much).
    void SetReceivePaused(bool paused);

    // --- sending ---
    // Queues bytes; DataSent is raised once the whole queue has been written.
    void Send(const char* data, size_t size);
    void Send(const std::string& data) { Send(data.data(), data.size()); }
    size_t QueuedBytes() const;
    // Closes the sending direction once the queue is written (HTTP/1.0 reply done).
    void ShutdownSend();
    // Closes once the queue is written; SessionClosed follows.
    void CloseDelayed();
    // Closes at once, discarding the queue; no SessionClosed event.
    void Abort();
    void SetLinger(bool on, int seconds);

    // Runs notice later on this thread, after the current event has returned.
    void PostNotice(std::function<void()> notice);

    static std::string ErrorText(int error);

signals:
    void DnsLookupDone(int error);
    void SessionConnected(int error);
    void SessionAvailable();
    void DataAvailable();
    void LineReceived(const std::string& line);
    void LineLimitExceeded();
    void DataSent();
    void SessionClosed(int error);

private:
    // Members are the implementation's own.
};

} // namespace korvane
