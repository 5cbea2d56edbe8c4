#pragma once
// FTP client for publishing files and fetching small files from a server. Each operation
// starts an asynchronous request on non-blocking sockets and then waits for it while the
// event loop keeps running, so callers see blocking calls that return true or false and the
// window stays alive. Failures are reported through ErrorMessage and StatusCode, never by
// throwing to the caller.
#include "net/ftp_reply.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QIODevice;

namespace korvane {

class TWSocket;

enum class TFtpRequest {
    ftpNone,
    ftpConnectAsync,
    ftpCwdAsync,
    ftpTypeSetAsync,
    ftpPutAsync,
    ftpGetAsync,
    ftpQuoteAsync,
    ftpCommandAsync,
    ftpQuitAsync,
};

enum class TFtpState {
    ftpReady,
    ftpDnsLookup,
    ftpConnecting,
    ftpWaitingBanner,
    ftpWaitingResponse,
    ftpWaitingDataAddress, // passive mode: PASV/EPSV sent
    ftpAbort,
};

// How a local file is held while it is sent. Linux has no mandatory share modes, so these map
// onto advisory locks, which other programs that lock their files respect.
enum class TFtpShareMode { ftpShareExclusive, ftpShareDenyWrite, ftpShareDenyNone };

enum TFtpOption : unsigned { ftpAcceptLF = 1, ftpNoAutoResumeAt = 2 };

class TFtpClient : public QObject {
public:
    explicit TFtpClient(QObject* parent = nullptr);
    ~TFtpClient() override;

    // --- settings ---
    std::string HostName;
    std::string Port = "ftp"; // a number or a service name
    std::string UserName;
    std::string PassWord;
    std::string HostDirName;
    std::string HostFileName;
    // Binary sends "TYPE I". Off, "TYPE A", and an upload goes with LF line ends (see
    // net/ftp_text_mode.h) so that the file on the server is the same whatever the server does
    // with ASCII mode.
    bool Binary = true;
    int Timeout = 15; // seconds a wait may last without progress; 0 waits for ever
    std::string LocalAddr = "0.0.0.0";
    TFtpShareMode ShareMode = TFtpShareMode::ftpShareExclusive;
    unsigned Options = ftpAcceptLF;
    // Passive mode: the client connects to the server for data (PASV, or EPSV on IPv6). Off:
    // active mode, the server connects to a port the client listens on.
    bool Passive = false;

    // The local file to send or to write; for Quote the command line. Clears the stream.
    void SetLocalFileName(const std::string& name);
    const std::string& LocalFileName() const { return FLocalFileName; }
    // A stream used instead of a local file (not owned); setting one clears LocalFileName.
    void SetLocalStream(QIODevice* stream);
    QIODevice* LocalStream() const { return FLocalStream; }

    // Local ports for active-mode data connections; 0 and 0 let the system choose. Values
    // outside 0..65535 throw handledException.
    void SetDataPortRangeStart(int port);
    void SetDataPortRangeEnd(int port);
    int DataPortRangeStart() const { return FDataPortRangeStart; }
    int DataPortRangeEnd() const { return FDataPortRangeEnd; }

    // --- operations: each returns true when its request ended without error ---
    bool Connect(); // open, read the greeting, USER, PASS
    bool Cwd();     // CWD HostDirName
    bool TypeBinary();
    bool TypeAscii();
    bool Put();   // STOR HostFileName from the local file or stream
    bool Get();   // RETR HostFileName into the local file or stream
    bool Quote(); // LocalFileName sent unchanged as a command; any code below 500 will do
    // line sent as one command; true when the reply's code is one of accepted, or any 2xx
    // code when accepted is empty. LastResponse holds the reply.
    bool Command(const std::string& line, std::vector<int> accepted = {});
    bool Quit();
    bool Connected() const;
    // Ends the running request at once ("426 Operation aborted."), closing both connections.
    void Abort();
    // Stops a running transfer by closing its data connection; the control connection stays
    // usable, and the request ends with "426 Operation aborted." once the server has answered.
    // Before the data connection is up this is Abort.
    void CancelTransfer();
    // A Put or Get is under way.
    bool Transferring() const {
        return Request == TFtpRequest::ftpPutAsync || Request == TFtpRequest::ftpGetAsync;
    }

