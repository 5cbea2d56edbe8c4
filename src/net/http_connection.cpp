#include "net/http_server.h"
#include "net/http_text.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace korvane {

namespace {

// How long a client may keep a connection open after its last reply has been shut down.
constexpr int ShutdownGraceMs = 10000;

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return path.find('\0') == std::string::npos && ::stat(path.c_str(), &info) == 0 &&
           S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat info {};
    return path.find('\0') == std::string::npos && ::stat(path.c_str(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

// Where a path really leads once links are followed; "" when it does not exist.
std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (path.find('\0') != std::string::npos || !::realpath(path.c_str(), resolved)) return {};
    return resolved;
}

} // namespace

THttpConnection::THttpConnection() = default;
THttpConnection::~THttpConnection() = default;

void THttpConnection::ClientAttached() {
    TWSocket& socket = Socket();
    // Nothing here waits for its own socket inside an event, so each request is answered and
    // flushed as its event returns, without extra rounds through the event loop.
    socket.SetDeferredWork(true);
    // Request lines are cut from the socket's raw input here, where they lie; the socket's
    // line end is only what follows the busy banner.
    socket.SetLineEnd("\n");
    connect(&socket, &TWSocket::DataAvailable, this, [this] { DataAvailable(); });
    connect(&socket, &TWSocket::DataSent, this, [this] { SendLoop(); });
}

void THttpConnection::HoldInput(bool hold) {
    InputHeld = hold;
    if (Connected()) Socket().SetReceivePaused(hold);
}

void THttpConnection::CloseAfterReply() {
    if (Connected()) Socket().CloseDelayed();
}

bool THttpConnection::Silent(std::chrono::steady_clock::time_point now, int idleMs, int requestMs) {
    if (Replying || TurnedAway() || !Connected()) return false;
    const bool betweenRequests =
        ConnState == THttpConnectionState::hcRequest && Socket().BufferedInput() == 0;
    const auto since = std::max(Socket().LastReceived(), LastReplyEnd);
    return now - since > std::chrono::milliseconds(betweenRequests ? idleMs : requestMs);
}

size_t THttpConnection::Receive(char* buffer, size_t size) {
    const std::string bytes = Socket().Receive(size);
    std::copy(bytes.begin(), bytes.end(), buffer);
    return bytes.size();
}

void THttpConnection::EndPostedData() {
    ReadingBody = false;
    HoldInput(Replying);
}

// ---------------------------------------------------------------------------------------------
// reading the request

void THttpConnection::DataAvailable() {
    if (TurnedAway()) { // told the server is busy: whatever it sends is dropped
        Socket().DiscardInput(Socket().BufferedInput());
        return;
    }
    while (Connected() && !InputHeld) {
        if (ReadingBody) {
            if (!TakeBody()) return;
            continue;
        }
        const std::string_view input = Socket().PeekInput();
        const size_t end = input.find('\n');
        if (end == std::string_view::npos) {
            // A request line or header line beyond the limit is no request we can serve.
            if (input.size() > MaxLineBytes) {
                Socket().DiscardInput(input.size());
                HoldInput(true);
                CloseAfterReply();
            }
            return;
        }
        const std::string_view line = StripLineEnd(input.substr(0, end + 1));
        bool headerEnded = false;
        switch (ConnState) {
        case THttpConnectionState::hcRequest:
            if (!line.empty()) StartRequest(line); // stray line ends between requests: skipped
            break;
        case THttpConnectionState::hcHeader:
            if (line.empty()) {
                headerEnded = true;
                break;
            }
            Request.ParseHeaderLine(line, ServerPort);
            if (Request.HeaderBytes > MaxHeaderBytes ||
                Request.RequestHeader.size() > MaxHeaderLines) {
                HoldInput(true);
                CloseAfterReply();
            }
            break;
        case THttpConnectionState::hcPostedData:
            break; // a body nobody asked for
        }
        Socket().DiscardInput(end + 1);
        if (headerEnded && !HeaderEnded()) return;
    }
}

void THttpConnection::StartRequest(std::string_view line) {
    Request.ParseRequestLine(line);
    Document.clear();
    OutsideRootFlag = false;
    AcceptPostedDataFlag = false;
    BodyToDiscard = DocSize = DataSent = FileDate = 0;
    DocContentType.clear();
    DocStream.reset();
    ConnState = THttpConnectionState::hcHeader;
}

bool THttpConnection::HeaderEnded() {
    if (Request.RequestContentLength != 0) {
        ConnState = THttpConnectionState::hcPostedData;
        BodyToDiscard = Request.RequestContentLength;
    } else if (Request.Method == "GET") {
        ConnState = THttpConnectionState::hcRequest;
    }
    // The next request waits until this one has been answered.
    Replying = true;
    HoldInput(true);
    QPointer<THttpConnection> self(this);
    ProcessRequest();
    if (!self) return false;
    ProbedFile.reset(); // the reply has it, or nobody wanted it
    if (!Connected()) return false;
    if (ConnState == THttpConnectionState::hcPostedData && !AcceptPostedDataFlag &&
        BodyToDiscard > 0) {
        ReadingBody = true;
        HoldInput(false);
    }
    return true;
}

bool THttpConnection::TakeBody() {
    if (Socket().BufferedInput() == 0) return false;
    if (ConnState == THttpConnectionState::hcPostedData && AcceptPostedDataFlag && OnPostedData) {
        QPointer<THttpConnection> self(this);
        const size_t before = Socket().BufferedInput();
        OnPostedData(*this, 0);
        if (!self) return false;
        // Offered again while the owner takes bytes and has not said it has the whole body.
        return !ReadingBody || Socket().BufferedInput() < before;
    }
    // Nobody reads this body: drop it, and go back to lines once it has all gone by.
    const size_t buffered = Socket().BufferedInput();
    const size_t dropped = AcceptPostedDataFlag
                               ? buffered
                               : static_cast<size_t>(std::clamp<int64_t>(
                                     BodyToDiscard, 0, static_cast<int64_t>(buffered)));
    Socket().DiscardInput(dropped);
    BodyToDiscard -= static_cast<int64_t>(dropped);
    if (BodyToDiscard > 0 || AcceptPostedDataFlag) return false;
    BodyToDiscard = 0;
    ReadingBody = false;
    HoldInput(Replying);
    return true;
}

// ---------------------------------------------------------------------------------------------
// processing

void THttpConnection::ProcessRequest() {
    if (OnBeforeProcessRequest) OnBeforeProcessRequest(*this);
    MapDocument();
    if (Request.Method == "GET")
        ProcessGet();
    else if (Request.Method == "HEAD")
        ProcessHead();
    else if (Request.Method == "POST")
        ProcessPost();
    else {
        SendErrorPage(404);
        CloseAfterReply();
    }
}

void THttpConnection::AnswerWithDocument(const std::string& path) {
    Request.Path = path;
    MapDocument();
    if (OutsideRootFlag && !(Options & hoAllowOutsideRoot)) {
        SendErrorPage(403);
        CloseAfterReply();
    } else if (!SendDocument(true)) {
        SendErrorPage(404);
        CloseAfterReply();
    }
}

void THttpConnection::MapDocument() {
    const std::string_view root = TrimRoot(DocDir);
    const std::string path = DecodeRequestPath(Request.Path);
    Document.assign(root); // in the storage of the last request's document
    if (path.empty() || path[0] != '/') Document += '/';
    if (path != "/") Document += path;
    Document = NormalizeLocalPath(std::move(Document));
    OutsideRootFlag = !IsInsideRoot(Document, root);
    // A link inside the folder that leads out of it counts as outside: the folder is what the
    // user chose to publish.
    const bool checkLinks = !OutsideRootFlag && !(Options & hoAllowOutsideRoot);
    if (!OpenDocument(root, checkLinks)) ResolveDocument(checkLinks);
}

// The common case: one open finds the file (two for a folder's default document), and that open
// has already refused every link leading out of the folder. False leaves the decision to
// ResolveDocument.
bool THttpConnection::OpenDocument(std::string_view root, bool checkLinks) {
    using TKind = THttpDocRoot::TKind;
    ProbedKind = TKind::Undecided;
    ProbedPath.clear();
    ProbedFile.reset();
    if (!DocRoot || DocRoot->Root() != root)
        DocRoot = std::make_shared<THttpDocRoot>(std::string(root));
    THttpDocRoot::TOpened found = DocRoot->Open(Document, checkLinks);
    if (found.Kind == TKind::Directory) {
        const std::string index = Document + (Document.back() == '/' ? "" : "/") + DefaultDoc;
        THttpDocRoot::TOpened indexFound = DocRoot->Open(index, checkLinks);
        if (indexFound.Kind == TKind::Undecided) return false;
        if (indexFound.Kind == TKind::File) {
            Document = index;
            found = std::move(indexFound);
        }
    }
    if (found.Kind == TKind::Undecided) return false;
    ProbedKind = found.Kind;
    ProbedPath = Document;
    ProbedFile = std::move(found.Stream);
    return true;
}

// The careful way, for what the open could not settle: default document by name, then every
// link resolved and the result compared with the resolved folder.
void THttpConnection::ResolveDocument(bool checkLinks) {
    if (!Document.empty() && Document.back() == '/' && IsFile(Document + DefaultDoc))
        Document += DefaultDoc;
    else if (IsDirectory(Document) && IsFile(Document + "/" + DefaultDoc))
        Document += "/" + DefaultDoc;
    if (!checkLinks) return;
    const std::string real = RealPath(Document);
    if (real.empty()) return;
    const std::string& realRoot = DocRoot->RealRoot();
    OutsideRootFlag = realRoot.empty() || !IsInsideRoot(real, realRoot);
}

bool THttpConnection::DocumentIsDirectory() const {
    if (ProbedKind != THttpDocRoot::TKind::Undecided && Document == ProbedPath)
        return ProbedKind == THttpDocRoot::TKind::Directory;
    return IsDirectory(Document);
}

void THttpConnection::ProcessGet() {
    ProcessDocumentRequest(true);
}

void THttpConnection::ProcessHead() {
    ProcessDocumentRequest(false);
}

void THttpConnection::ProcessDocumentRequest(bool withBody) {
    THttpGetFlag flags = THttpGetFlag::hgSendDoc;
    if (OutsideRootFlag && !(Options & hoAllowOutsideRoot))
        flags = THttpGetFlag::hg403;
    else if ((Options & hoAllowDirList) && DocumentIsDirectory())
        flags = THttpGetFlag::hgSendDirList;
    QPointer<THttpConnection> self(this);
    const auto& askOwner = withBody ? OnGetDocument : OnHeadDocument;
    if (askOwner) askOwner(*this, flags);
    if (!self) return;
    switch (flags) {
    case THttpGetFlag::hgSendDoc:
        if (!SendDocument(withBody)) {
            SendErrorPage(404);
            CloseAfterReply();
        }
        break;
    case THttpGetFlag::hgSendStream:
        SendDocStream();
        break;
    case THttpGetFlag::hgWillSendMySelf:
        break;
    case THttpGetFlag::hg404:
        SendErrorPage(404);
        CloseAfterReply();
        break;
    case THttpGetFlag::hg403:
        SendErrorPage(403);
        CloseAfterReply();
        break;
    case THttpGetFlag::hgSendDirList:
        SendDirList(withBody);
        break;
    case THttpGetFlag::hg401:
        // A HEAD request that would need a password gets no reply at all, only the close.
        if (withBody) SendErrorPage(401);
        CloseAfterReply();
        break;
    case THttpGetFlag::hgAcceptData:
        CloseAfterReply();
        break;
    }
}

void THttpConnection::ProcessPost() {
    AcceptPostedDataFlag = false;
    THttpGetFlag flags = OutsideRootFlag && !(Options & hoAllowOutsideRoot) ? THttpGetFlag::hg403
                                                                            : THttpGetFlag::hg404;
    QPointer<THttpConnection> self(this);
    if (OnPostDocument) OnPostDocument(*this, flags);
    if (!self) return;
    switch (flags) {
    case THttpGetFlag::hg404:
        SendErrorPage(404);
        CloseAfterReply();
        break;
    case THttpGetFlag::hg403:
        SendErrorPage(403);
        CloseAfterReply();
        break;
    case THttpGetFlag::hg401:
        SendErrorPage(401);
        CloseAfterReply();
        break;
    case THttpGetFlag::hgAcceptData:
        AcceptPostedDataFlag = true;
        // The body is read raw; the owner calls EndPostedData when it has it all.
        ReadingBody = true;
        HoldInput(false);
        break;
    case THttpGetFlag::hgWillSendMySelf:
        break; // the owner answered at once (a request without a body)
    default:
        CloseAfterReply();
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// replies

bool THttpConnection::SendDocument(bool withBody) {
    std::unique_ptr<THttpFileStream> stream;
    if (ProbedKind != THttpDocRoot::TKind::Undecided && Document == ProbedPath) {
        // Checked and opened while mapping the path; the owner left the document alone.
        if (!ProbedFile) return false;
        stream = std::move(ProbedFile);
    } else {
        stream = std::make_unique<THttpFileStream>(Document);
        if (!stream->Opened()) return false;
    }
    FileDate = stream->ModifiedTime();
    DocContentType = DocumentToContentType(Document);
    const TByteRange range = ResolveRange(Request, stream->Size());
    if (range.Result == TByteRange::Kind::Unsatisfiable) {
        // No length tells the client where this reply ends, so the connection ends it.
        Socket().Send(Request.Version + " 416 OK\r\n\r\n");
        CloseAfterReply();
        return true;
    }
    const bool part = range.Result == TByteRange::Kind::Part;
    DocSize = part ? range.Count : stream->Size();
    stream->Seek(part ? range.Offset : 0);
    std::string header;
    header.reserve(160 + Request.Version.size() + DocContentType.size());
    header += Request.Version;
    header += part ? " 206 OK\r\nContent-Type: " : " 200 OK\r\nContent-Type: ";
    header += DocContentType;
    header += "\r\nContent-Length: ";
    header += std::to_string(DocSize);
    header += "\r\n";
    if (FileDate != 0) {
        header += "Last-Modified: ";
        header += RFC1123DateText(FileDate);
        header += " GMT\r\n";
    }
    header += "\r\n";
    Socket().Send(std::move(header));
    DataSent = 0;
    if (withBody) {
        DocStream = std::move(stream);
        SendLoop();
    } else {
        EndOfReply();
    }
    return true;
}

void THttpConnection::SendDocStream() {
    if (!DocStream) DocStream = std::make_unique<THttpMemoryStream>();
    DocStream->Seek(0);
    DocSize = DocStream->Size();
    DataSent = 0;
    SendLoop();
}

void THttpConnection::SendLoop() {
    if (!DocStream) return;
    if (DataSent < DocSize) {
        const int64_t remaining = DocSize - DataSent;
        const int64_t position = DocStream->Position();
        auto bytes = DocStream->SharedBytes();
        if (bytes && position >= 0 && position + remaining <= static_cast<int64_t>(bytes->size())) {
            // Kept in memory already: queued from there as they are.
            Socket().SendShared(std::move(bytes), static_cast<size_t>(position),
                                static_cast<size_t>(remaining));
            DocStream->Seek(position + remaining);
            DataSent = DocSize;
            return;
        }
        const int fd = DocStream->FileDescriptor();
        if (fd >= 0 && remaining > static_cast<int64_t>(SendBlockSize)) {
            // The kernel streams the rest straight from the file.
            Socket().SendFile(fd, position, static_cast<size_t>(remaining));
            DocStream->Seek(position + remaining);
            DataSent = DocSize;
            return;
        }
        const size_t want = static_cast<size_t>(std::min<int64_t>(remaining, SendBlockSize));
        if (SendBuffer.size() < want) SendBuffer.resize(want); // small replies need small buffers
        const size_t got = DocStream->Read(SendBuffer.data(), want);
        if (got == 0) {
            // The stream is shorter than announced: only closing tells the client.
            DocStream.reset();
            CloseAfterReply();
            return;
        }
        DataSent += static_cast<int64_t>(got);
        if (Connected()) Socket().Send(SendBuffer.data(), got);
        return;
    }
    EndOfReply();
}

void THttpConnection::EndOfReply() {
    DocStream.reset();
    if (Request.ClosesAfterReply() && Connected()) {
        Socket().ShutdownSend();
        QTimer::singleShot(ShutdownGraceMs, this, [this] { CloseAfterReply(); });
    }
    ConnState = THttpConnectionState::hcRequest;
    Socket().PostNotice([this] {
        ConnState = THttpConnectionState::hcRequest;
        Replying = false;
        LastReplyEnd = std::chrono::steady_clock::now();
        HoldInput(false);
        if (OnHttpRequestDone) OnHttpRequestDone(*this);
    });
}

void THttpConnection::AnswerText(THttpGetFlag& flags, const std::string& status,
                                 const std::string& contentType, const std::string& header,
                                 const std::string& body) {
    std::string head = Request.Version + " " + (status.empty() ? "200 OK" : status) + "\r\n";
    head +=
        "Content-Type: " + (contentType.empty() ? std::string("text/html") : contentType) + "\r\n";
    head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    head += header;
    head += "\r\n";
    Socket().Send(head);
    DocStream = std::make_unique<THttpMemoryStream>(body);
    SendDocStream();
    flags = THttpGetFlag::hgWillSendMySelf;
}

std::string THttpConnection::BuildErrorPage(const std::string& version, int status,
                                            const std::string& path, const std::string& realm) {
    std::string statusText, before, after, extra;
    switch (status) {
    case 403:
        statusText = " 403 Forbidden";
        before = "<HTML><HEAD><TITLE>403 Forbidden</TITLE></HEAD><BODY><H1>403 Forbidden</H1>The "
                 "requested URL ";
        after = " is Forbidden on this server.<P></BODY></HTML>";
        break;
    case 401:
        statusText = " 401 Unauthorized";
        before = "<HTML><HEAD><TITLE>401 Unauthorized</TITLE></HEAD><BODY><H1>401 "
                 "Unauthorized</H1>The requested URL ";
        after = " is Unauthorized on this server.<P></BODY></HTML>";
        extra = "WWW-Authenticate: Basic Realm=" + realm + "\r\n";
        break;
    default:
        statusText = " 404 Not Found";
        before = "<HTML><HEAD><TITLE>404 Not Found</TITLE></HEAD><BODY><H1>404 Not Found</H1>The "
                 "requested URL ";
        after = " was not found on this server.<P></BODY></HTML>";
        break;
    }
    const std::string body = before + TextToHtmlText(path) + after + "\r\n";
    return version + statusText + "\r\n" + "Content-Type: text/html\r\n" +
           "Content-Length: " + std::to_string(body.size()) + "\r\n" + extra + "\r\n" + body;
}

void THttpConnection::SendErrorPage(int status) {
    Socket().Send(BuildErrorPage(Request.Version, status, Request.Path, AuthRealm));
}

void THttpConnection::SendDirList(bool withBody) {
    DocStream.reset();
    const std::string page = BuildDirListPage(Document, Request.Path);
    Socket().Send(Request.Version + " 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                  std::to_string(page.size()) + "\r\nPragma: no-cache\r\n\r\n");
    DocStream = std::make_unique<THttpMemoryStream>(withBody ? page : std::string());
    SendDocStream();
}

} // namespace korvane
