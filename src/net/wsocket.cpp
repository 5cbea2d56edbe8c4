#include "net/wsocket.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/uio.h>
#include <unistd.h>

namespace korvane {

namespace {

constexpr int MaxIov = 16;
// One sendfile moves at most this much: between pieces the socket is let go, so the peer's
// acknowledgements are taken in while the file streams instead of after all of it.
constexpr size_t SendFileStep = 1024 * 1024;
// Rounds of "queue written" handled inside one flush before yielding to other sockets.
constexpr int FlushRounds = 8;
// Deferred notices run after one event before the rest waits for the next loop pass.
constexpr int DeferredRounds = 64;

bool ParseAddress(const std::string& text, uint16_t port, sockaddr_storage& out, socklen_t& len) {
    std::memset(&out, 0, sizeof out);
    const std::string host = text.empty() ? "0.0.0.0" : text;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&out);
    if (inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        len = sizeof(sockaddr_in);
        return true;
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&out);
    if (inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(port);
        len = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

void DescribeAddress(const sockaddr_storage& address, std::string& text, uint16_t& port) {
    char buffer[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
        inet_ntop(AF_INET, &v4->sin_addr, buffer, sizeof buffer);
        port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        inet_ntop(AF_INET6, &v6->sin6_addr, buffer, sizeof buffer);
        port = ntohs(v6->sin6_port);
    } else {
        port = 0;
    }
    text = buffer;
}

// sendfile raises SIGPIPE on a socket the peer has reset. While one of these lives, the signal
// is blocked, and one that a sendfile of ours produced is swallowed; the process keeps the
// default disposition for its children and for everyone else.
class TQuietPipe {
public:
    TQuietPipe() {
        sigemptyset(&PipeOnly);
        sigaddset(&PipeOnly, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &PipeOnly, &Previous);
        sigset_t pending;
        sigpending(&pending);
        WasPending = sigismember(&pending, SIGPIPE) == 1;
    }
    ~TQuietPipe() { pthread_sigmask(SIG_SETMASK, &Previous, nullptr); }
    TQuietPipe(const TQuietPipe&) = delete;
    TQuietPipe& operator=(const TQuietPipe&) = delete;

    ssize_t SendFile(int socketFd, int fileFd, off_t* offset, size_t count) {
        const ssize_t sent = sendfile(socketFd, fileFd, offset, count);
        const int savedErrno = errno;
        if (sent < 0 && savedErrno == EPIPE && !WasPending) {
            const timespec noWait{0, 0};
            sigtimedwait(&PipeOnly, nullptr, &noWait);
        }
        errno = savedErrno;
        return sent;
    }

private:
    sigset_t PipeOnly;
    sigset_t Previous;
    bool WasPending = false;
};

} // namespace

SocketError::SocketError(int error, const std::string& context)
    : std::runtime_error(context + ": " + TWSocket::ErrorText(error)), Code(error) {}

TWSocket::TWSocket(QObject* parent) : QObject(parent) {}

TWSocket::TWSocket(int acceptedFd, const sockaddr_storage& peer, QObject* parent)
    : QObject(parent) {
    Attach(acceptedFd);
    CurrentState = State::Connected;
    DescribeAddress(peer, PeerAddr, PeerPortNumber);
}

TWSocket::~TWSocket() {
    CancelDnsLookup();
    Abort();
}

TWSocket::State TWSocket::GetState() const {
    return CurrentState;
}

std::string TWSocket::ErrorText(int error) {
    if (error == HostNotFoundError) return "Host not found";
    return std::strerror(error);
}

// ---------------------------------------------------------------------------------------------
// descriptors and notifiers

void TWSocket::Attach(int fd) {
    Fd = fd;
    ReadNotifier = new QSocketNotifier(Fd, QSocketNotifier::Read, this);
    connect(ReadNotifier, &QSocketNotifier::activated, this,
            [this] { RunEvent([this] { OnReadable(); }); });
    ApplyLinger();
}

void TWSocket::WaitUntilWritable(bool wait) {
    // Made on first need: most connections write everything at once and never wait.
    if (!WriteNotifier) {
        if (!wait || Fd < 0) return;
        WriteNotifier = new QSocketNotifier(Fd, QSocketNotifier::Write, this);
        connect(WriteNotifier, &QSocketNotifier::activated, this,
                [this] { RunEvent([this] { OnWritable(); }); });
        return;
    }
    WriteNotifier->setEnabled(wait);
}

bool TWSocket::WaitingUntilWritable() const {
    return WriteNotifier && WriteNotifier->isEnabled();
}

void TWSocket::OpenSocket(int family) {
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) throw SocketError(errno, "socket");
    Attach(fd);
}

void TWSocket::CloseSocket() {
    delete ReadNotifier;
    ReadNotifier = nullptr;
    delete WriteNotifier;
    WriteNotifier = nullptr;
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
    for (Chunk& chunk : SendQueue)
        if (chunk.FileFd >= 0) ::close(chunk.FileFd);
    SendQueue.clear();
    QueuedCount = 0;
    ShutdownPending = false;
    CloseWhenDrained = false;
    CurrentState = State::Closed;
}

void TWSocket::CloseWithEvent(int error) {
    if (Fd < 0) return;
    CloseSocket();
    emit SessionClosed(error);
}

void TWSocket::ApplyLinger() {
    if (Fd < 0 || !LingerSet) return;
    linger value{LingerOn ? 1 : 0, LingerSeconds};
    setsockopt(Fd, SOL_SOCKET, SO_LINGER, &value, sizeof value);
}

void TWSocket::SetLinger(bool on, int seconds) {
    LingerSet = true;
    LingerOn = on;
    LingerSeconds = seconds;
    ApplyLinger();
}

void TWSocket::SetNoDelay(bool on) {
    const int value = on ? 1 : 0;
    if (Fd >= 0) setsockopt(Fd, IPPROTO_TCP, TCP_NODELAY, &value, sizeof value);
}

void TWSocket::UpdateReadNotifier() {
    // Inside an event the state settles once, when the event returns: pausing and resuming
    // around one request then costs nothing.
    if (DeferWork && EventDepth > 0) return;
    SyncReadNotifier();
}

void TWSocket::SyncReadNotifier() {
    if (!ReadNotifier) return;
    const bool listening = CurrentState == State::Listening;
    const bool wanted = listening || (CurrentState == State::Connected && !PeerClosed &&
                                      !ReceivePaused && Buffered() < RawBufferLimit);
    ReadNotifier->setEnabled(wanted);
}

// ---------------------------------------------------------------------------------------------
// client side

void TWSocket::ResolveHost(const std::string& host) {
    CancelDnsLookup();
    Resolved.clear();
    sockaddr_storage numeric;
    socklen_t len;
    if (ParseAddress(host, 0, numeric, len) && !host.empty()) {
        Resolved = host;
        PostNotice([this] { emit DnsLookupDone(0); });
        return;
    }
    CurrentState = State::Resolving;
    const unsigned serial = ++LookupSerial;
    LookupId = QHostInfo::lookupHost(
        QString::fromStdString(host), this, [this, serial](const QHostInfo& info) {
            if (serial != LookupSerial) return; // cancelled (a cached answer may still arrive)
            LookupId = -1;
            if (CurrentState == State::Resolving) CurrentState = State::Closed;
            const QList<QHostAddress> addresses = info.addresses();
            if (info.error() != QHostInfo::NoError || addresses.isEmpty()) {
                emit DnsLookupDone(info.error() == QHostInfo::HostNotFound || addresses.isEmpty()
                                       ? HostNotFoundError
                                       : EIO);
                return;
            }
            // Prefer IPv4: servers on loopback and most hosts of users listen there.
            QHostAddress chosen = addresses.first();
            for (const QHostAddress& address : addresses)
                if (address.protocol() == QAbstractSocket::IPv4Protocol) {
                    chosen = address;
                    break;
                }
            Resolved = chosen.toString().toStdString();
            emit DnsLookupDone(0);
        });
}

void TWSocket::CancelDnsLookup() {
    if (LookupId >= 0) QHostInfo::abortHostLookup(LookupId);
    LookupId = -1;
    ++LookupSerial;
    if (CurrentState == State::Resolving) CurrentState = State::Closed;
}

std::string TWSocket::ResolvedAddress() const {
    return Resolved;
}

void TWSocket::Connect(const std::string& address, uint16_t port, const std::string& localAddress) {
    Abort();
    PeerClosed = false;
    InBuffer.clear();
    InStart = 0;
    sockaddr_storage remote;
    socklen_t remoteLen;
    if (!ParseAddress(address, port, remote, remoteLen) || address.empty()) {
        PostNotice([this] { emit SessionConnected(EINVAL); });
        return;
    }
    int error = 0;
    try {
        OpenSocket(remote.ss_family);
    } catch (const SocketError& e) {
        error = e.Error();
    }
    if (!error && !localAddress.empty() && localAddress != "0.0.0.0") {
        sockaddr_storage local;
        socklen_t localLen;
        if (!ParseAddress(localAddress, 0, local, localLen) || local.ss_family != remote.ss_family)
            error = EINVAL;
        else if (::bind(Fd, reinterpret_cast<sockaddr*>(&local), localLen) != 0)
            error = errno;
    }
    if (!error && ::connect(Fd, reinterpret_cast<sockaddr*>(&remote), remoteLen) != 0 &&
        errno != EINPROGRESS)
        error = errno;
    if (error) {
        CloseSocket();
        PostNotice([this, error] { emit SessionConnected(error); });
        return;
    }
    PeerAddr = address;
    PeerPortNumber = port;
    CurrentState = State::Connecting;
    ReadNotifier->setEnabled(false);
    WaitUntilWritable(true);
}

// ---------------------------------------------------------------------------------------------
// server side

namespace {

// A descriptor held back for the moment the process has no other: it lets the server take a
// waiting connection and close it at once, so the client hears no instead of hanging, and the
// listener stops reporting a connection that cannot be taken.
int ReserveFd = -1;

void KeepReserve() {
    if (ReserveFd < 0) ReserveFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

} // namespace

void TWSocket::TurnAwayPending(int listenFd) {
    if (ReserveFd < 0) return;
    ::close(ReserveFd);
    ReserveFd = -1;
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) ::close(fd);
    KeepReserve();
}

void TWSocket::Listen(const std::string& address, uint16_t port, int backlog) {
    Abort();
    KeepReserve();
    sockaddr_storage local;
    socklen_t len;
    if (!ParseAddress(address, port, local, len))
        throw SocketError(EINVAL, "listen on \"" + address + "\"");
    OpenSocket(local.ss_family);
    const int yes = 1;
    setsockopt(Fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(Fd, reinterpret_cast<sockaddr*>(&local), len) != 0 || ::listen(Fd, backlog) != 0) {
        const int error = errno;
        CloseSocket();
        throw SocketError(error, "listen on " + address + " port " + std::to_string(port));
    }
    CurrentState = State::Listening;
    UpdateReadNotifier();
}

std::unique_ptr<TWSocket> TWSocket::Accept(QObject* parent) {
    if (CurrentState != State::Listening) return nullptr;
    sockaddr_storage peer{};
    socklen_t len = sizeof peer;
    const int fd =
        ::accept4(Fd, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        if (errno == EMFILE || errno == ENFILE) TurnAwayPending(Fd);
        return nullptr;
    }
    return std::unique_ptr<TWSocket>(new TWSocket(fd, peer, parent));
}

std::pair<std::string, uint16_t> TWSocket::LocalEndpoint() const {
    sockaddr_storage local{};
    socklen_t len = sizeof local;
    std::pair<std::string, uint16_t> endpoint{{}, 0};
    if (Fd >= 0 && getsockname(Fd, reinterpret_cast<sockaddr*>(&local), &len) == 0)
        DescribeAddress(local, endpoint.first, endpoint.second);
    return endpoint;
}

std::string TWSocket::LocalAddress() const {
    return LocalEndpoint().first;
}

uint16_t TWSocket::LocalPort() const {
    return LocalEndpoint().second;
}

std::string TWSocket::PeerAddress() const {
    return PeerAddr;
}
uint16_t TWSocket::PeerPort() const {
    return PeerPortNumber;
}

// ---------------------------------------------------------------------------------------------
// receiving

void TWSocket::SetLineMode(bool on) {
    if (LineMode == on) return;
    LineMode = on;
    // Bytes already buffered are handed over in the new mode once the caller has returned.
    if (Buffered() > 0) PostNotice([this] { ProcessInput(); });
}

void TWSocket::SetLineEnd(const std::string& lineEnd) {
    if (!lineEnd.empty()) LineEnd = lineEnd;
}

void TWSocket::SetLineLimit(size_t bytes) {
    LineLimit = bytes;
}

void TWSocket::SetReceivePaused(bool paused) {
    if (ReceivePaused == paused) return;
    ReceivePaused = paused;
    UpdateReadNotifier();
    if (!paused && Buffered() > 0) PostNotice([this] { ProcessInput(); });
}

void TWSocket::ConsumeInput(size_t count) {
    InStart += count;
    if (InStart >= InBuffer.size()) {
        InBuffer.clear();
        InStart = 0;
    } else if (InStart > ReadChunkSize && InStart * 2 > InBuffer.size()) {
        InBuffer.erase(0, InStart);
        InStart = 0;
    }
}

void TWSocket::DiscardInput(size_t count) {
    ConsumeInput(std::min(count, Buffered()));
    UpdateReadNotifier();
}

std::string TWSocket::Receive(size_t maxBytes) {
    const size_t count = std::min(maxBytes, Buffered());
    std::string bytes = InBuffer.substr(InStart, count);
    ConsumeInput(count);
    UpdateReadNotifier();
    return bytes;
}

void TWSocket::OnReadable() {
    if (CurrentState == State::Listening) {
        emit SessionAvailable();
        return;
    }
    if (Fd < 0) return;
    // Read into the stack, not into a grown InBuffer: growing a string zero-fills the whole chunk.
    char chunk[ReadChunkSize];
    const ssize_t got = ::recv(Fd, chunk, sizeof chunk, 0);
    const int error = errno;
    if (got > 0) {
        InBuffer.append(chunk, static_cast<size_t>(got));
        LastReceivedAt = std::chrono::steady_clock::now();
    }
    if (got < 0) {
        if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR) return;
        QPointer<TWSocket> self(this);
        ProcessInput();
        if (self) CloseWithEvent(error);
        return;
    }
    if (got == 0) PeerClosed = true;
    UpdateReadNotifier();
    QPointer<TWSocket> self(this);
    ProcessInput();
    if (!self || Fd < 0 || !PeerClosed) return;
    // The peer will send nothing more. Whatever is still queued for it goes out first.
    if (SendQueue.empty() && !FlushScheduled)
        CloseWithEvent(0);
    else
        CloseWhenDrained = true;
}