    // --- results ---
    const std::string& ErrorMessage() const { return FErrorMessage; }
    int StatusCode() const { return FStatusCode; }
    TFtpState State() const { return FState; }
    // Every line of the last command's reply, each + "\r\n" (bounded).
    const std::string& LastResponse() const { return ResponseText; }
    int64_t BytesTransferred() const;

    // --- events (all optional) ---
    std::function<void(const std::string& text)> OnDisplay; // "> ", "< " and "! " lines
    std::function<void(std::string& command)> OnCommand;    // may change a command
    std::function<void(const std::string& line)> OnResponse;
    std::function<void(int64_t count, bool& abort)> OnProgress;
    std::function<void(int error)> OnSessionConnected;
    std::function<void(int error)> OnSessionClosed;
    std::function<void(TFtpRequest request, int errorCode)> OnRequestDone;
    std::function<void(TFtpState state)> OnStateChange;
    std::function<void(bool& cancel)> OnReadyToTransmit;
    std::function<void(const std::exception& error)> OnBgException;

private:
    // The steps of a request, in the order they run.
    enum Step : unsigned {
        StepOpen = 1u << 0,
        StepUser = 1u << 1,
        StepPass = 1u << 2,
        StepCwd = 1u << 3,
        StepType = 1u << 4,
        StepDataPort = 1u << 5,
        StepStor = 1u << 6,
        StepRetr = 1u << 7,
        StepQuote = 1u << 8,
        StepCommand = 1u << 9,
        StepQuit = 1u << 10,
    };
    using ReplyHandler = std::function<void(const TFtpReplyLine& reply)>;
    struct Transfer;

    // requests (ftp_client.cpp)
    bool RunSynchronously(TFtpRequest request, unsigned steps);
    void StartRequest(TFtpRequest request, unsigned steps);
    void CheckCanStart(TFtpRequest request) const;
    void RunNextStep();
    void StepDone();
    void Fail(int code, const std::string& message);
    void EndRequest();
    void GiveUp(int code, const std::string& message);
    void SetState(TFtpState state);
    void Display(const std::string& text);
    void Guarded(const std::function<void()>& handler);

    // control connection (ftp_client.cpp)
    void OpenSession();
    void OnControlConnected(int error);
    void OnControlData();
    void OnControlClosed(int error);
    void CloseControl();
    void SendCommand(std::string command, ReplyHandler handler);
    void SendCommand(const std::string& command, std::initializer_list<int> accepted);
    void HandleReply(const TFtpReplyLine& reply);
    void ProtocolFault(const std::string& message);

    // data connection and transfers (ftp_transfer.cpp)
    void OpenDataPort();
    void ListenActive();
    void ConnectPassive(const TFtpReplyLine& reply);
    void OnDataAvailableToAccept();
    void WatchDataSocket();
    void StartStor();
    void StartRetr();
    void TryStartSending();
    void SendNextBlock();
    void OnDataSent();
    void ReceiveData();
    void OnDataClosed(int error);
    void TryFinishTransfer();
    void ReportProgress();
    void CloseData();
    void ShowSummary();
    void NoteQueueProgress();
    void StopData();

    std::string FLocalFileName;
    std::string CommandLine;
    std::vector<int> CommandAccepted;
    QIODevice* FLocalStream = nullptr;
    int FDataPortRangeStart = 0;
    int FDataPortRangeEnd = 0;
    int NextDataPort = 0;

    std::unique_ptr<TWSocket> ControlSocket;
    std::unique_ptr<TWSocket> DataListener;
    std::unique_ptr<TWSocket> DataSocket;
    TFtpReplyReader Reader;
    ReplyHandler PendingReply; // the handler of the command awaiting its final reply
    std::unique_ptr<Transfer> Xfer;

    TFtpState FState = TFtpState::ftpReady;
    TFtpRequest Request = TFtpRequest::ftpNone;
    unsigned RequestNumber = 0; // tells a request from the next one
    unsigned PendingSteps = 0;
    unsigned CurrentStep = 0;
    int RequestError = 0;
    bool ErrorSetInRequest = false;
    int FStatusCode = 0;
    std::string FErrorMessage;
    std::string ResponseText;
    int64_t LastProgressMs = 0;
};

} // namespace korvane
