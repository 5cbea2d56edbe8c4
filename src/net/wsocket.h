#pragma once
// The TCP socket layer under the HTTP server and the FTP client: non-blocking POSIX sockets
// whose readiness arrives on the UI thread through QSocketNotifier, so every event below is
// raised on that one thread. Failures are reported through events and error numbers
// (errno values), never by throwing to the owner, except Listen, which throws SocketError.
#include <QObject>

#include <sys/socket.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

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
    const std::string& GetLineEnd() const { return LineEnd; }
    bool GetLineMode() const { return LineMode; }
    void SetLineLimit(size_t bytes); // default 65,536
    // Raw receive: what has arrived, up to maxBytes; "" when nothing is waiting.
    std::string Receive(size_t maxBytes = 65536);
    // What has arrived, read in place: valid until the next call on this socket. An owner that
    // parses the bytes where they lie says with DiscardInput how many it has used.
    std::string_view PeekInput() const { return std::string_view(InBuffer).substr(InStart); }
    void DiscardInput(size_t count);
    // When bytes last arrived (the accept, for a connection that has sent nothing), and how
    // many wait unread, so an owner can drop a client that has gone silent.
    std::chrono::steady_clock::time_point LastReceived() const { return LastReceivedAt; }
    size_t BufferedInput() const { return Buffered(); }
    // Stops or resumes reading from the socket and handing over what is buffered (flow
    // control, and holding a pipelined request until the reply before it is out).
    void SetReceivePaused(bool paused);

    // --- sending ---
    // Queues bytes; DataSent is raised once the whole queue has been written.
    void Send(const char* data, size_t size);
    void Send(const std::string& data) { Send(data.data(), data.size()); }
    void Send(std::string&& data);
    // Queues count bytes of shared storage from offset, sent from there without a copy.
    void SendShared(std::shared_ptr<const std::string> bytes, size_t offset, size_t count);
    size_t QueuedBytes() const;
    // Bytes the peer has not yet taken: QueuedBytes plus what the system still holds unsent or
    // unacknowledged. Lets an owner see a slow transfer move after the queue here is empty.
    size_t UnsentBytes() const;
    // Closes the sending direction once the queue is written (HTTP/1.0 reply done).
    void ShutdownSend();
    // Closes once the queue is written; SessionClosed follows.
    void CloseDelayed();
    // Closes at once, discarding the queue; no SessionClosed event.
    void Abort();
    void SetLinger(bool on, int seconds);
    // Sends each write at once instead of holding small ones back while earlier bytes are
    // unacknowledged (TCP_NODELAY): for a peer that waits for each reply before it asks again.
    void SetNoDelay(bool on);

    // Runs notice later on this thread, after the current event has returned.
    void PostNotice(std::function<void()> notice);
    // With deferred work on, what a handler of one of this socket's events causes on it
    // (notices, flushing queued sends, the read notifier's state) is done as that event returns,
    // without a round through the event loop. Only for owners that never wait for this socket
    // inside one of its own events: such a wait would see nothing sent.
    void SetDeferredWork(bool on) { DeferWork = on; }

    // Queues count bytes of an open file from offset; they go out with sendfile, never through
    // memory. The descriptor is duplicated, so the caller may close its own at once.
    void SendFile(int fileFd, off_t offset, size_t count);

    static std::string ErrorText(int error);

    // Error number of a name that does not resolve (DnsLookupDone).
    static constexpr int HostNotFoundError = 11001;
    // A peer that sends faster than the owner calls Receive is paused at this many buffered bytes.
    static constexpr size_t RawBufferLimit = 1 << 20;
    // Bytes taken from the system by one read.
    static constexpr size_t ReadChunkSize = 64 * 1024;

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
    // The bound address and port, from the system.
    std::pair<std::string, uint16_t> LocalEndpoint() const;
    TWSocket(int acceptedFd, const sockaddr_storage& peer, QObject* parent);
    void Attach(int fd);
    // Takes one waiting connection and closes it, when the process is out of descriptors.
    static void TurnAwayPending(int listenFd);
    void OpenSocket(int family);
    void CloseSocket();
    void CloseWithEvent(int error);
    void ApplyLinger();
    void UpdateReadNotifier();
    // Switches the wait for room to write on or off.
    void WaitUntilWritable(bool wait);
    bool WaitingUntilWritable() const;
    void SyncReadNotifier();
    // Runs one event of this socket and then the work its handlers deferred.
    template <typename Handler> void RunEvent(const Handler& handler);
    void RunDeferred();
    void OnReadable();
    void OnWritable();
    void ProcessInput();
    // Whether size bytes can be queued now (connected or connecting, something to send).
    bool TakesSends(size_t size) const;
    // Counts size newly queued bytes and has them written once the current event is done.
    void Queued(size_t size);
    void ScheduleFlush();
    void Flush();
    // Writes what the socket takes; false when the session ended with an error.
    bool WriteQueue(int& error);
    size_t Buffered() const { return InBuffer.size() - InStart; }
    void ConsumeInput(size_t count);

    struct Chunk {
        std::string Bytes;                         // memory chunk, sent from Offset on
        std::shared_ptr<const std::string> Shared; // a shared chunk: Offset to End of these
        size_t Offset = 0;
        size_t End = 0;
        int FileFd = -1; // file chunk: FileRemaining bytes from FileOffset
        off_t FileOffset = 0;
        size_t FileRemaining = 0;

        // The unsent bytes of a memory or shared chunk.
        const char* Unsent() const { return (Shared ? Shared->data() : Bytes.data()) + Offset; }
        size_t UnsentSize() const { return (Shared ? End : Bytes.size()) - Offset; }
        // A memory chunk that later sends may be appended to.
        bool Appendable() const { return FileFd < 0 && !Shared && Bytes.size() < ReadChunkSize; }
    };

    int Fd = -1;
    State CurrentState = State::Closed;
    std::chrono::steady_clock::time_point LastReceivedAt = std::chrono::steady_clock::now();
    QSocketNotifier* ReadNotifier = nullptr;
    QSocketNotifier* WriteNotifier = nullptr;
    std::string InBuffer;
    size_t InStart = 0;
    bool LineMode = false;
    std::string LineEnd = "\r\n";
    size_t LineLimit = 65536;
    bool ReceivePaused = false;
    bool PeerClosed = false;
    std::deque<Chunk> SendQueue;
    size_t QueuedCount = 0;
    bool FlushScheduled = false;
    bool InFlush = false;
    bool ShutdownPending = false;
    bool CloseWhenDrained = false;
    bool LingerSet = false;
    bool LingerOn = false;
    int LingerSeconds = 0;
    bool DeferWork = false;
    int EventDepth = 0; // socket events (and deferred passes) running on the stack
    std::deque<std::function<void()>> Deferred;
    int LookupId = -1;
    unsigned LookupSerial = 0; // answers of cancelled lookups are recognised by it
    std::string Resolved;
    std::string PeerAddr;
    uint16_t PeerPortNumber = 0;
};

} // namespace korvane