void TWSocket::ProcessInput() {
    QPointer<TWSocket> self(this);
    while (self && LineMode && !ReceivePaused && Buffered() > 0) {
        const size_t end = InBuffer.find(LineEnd, InStart);
        if (end == std::string::npos) {
            if (Buffered() > LineLimit) {
                ConsumeInput(Buffered());
                UpdateReadNotifier();
                emit LineLimitExceeded();
            }
            return;
        }
        const size_t length = end + LineEnd.size() - InStart;
        std::string line = InBuffer.substr(InStart, length);
        ConsumeInput(length);
        emit LineReceived(line);
    }
    if (self && !LineMode && !ReceivePaused && Buffered() > 0) {
        emit DataAvailable();
        if (self) UpdateReadNotifier();
    }
}

// ---------------------------------------------------------------------------------------------
// sending

bool TWSocket::TakesSends(size_t size) const {
    return size > 0 && Fd >= 0 &&
           (CurrentState == State::Connected || CurrentState == State::Connecting);
}

void TWSocket::Queued(size_t size) {
    QueuedCount += size;
    ScheduleFlush();
}

void TWSocket::Send(const char* data, size_t size) {
    if (!TakesSends(size)) return;
    if (!SendQueue.empty() && SendQueue.back().Appendable())
        SendQueue.back().Bytes.append(data, size);
    else
        SendQueue.emplace_back().Bytes.assign(data, size);
    Queued(size);
}

