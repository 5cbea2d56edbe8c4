#include "net/ftp_client.h"

#include "net/ftp_transfer.h"
#include "storage/errors.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QPointer>
#include <QTimer>

#include <netdb.h>

#include <algorithm>
#include <chrono>
#include <optional>

namespace korvane {

int64_t MonotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string SocketErrorMessage(int error) {
    return "500 " + TWSocket::ErrorText(error) + " (Winsock error #" + std::to_string(error) + ")";
}

void DisposeSocket(std::unique_ptr<TWSocket>& socket) {
    if (!socket) return;
    socket->disconnect();
    socket->Abort();
    // The socket may be the sender of the event being handled right now.
    socket.release()->deleteLater();
}

bool SameHost(const std::string& a, const std::string& b) {
    return QHostAddress(QString::fromStdString(a))
        .isEqual(QHostAddress(QString::fromStdString(b)), QHostAddress::ConvertV4MappedToIPv4);
}

namespace {

std::optional<uint16_t> ControlPortNumber(const std::string& port) {
    if (!port.empty() &&
        std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const long value = port.size() <= 5 ? std::stol(port) : 0;
        if (value < 1 || value > 65535) return std::nullopt;
        return static_cast<uint16_t>(value);
    }
    if (const servent* service = getservbyname(port.c_str(), "tcp"))
        return static_cast<uint16_t>(ntohs(static_cast<uint16_t>(service->s_port)));
    if (port == "ftp") return 21; // systems without a services file
    return std::nullopt;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

} // namespace

TFtpClient::TFtpClient(QObject* parent) : QObject(parent) {}

TFtpClient::~TFtpClient() {
    DisposeSocket(DataListener);
    DisposeSocket(DataSocket);
    DisposeSocket(ControlSocket);
}

void TFtpClient::SetLocalFileName(const std::string& name) {
    FLocalFileName = name;
    FLocalStream = nullptr;
}

void TFtpClient::SetLocalStream(QIODevice* stream) {
    FLocalStream = stream;
    FLocalFileName.clear();
}

void TFtpClient::SetDataPortRangeStart(int port) {
    if (port < 0 || port > 65535)
        throw handledException("DataPortRangeStart must be in the range 0..65535");
    FDataPortRangeStart = port;
}

void TFtpClient::SetDataPortRangeEnd(int port) {
    if (port < 0 || port > 65535)
        throw handledException("DataPortRangeEnd must be in the range 0..65535");
    FDataPortRangeEnd = port;
}

bool TFtpClient::Connected() const {
    return ControlSocket && ControlSocket->GetState() != TWSocket::State::Closed;
}

int64_t TFtpClient::BytesTransferred() const {
    return Xfer ? Xfer->Bytes : 0;
}

// --- operations ---

bool TFtpClient::Connect() {
    return RunSynchronously(TFtpRequest::ftpConnectAsync, StepOpen | StepUser | StepPass);
}
bool TFtpClient::Cwd() {
    return RunSynchronously(TFtpRequest::ftpCwdAsync, StepCwd);
}
bool TFtpClient::TypeBinary() {
    if (FState == TFtpState::ftpReady) Binary = true;
    return RunSynchronously(TFtpRequest::ftpTypeSetAsync, StepType);
}
bool TFtpClient::TypeAscii() {
    if (FState == TFtpState::ftpReady) Binary = false;
    return RunSynchronously(TFtpRequest::ftpTypeSetAsync, StepType);
}
bool TFtpClient::Put() {
    return RunSynchronously(TFtpRequest::ftpPutAsync, StepDataPort | StepStor);
}
bool TFtpClient::Get() {
    return RunSynchronously(TFtpRequest::ftpGetAsync, StepDataPort | StepRetr);
}
bool TFtpClient::Quote() {
    return RunSynchronously(TFtpRequest::ftpQuoteAsync, StepQuote);
}
bool TFtpClient::Command(const std::string& line, std::vector<int> accepted) {
    CommandLine = line;
    CommandAccepted = std::move(accepted);
    return RunSynchronously(TFtpRequest::ftpCommandAsync, StepCommand);
}
bool TFtpClient::Quit() {
    return RunSynchronously(TFtpRequest::ftpQuitAsync, StepQuit);
}

void TFtpClient::Abort() {
    if (FState != TFtpState::ftpReady) GiveUp(426, "426 Operation aborted.");
}

void TFtpClient::CancelTransfer() {
    if (FState == TFtpState::ftpReady) return;
    // Without a data connection there is nothing to close that the server would notice.
    if (!Xfer || !Xfer->DataConnected || CurrentStep == StepDataPort) {
        Abort();
        return;
    }
    StopData();
}

bool TFtpClient::RunSynchronously(TFtpRequest request, unsigned steps) {
    try {
        StartRequest(request, steps);
    } catch (const std::exception& e) {
        FErrorMessage = e.what();
        return false;
    }
    // The timer only wakes the loop so that the deadline is checked when nothing arrives.
    QTimer wake;
    wake.start(50);
    QPointer<TFtpClient> alive(this);
    LastProgressMs = MonotonicMs();
    while (FState != TFtpState::ftpReady) {
        if (QCoreApplication::closingDown()) {
            GiveUp(426, "426 Operation aborted.");
            break;
        }
        NoteQueueProgress();
        if (Timeout > 0 && MonotonicMs() - LastProgressMs >= int64_t(Timeout) * 1000) {
            GiveUp(426, "426 Timeout");
            break;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!alive) return false; // destroyed by an event handled during the wait
    }
    return RequestError == 0;
}

void TFtpClient::CheckCanStart(TFtpRequest request) const {
    if (FState != TFtpState::ftpReady) throw handledException("FTP component not ready");
    using R = TFtpRequest;
    if (request == R::ftpConnectAsync) {
        if (Connected()) throw handledException("FTP component already connected");
        if (HostName.empty()) throw handledException("HostName empty");
        if (!ControlPortNumber(Port)) throw handledException("Invalid port " + Port);
        if (UserName.empty()) throw handledException("UserName empty");
        return;
    }
    if (!Connected()) throw handledException("FTP component not connected");
    if (request == R::ftpCwdAsync && HostDirName.empty())
        throw handledException("HostDirName empty");
    if (request == R::ftpQuoteAsync && FLocalFileName.empty())
        throw handledException("LocalFileName empty");
    if (request == R::ftpCommandAsync && CommandLine.empty())
        throw handledException("Command empty");
    if (request == R::ftpPutAsync || request == R::ftpGetAsync) {
        if (!FLocalStream && FLocalFileName.empty()) throw handledException("LocalFileName empty");
        if (!Passive && FDataPortRangeEnd < FDataPortRangeStart)
            throw handledException("DataPortRangeEnd must be greater than DataPortRangeStart");
    }
}

void TFtpClient::StartRequest(TFtpRequest request, unsigned steps) {
    CheckCanStart(request);
    Request = request;
    ++RequestNumber;
    PendingSteps = steps;
    RequestError = 0;
    ErrorSetInRequest = false;
    FErrorMessage.clear();
    Xfer.reset();
    RunNextStep();
}

void TFtpClient::RunNextStep() {
    if (PendingSteps == 0) {
        EndRequest();
        return;
    }
    const unsigned step = PendingSteps & (~PendingSteps + 1); // the earliest pending step
    PendingSteps &= ~step;
    CurrentStep = step;
    switch (step) {
    case StepOpen:
        OpenSession();
        break;
    case StepUser:
        SendCommand("USER " + UserName, [this](const TFtpReplyLine& reply) {
            if (reply.Code == 230) PendingSteps &= ~StepPass; // logged in without a password
            if (reply.Code == 230 || reply.Code == 331)
                StepDone();
            else
                Fail(reply.Code, reply.Text);
        });
        break;
    case StepPass:
        if (PassWord.empty()) {
            Fail(500, "Password empty");
            break;
        }
        SendCommand("PASS " + PassWord, {230});
        break;
    case StepCwd:
        SendCommand("CWD " + HostDirName, {200, 250, 257});
        break;
    case StepType:
        SendCommand(std::string("TYPE ") + (Binary ? "I" : "A"), {200});
        break;
    case StepDataPort:
        OpenDataPort();
        break;
    case StepStor:
        StartStor();
        break;
    case StepRetr:
        StartRetr();
        break;
    case StepQuote:
        SendCommand(FLocalFileName, {});
        break;
    case StepCommand:
        SendCommand(CommandLine, [this](const TFtpReplyLine& reply) {
            const bool ok = CommandAccepted.empty()
                                ? reply.Code / 100 == 2
                                : std::find(CommandAccepted.begin(), CommandAccepted.end(),
                                            reply.Code) != CommandAccepted.end();
            if (ok)
                StepDone();
            else
                Fail(reply.Code, reply.Text);
        });
        break;
    case StepQuit:
        SendCommand("QUIT", [this](const TFtpReplyLine& reply) {
            CloseControl();
            if (reply.Code == 221)
                StepDone();
            else
                Fail(reply.Code, reply.Text);
        });
        break;
    }
}

void TFtpClient::StepDone() {
    CurrentStep = 0;
    RunNextStep();
}

void TFtpClient::Fail(int code, const std::string& message) {
    if (RequestError == 0) RequestError = code != 0 ? code : 500;
    FStatusCode = code;
    if (!ErrorSetInRequest) {
        FErrorMessage = message;
        ErrorSetInRequest = true;
    }
    PendingSteps &= StepQuit; // a requested QUIT still goes out
    if (PendingSteps != 0 && Connected())
        RunNextStep();
    else
        EndRequest();
}

void TFtpClient::EndRequest() {
    DisposeSocket(DataListener);
    DisposeSocket(DataSocket);
    if (Xfer) {
        Xfer->OwnedDevice.reset(); // an uncommitted download is discarded here
        Xfer->Device = nullptr;
    }
    PendingSteps = 0;
    CurrentStep = 0;
    PendingReply = nullptr;
    const TFtpRequest done = Request;
    Request = TFtpRequest::ftpNone;
    SetState(TFtpState::ftpReady);
    if (OnRequestDone) OnRequestDone(done, RequestError);
}

void TFtpClient::GiveUp(int code, const std::string& message) {
    if (ControlSocket) ControlSocket->CancelDnsLookup();
    SetState(TFtpState::ftpAbort);
    CloseData();
    CloseControl();
    FErrorMessage = message;
    ErrorSetInRequest = true;
    FStatusCode = code;
    RequestError = code;
    EndRequest();
}

void TFtpClient::SetState(TFtpState state) {
    if (FState == state) return;
    FState = state;
    if (OnStateChange) OnStateChange(state);
}

void TFtpClient::Display(const std::string& text) {
    if (OnDisplay) OnDisplay(text);
}

void TFtpClient::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        // Nothing may escape into the event loop; the request ends with the error instead of
        // waiting for a timeout.
        if (OnBgException) OnBgException(e);
        if (FState != TFtpState::ftpReady) GiveUp(500, std::string("500 ") + e.what());
    }
}

