#pragma once
// Internals shared by the two halves of TFtpClient: the state of one data transfer and small
// socket helpers. Not for use outside the client.
#include "net/ftp_client.h"
#include "net/ftp_text_mode.h"
#include "net/wsocket.h"

#include <QIODevice>

#include <cstdint>
#include <memory>
#include <string>

namespace korvane {

struct TFtpClient::Transfer {
    bool Upload = false;
    std::unique_ptr<QIODevice> OwnedDevice; // the local file, when no stream is set
    QIODevice* Device = nullptr;
    bool DataConnected = false;
    bool DataClosed = false;
    int DataCloseError = 0;
    bool FirstReply = false; // 150/125 seen
    bool FinalReply = false; // 226/250 seen
    bool SendDone = false;   // the whole file is queued and the sending side shut down
    bool Aborted = false;
    int FailureCode = 0; // a local failure that decides the result once the server has replied
    std::string FailureText;
    // Bytes of the local file or stream done so far; on a text upload the bytes sent may be
    // fewer.
    int64_t Bytes = 0;
    bool TextUpload = false; // sent with LF line ends
    TLfLineEnds LineEnds;
    int64_t StartMs = 0;
    int64_t EndMs = 0;
    size_t BlockSize = 16 * 1024;
    size_t InFlight = 0;       // bytes of the block the socket is writing
    size_t InFlightSource = 0; // the local bytes that block was made of
    int64_t BlockQueuedAt = 0;
    size_t LastQueued = 0;
};

int64_t MonotonicMs();
// "500 " + the system's text + " (Winsock error #" + number + ")".
std::string SocketErrorMessage(int error);
// Closes a socket at once and frees it once its current event has returned.
void DisposeSocket(std::unique_ptr<TWSocket>& socket);
bool SameHost(const std::string& a, const std::string& b);

} // namespace korvane
