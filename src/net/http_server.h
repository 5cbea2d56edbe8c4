#pragma once
// An event-driven HTTP server: serves files below a document folder, directory listings and
// error pages, and asks its owner through events what to do with each request.
#include "net/http_doc_root.h"
#include "net/http_request.h"
#include "net/http_stream.h"
#include "net/wsocket_server.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvane {

class THttpServer;

enum class THttpGetFlag {
    hgSendDoc,
    hgSendStream,
    hgWillSendMySelf,
    hg404,
    hg403,
    hg401,
    hgAcceptData,
    hgSendDirList,
};

enum THttpOption : unsigned { hoAllowDirList = 1, hoAllowOutsideRoot = 2 };
using THttpOptions = unsigned; // a set of THttpOption bits

enum class THttpConnectionState { hcRequest, hcHeader, hcPostedData };

struct THttpDirEntry {
    bool Visible = true;
    std::string Name;
    uint32_t SizeLow = 0;
    uint32_t SizeHigh = 0;                                        // always 0
    int Year = 0, Month = 0, Day = 0, Hour = 0, Min = 0, Sec = 0; // last write, local clock
    bool VolumeID = false;
    bool Directory = false;
    bool ReadOnly = false;
    bool SysFile = false;
    bool Hidden = false;
    int64_t Size = 0; // the whole size, for files beyond 4 GiB
};

class THttpConnection;

using THttpGetConnEvent = std::function<void(THttpConnection& sender, THttpGetFlag& flags)>;
using THttpConnEvent = std::function<void(THttpConnection& sender)>;
using THttpConnErrorEvent = std::function<void(THttpConnection& sender, int error)>;
using THttpConnDirEntryEvent = std::function<void(THttpConnection& sender, THttpDirEntry& entry)>;

class THttpConnection : public TWSocketClient {
    Q_OBJECT
public:
    THttpConnection();
    ~THttpConnection() override;

    std::string DocDir;
    std::string DefaultDoc;
    std::string Document;
    THttpOptions Options = 0;
    std::string AuthRealm; // used by the 401 page
    std::string ServerPort;

    const std::string& Path() const { return Request.Path; }
    const std::string& Params() const { return Request.Params; }
    const std::string& Method() const { return Request.Method; }
    const std::string& Version() const { return Request.Version; }
    const THttpRequestHeader& RequestHeader() const { return Request; }
    THttpConnectionState State() const { return ConnState; }
    bool OutsideRoot() const { return OutsideRootFlag; }
    bool AcceptPostedData() const { return AcceptPostedDataFlag; }

    // The stream to send; the connection owns it and frees it when sending ends.
    std::unique_ptr<THttpStream> DocStream;

    // Sends the document stream as it is (the owner wrote status line and headers into it).
    void SendDocStream();
    // Back to reading request lines after the owner has read a request body.
    void EndPostedData();
    // Raw bytes of a request body that have arrived, up to size; returns the count.
    size_t Receive(char* buffer, size_t size);
    // A complete reply: status (e.g. "404 Not Found", "" for 200 OK), type ("" for text/html),
    // extra header lines (each ending in CR LF) and body.
    void AnswerText(THttpGetFlag& flags, const std::string& status, const std::string& contentType,
                    const std::string& header, const std::string& body);

    // Answers with the document path names below DocDir, as a GET of it would be answered
    // (the file, or the 403 or 404 page): where a script's local redirect leads.
    void AnswerWithDocument(const std::string& path);
    // Closes the connection once what is queued for it has gone out.
    void CloseAfterReply();
    // True when the client has kept the connection silent for too long: idleMs between
    // requests, requestMs in the middle of one. Never while a reply is being made or sent.
    bool Silent(std::chrono::steady_clock::time_point now, int idleMs, int requestMs);

    // Events, raised with this connection as sender (the server routes them to its own).
    THttpGetConnEvent OnGetDocument;
    THttpGetConnEvent OnHeadDocument;
    THttpGetConnEvent OnPostDocument;
    THttpConnErrorEvent OnPostedData;
    THttpConnEvent OnHttpRequestDone;
    THttpConnEvent OnBeforeProcessRequest;
    THttpConnDirEntryEvent OnFilterDirEntry;

    // Bounds on what one client may make the server hold.
    static constexpr size_t MaxHeaderBytes = 64 * 1024;
    static constexpr size_t MaxHeaderLines = 200;
    static constexpr size_t MaxLineBytes = 64 * 1024;
    // Streams are sent in blocks of this size; files above it go out with sendfile.
    static constexpr size_t SendBlockSize = 64 * 1024;