// --- control connection ---

void TFtpClient::OpenSession() {
    ControlSocket = std::make_unique<TWSocket>();
    TWSocket* socket = ControlSocket.get();
    connect(socket, &TWSocket::DnsLookupDone, this, [this, socket](int error) {
        Guarded([&] {
            if (error != 0) {
                DisposeSocket(ControlSocket);
                Fail(500, SocketErrorMessage(error));
                return;
            }
            SetState(TFtpState::ftpConnecting);
            socket->Connect(socket->ResolvedAddress(), *ControlPortNumber(Port), LocalAddr);
        });
    });
    connect(socket, &TWSocket::SessionConnected, this,
            [this](int error) { Guarded([&] { OnControlConnected(error); }); });
    connect(socket, &TWSocket::DataAvailable, this, [this] { Guarded([&] { OnControlData(); }); });
    connect(socket, &TWSocket::SessionClosed, this,
            [this](int error) { Guarded([&] { OnControlClosed(error); }); });
    Reader.Reset();
    Reader.SetAcceptLF((Options & ftpAcceptLF) != 0);
    SetState(TFtpState::ftpDnsLookup);
    socket->ResolveHost(HostName);
}

void TFtpClient::OnControlConnected(int error) {
    if (error != 0) {
        DisposeSocket(ControlSocket);
        Fail(500, SocketErrorMessage(error));
        return;
    }
    ResponseText.clear();
    SetState(TFtpState::ftpWaitingBanner);
    PendingReply = [this](const TFtpReplyLine& reply) {
        if (reply.Code != 220) {
            CloseControl();
            Fail(reply.Code, reply.Text);
            return;
        }
        if (OnSessionConnected) OnSessionConnected(0);
        StepDone();
    };
}