void TWSocket::Send(std::string&& data) {
    const size_t size = data.size();
    if (!TakesSends(size)) return;
    if (!SendQueue.empty() && SendQueue.back().Appendable())
        SendQueue.back().Bytes.append(data);
    else
        SendQueue.emplace_back().Bytes = std::move(data);
    Queued(size);
}

void TWSocket::SendShared(std::shared_ptr<const std::string> bytes, size_t offset, size_t count) {
    if (!bytes || !TakesSends(count) || offset + count > bytes->size()) return;
    Chunk& chunk = SendQueue.emplace_back();
    chunk.Shared = std::move(bytes);
    chunk.Offset = offset;
    chunk.End = offset + count;
    Queued(count);
}

void TWSocket::SendFile(int fileFd, off_t offset, size_t count) {
    if (!TakesSends(count)) return;
    const int copy = ::fcntl(fileFd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return;
    Chunk& chunk = SendQueue.emplace_back();
    chunk.FileFd = copy;
    chunk.FileOffset = offset;
    chunk.FileRemaining = count;
    Queued(count);
}

size_t TWSocket::QueuedBytes() const {
    return QueuedCount;
}

size_t TWSocket::UnsentBytes() const {
    int pending = 0;
    if (Fd >= 0 && ::ioctl(Fd, SIOCOUTQ, &pending) == 0 && pending > 0)
        return QueuedCount + static_cast<size_t>(pending);
    return QueuedCount;
}

void TWSocket::ScheduleFlush() {
    // Sends of one event are gathered and written together once it has returned.
    if (CurrentState != State::Connected || FlushScheduled || InFlush || WaitingUntilWritable())
        return;
    FlushScheduled = true;
    PostNotice([this] {
        FlushScheduled = false;
        Flush();
    });
}

void TWSocket::OnWritable() {
    if (CurrentState == State::Connecting) {
        int error = 0;
        socklen_t len = sizeof error;
        getsockopt(Fd, SOL_SOCKET, SO_ERROR, &error, &len);
        WaitUntilWritable(false);
        if (error) {
            CloseSocket();
            emit SessionConnected(error);
            return;
        }
        CurrentState = State::Connected;
        UpdateReadNotifier();
        QPointer<TWSocket> self(this);
        emit SessionConnected(0);
        if (self && !SendQueue.empty()) Flush();
        return;
    }
    WaitUntilWritable(false);
    Flush();
}

bool TWSocket::WriteQueue(int& error) {
    std::optional<TQuietPipe> quietPipe; // once a file is sent
    while (!SendQueue.empty()) {
        Chunk& front = SendQueue.front();
        ssize_t written;
        if (front.FileFd >= 0) {
            if (!quietPipe) quietPipe.emplace();
            written = quietPipe->SendFile(Fd, front.FileFd, &front.FileOffset,
                                          std::min(front.FileRemaining, SendFileStep));
            if (written == 0) { // the file is shorter than promised
                error = EIO;
                return false;
            }
        } else {
            iovec parts[MaxIov];
            int count = 0;
            for (auto it = SendQueue.begin();
                 it != SendQueue.end() && count < MaxIov && it->FileFd < 0; ++it, ++count) {
                parts[count].iov_base = const_cast<char*>(it->Unsent());
                parts[count].iov_len = it->UnsentSize();
            }
            msghdr message{};
            message.msg_iov = parts;
            message.msg_iovlen = static_cast<size_t>(count);
            written = ::sendmsg(Fd, &message, MSG_NOSIGNAL);
        }
        if (written < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
            error = errno;
            return false;
        }
        size_t left = static_cast<size_t>(written);
        QueuedCount -= left;
        while (left > 0 && !SendQueue.empty()) {
            Chunk& chunk = SendQueue.front();
            if (chunk.FileFd >= 0) {
                chunk.FileRemaining -= left; // sendfile advanced FileOffset itself
                left = 0;
                if (chunk.FileRemaining == 0) {
                    ::close(chunk.FileFd);
                    SendQueue.pop_front();
                }
            } else {
                const size_t rest = chunk.UnsentSize();
                if (left < rest) {
                    chunk.Offset += left;
                    left = 0;
                } else {
                    left -= rest;
                    SendQueue.pop_front();
                }
            }
        }
    }
    return true;
}

void TWSocket::Flush() {
    if (Fd < 0 || CurrentState != State::Connected || InFlush) return;
    QPointer<TWSocket> self(this);
    InFlush = true;
    auto leave = [&] {
        if (self) InFlush = false;
    };
    for (int round = 0; round < FlushRounds; ++round) {
        int error = 0;
        if (!WriteQueue(error)) {
            leave();
            CloseWithEvent(error);
            return;
        }
        if (!SendQueue.empty()) {
            WaitUntilWritable(true);
            leave();
            return;
        }
        if (ShutdownPending) {
            ShutdownPending = false;
            ::shutdown(Fd, SHUT_WR);
        }
        if (CloseWhenDrained && !PeerClosed) { // the owner asked to close
            leave();
            CloseWithEvent(0);
            return;
        }
        emit DataSent();
        if (!self || Fd < 0) {
            leave();
            return;
        }
        if (SendQueue.empty()) {
            leave();
            // A peer that has stopped sending is closed once the owner has nothing more to say.
            if (CloseWhenDrained) CloseWithEvent(0);
            return;
        }
    }
    leave();
    ScheduleFlush();
}

void TWSocket::ShutdownSend() {
    if (Fd < 0 || CurrentState != State::Connected) return;
    if (SendQueue.empty())
        ::shutdown(Fd, SHUT_WR);
    else
        ShutdownPending = true;
}

void TWSocket::CloseDelayed() {
    if (Fd < 0) return;
    if (CurrentState != State::Connected) {
        PostNotice([this] { CloseWithEvent(0); });
        return;
    }
    CloseWhenDrained = true;
    if (SendQueue.empty() && !FlushScheduled) {
        FlushScheduled = true;
        PostNotice([this] {
            FlushScheduled = false;
            if (SendQueue.empty())
                CloseWithEvent(0);
            else
                Flush();
        });
    }
}

void TWSocket::Abort() {
    CloseSocket();
    PeerClosed = false;
}

void TWSocket::PostNotice(std::function<void()> notice) {
    if (DeferWork && EventDepth > 0) {
        Deferred.push_back(std::move(notice));
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, notice = std::move(notice)] { RunEvent(notice); }, Qt::QueuedConnection);
}

template <typename Handler> void TWSocket::RunEvent(const Handler& handler) {
    QPointer<TWSocket> self(this);
    ++EventDepth;
    try {
        handler();
    } catch (...) {
        if (self) --EventDepth;
        throw;
    }
    if (!self) return;
    if (--EventDepth == 0) RunDeferred();
}

void TWSocket::RunDeferred() {
    QPointer<TWSocket> self(this);
    ++EventDepth; // what these notices defer joins this same pass
    for (int round = 0; !Deferred.empty(); ++round) {
        if (round == DeferredRounds) {
            // Other sockets get their turn; the rest runs on the next pass of the loop.
            QMetaObject::invokeMethod(
                this, [this] { RunEvent([] {}); }, Qt::QueuedConnection);
            break;
        }
        const std::function<void()> notice = std::move(Deferred.front());
        Deferred.pop_front();
        try {
            notice();
        } catch (...) {
            if (self) --EventDepth;
            throw;
        }
        if (!self) return;
    }
    --EventDepth;
    if (DeferWork) SyncReadNotifier();
}

} // namespace korvane