    // The page texts, for the owner that builds its own replies.
    static std::string BuildErrorPage(const std::string& version, int status,
                                      const std::string& path, const std::string& realm);
    std::string BuildDirListPage(const std::string& directory, const std::string& path);

protected:
    void ClientAttached() override;

private:
    // Cuts request and header lines from what has arrived, or passes a body on.
    void DataAvailable();
    void StartRequest(std::string_view requestLine);
    // False when the connection is gone or closed by the request.
    bool HeaderEnded();
    // Hands a body to its reader or drops it; false when the rest has to wait for more bytes.
    bool TakeBody();
    void ProcessRequest();
    // Document, and the outside-root flag, for the request's path.
    void MapDocument();
    bool OpenDocument(std::string_view root, bool checkLinks);
    void ResolveDocument(bool checkLinks);
    bool DocumentIsDirectory() const;
    void ProcessGet();
    void ProcessHead();
    void ProcessDocumentRequest(bool withBody); // GET, and HEAD without the body
    void ProcessPost();
    bool SendDocument(bool withBody); // false: no such file
    void SendErrorPage(int status);
    void SendDirList(bool withBody);
    void SendLoop();
    void EndOfReply();
    void HoldInput(bool hold);

    THttpRequestHeader Request;
    THttpConnectionState ConnState = THttpConnectionState::hcRequest;
    bool OutsideRootFlag = false;
    bool AcceptPostedDataFlag = false;
    bool Replying = false;
    bool InputHeld = false;   // no more input is taken until the reply has gone out
    bool ReadingBody = false; // what arrives is a request body, not lines
    int64_t BodyToDiscard = 0;
    std::chrono::steady_clock::time_point LastReplyEnd = std::chrono::steady_clock::now();
    int64_t DocSize = 0;
    int64_t DataSent = 0;
    int64_t FileDate = 0;
    std::string DocContentType;
    std::vector<char> SendBuffer;
    // The server's view of DocDir, shared by its connections.
    std::shared_ptr<THttpDocRoot> DocRoot;
    // What OpenDocument found at ProbedPath (Undecided: not probed), and the file it opened
    // there, kept for sending so the file is opened once per request.
    THttpDocRoot::TKind ProbedKind = THttpDocRoot::TKind::Undecided;
    std::string ProbedPath;
    std::unique_ptr<THttpFileStream> ProbedFile;

    friend class THttpServer;
};

class THttpServer : public QObject {
    Q_OBJECT
public:
    using TConnectionFactory = std::function<std::unique_ptr<THttpConnection>()>;

    explicit THttpServer(QObject* parent = nullptr);
    ~THttpServer() override;

    // Throws SocketError when the address or port cannot be had; the server stays stopped.
    void Start();
    void Stop();
    bool Listening() const { return WSocketServer.Listening(); }

    const std::string& Addr() const { return AddrValue; }
    void SetAddr(const std::string& addr);
    const std::string& Port() const { return PortValue; }
    void SetPort(const std::string& port);
    // The port actually listened on (useful with port "0").
    uint16_t ListeningPort() const { return WSocketServer.LocalPort(); }

    int MaxClients = 0;
    int ListenBacklog = 5;
    // A client that sends nothing for this long is dropped, so silent connections cannot
    // use up the descriptors everyone else needs: between requests, and within one.
    int IdleTimeoutMs = 5000;
    int RequestTimeoutMs = 60000;
    std::string DocDir = "/var/www";
    std::string DefaultDoc = "index.html";
    bool LingerSet = false;
    bool LingerOnOff = false;
    int LingerTimeout = 0;
    THttpOptions Options = 0;
    TConnectionFactory ClientClass = [] { return std::make_unique<THttpConnection>(); };

    int ClientCount() const { return WSocketServer.ClientCount(); }
    THttpConnection* Client(int index) const;

    std::function<void(THttpServer& sender)> OnServerStarted;
    std::function<void(THttpServer& sender)> OnServerStopped;
    std::function<void(THttpServer& sender, THttpConnection& client, int error)> OnClientConnect;
    std::function<void(THttpServer& sender, THttpConnection& client, int error)> OnClientDisconnect;
    std::function<void(THttpServer& sender, THttpConnection& client)> OnBeforeProcessRequest;
    std::function<void(THttpServer& sender, THttpConnection& client, THttpGetFlag& flags)>
        OnGetDocument;
    std::function<void(THttpServer& sender, THttpConnection& client, THttpGetFlag& flags)>
        OnHeadDocument;
    std::function<void(THttpServer& sender, THttpConnection& client, THttpGetFlag& flags)>
        OnPostDocument;
    std::function<void(THttpServer& sender, THttpConnection& client, int error)> OnPostedData;
    std::function<void(THttpServer& sender, THttpConnection& client)> OnHttpRequestDone;
    std::function<void(THttpServer& sender, THttpConnection& client, THttpDirEntry& entry)>
        OnFilterDirEntry;

    // The reply of a client beyond MaxClients.
    static const std::string TooBusyReply;

private:
    void PrepareConnection(THttpConnection& client);
    void DropSilentClients();
    // The document folder the connections share, with the watch on its changes.
    void UseDocRoot(const std::string& root);

    TWSocketServer WSocketServer;
    QTimer SilenceCheck;
    std::shared_ptr<THttpDocRoot> DocRoot;
    std::unique_ptr<QSocketNotifier> ChangeNotices; // on DocRoot's notices; goes first
    std::string AddrValue = "0.0.0.0";
    std::string PortValue = "80";
};

} // namespace korvane