void TFtpClient::OnControlData() {
    TWSocket* socket = ControlSocket.get();
    while (socket && socket == ControlSocket.get()) {
        const std::string bytes = socket->Receive(TFtpReplyReader::LineLimit);
        if (bytes.empty()) break;
        for (const TFtpReplyLine& line : Reader.Feed(bytes)) {
            HandleReply(line);
            if (socket != ControlSocket.get()) return; // a handler closed the connection
        }
        switch (Reader.GetFault()) {
        case TFtpReplyReader::Fault::None:
            break;
        case TFtpReplyReader::Fault::LineTooLong:
            ProtocolFault("500 Reply line longer than " +
                          std::to_string(TFtpReplyReader::LineLimit) + " bytes");
            return;
        case TFtpReplyReader::Fault::ReplyTooLong:
            ProtocolFault("500 Reply longer than " + std::to_string(TFtpReplyReader::ReplyLimit) +
                          " bytes");
            return;
        }
    }
}

void TFtpClient::HandleReply(const TFtpReplyLine& reply) {
    Display("< " + reply.Text);
    if (ResponseText.size() + reply.Text.size() + 2 < TFtpReplyReader::ReplyLimit)
        ResponseText += reply.Text + "\r\n";
    if (OnResponse) OnResponse(reply.Text);
    if (!reply.Final) return;
    FStatusCode = reply.Code;
    if (!PendingReply) return; // unsolicited, such as a server's notice before it hangs up
    // Two-phase commands install the handler of their second reply from inside the first.
    const ReplyHandler handler = std::move(PendingReply);
    PendingReply = nullptr;
    handler(reply);
}

void TFtpClient::OnControlClosed(int error) {
    OnControlData(); // a last reply may precede the close
    if (!ControlSocket) return;
    DisposeSocket(ControlSocket);
    Reader.Reset();
    PendingReply = nullptr;
    if (OnSessionClosed) OnSessionClosed(error);
    if (FState == TFtpState::ftpReady) return;
    if (CurrentStep == StepQuit) {
        StepDone();
        return;
    }
    CloseData();
    Fail(500, error != 0 ? "500 Control connection closed. " + TWSocket::ErrorText(error) +
                               " (Winsock error #" + std::to_string(error) + ")"
                         : "500 Control connection closed.");
}

void TFtpClient::CloseControl() {
    if (!ControlSocket) return;
    DisposeSocket(ControlSocket);
    Reader.Reset();
    PendingReply = nullptr;
    if (OnSessionClosed) OnSessionClosed(0);
}

void TFtpClient::ProtocolFault(const std::string& message) {
    Display("! " + message);
    // The reply stream can no longer be trusted, so the session ends here.
    CloseData();
    CloseControl();
    if (FState != TFtpState::ftpReady) Fail(500, message);
}

void TFtpClient::SendCommand(const std::string& command, std::initializer_list<int> accepted) {
    std::vector<int> codes(accepted);
    SendCommand(command, [this, codes](const TFtpReplyLine& reply) {
        const bool ok = codes.empty()
                            ? reply.Code < 500
                            : std::find(codes.begin(), codes.end(), reply.Code) != codes.end();
        if (ok)
            StepDone();
        else
            Fail(reply.Code, reply.Text);
    });
}

void TFtpClient::SendCommand(std::string command, ReplyHandler handler) {
    if (OnCommand) OnCommand(command);
    // A line break would smuggle a second command to the server.
    if (HasLineBreak(command)) {
        Fail(501, "501 Line break in command: " + command.substr(0, command.find_first_of("\r\n")));
        return;
    }
    Display("> " + (command.rfind("PASS ", 0) == 0 ? std::string("PASS ****") : command));
    ResponseText.clear();
    PendingReply = std::move(handler);
    SetState(TFtpState::ftpWaitingResponse);
    ControlSocket->Send(command + "\r\n");
}

} // namespace korvane
