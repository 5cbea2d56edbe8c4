// The data side of TFtpClient: data ports in active and passive mode, sending and receiving.
#include "net/ftp_transfer.h"
#include "net/ftp_data_address.h"

#include <QFile>
#include <QSaveFile>
#include <QTimer>

#include <sys/file.h>

#include <cerrno>

namespace korvane {

namespace {

// Blocks grow while the socket takes them at once and shrink when one drains slowly, so fast
// links are not held back by small writes and slow ones still report progress often.
constexpr size_t MinBlock = 1460;
// Writes much larger than this burst past a receiver whose window is still small; on loopback
// that cost dropped segments and retransmit stalls in measurements.
constexpr size_t MaxBlock = 64 * 1024;
constexpr int64_t FastBlockMs = 20;
constexpr int64_t SlowBlockMs = 250;
// At most this much is read from the data connection per event, so a server that streams
// endlessly cannot keep the event loop from checking the deadline.
constexpr size_t ReceiveChunk = 64 * 1024;
constexpr size_t ReceivePerEvent = 16 * 1024 * 1024;
// How long a server is given to answer a transfer stopped by the client. A busy server may
// still be taking in what reached it before the reset; giving up ends the whole session.
constexpr int AbortReplyMs = 10000;

bool LockForShareMode(QFile& file, TFtpShareMode mode) {
    if (mode == TFtpShareMode::ftpShareDenyNone) return true;
    const int operation = mode == TFtpShareMode::ftpShareExclusive ? LOCK_EX : LOCK_SH;
    return flock(file.handle(), operation | LOCK_NB) == 0;
}

} // namespace

void TFtpClient::CloseData() {
    DisposeSocket(DataListener);
    DisposeSocket(DataSocket);
    if (Xfer && !Xfer->DataClosed) {
        Xfer->DataClosed = true;
        Xfer->EndMs = MonotonicMs();
    }
}

void TFtpClient::OpenDataPort() {
    CloseData();
    Xfer = std::make_unique<Transfer>();
    Xfer->Upload = (PendingSteps & StepStor) != 0;
    if (!Passive) {
        ListenActive();
        return;
    }
    const bool v6 = IsIPv6Address(ControlSocket->PeerAddress());
    SendCommand(v6 ? "EPSV" : "PASV", [this, v6](const TFtpReplyLine& reply) {
        if (reply.Code != (v6 ? 229 : 227)) {
            Fail(reply.Code, reply.Text);
            return;
        }
        ConnectPassive(reply);
    });
    if (FState == TFtpState::ftpWaitingResponse) SetState(TFtpState::ftpWaitingDataAddress);
}

void TFtpClient::ListenActive() {
    const std::string local = ControlSocket->LocalAddress();
    const bool ranged = FDataPortRangeStart != 0 || FDataPortRangeEnd != 0;
    try {
        if (!ranged) {
            DataListener = std::make_unique<TWSocket>();
            DataListener->Listen(local, 0, 1);
        } else {
            for (uint16_t port :
                 DataPortCandidates(FDataPortRangeStart, FDataPortRangeEnd, NextDataPort)) {
                auto listener = std::make_unique<TWSocket>();
                try {
                    listener->Listen(local, port, 1);
                } catch (const SocketError& e) {
                    if (e.Error() == EADDRINUSE) continue;
                    throw;
                }
                DataListener = std::move(listener);
                NextDataPort = DataPortAfter(port, FDataPortRangeStart, FDataPortRangeEnd);
                break;
            }
            if (!DataListener) {
                Fail(550, "All ports in DataPortRange are in use");
                return;
            }
        }
    } catch (const SocketError& e) {
        DisposeSocket(DataListener);
        Fail(550, "Data connection winsock.bind failed, error #" + std::to_string(e.Error()));
        return;
    }
    connect(DataListener.get(), &TWSocket::SessionAvailable, this,
            [this] { Guarded([&] { OnDataAvailableToAccept(); }); });
    SendCommand(DataPortCommand(local, DataListener->LocalPort(), ControlSocket->PeerAddress()),
                {200, 227});
}

void TFtpClient::ConnectPassive(const TFtpReplyLine& reply) {
    const bool v6 = reply.Code == 229;
    const std::optional<uint16_t> port = v6 ? EpsvReplyPort(reply.Text) : PasvReplyPort(reply.Text);
    if (!port) {
        Fail(550, "Unable to establish data connection: no address in \"" + reply.Text + "\"");
        return;
    }
    DataSocket = std::make_unique<TWSocket>();
    connect(DataSocket.get(), &TWSocket::SessionConnected, this, [this](int error) {
        Guarded([&] {
            if (error != 0) {
                DisposeSocket(DataSocket);
                Fail(550, "Unable to establish data connection, error #" + std::to_string(error));
                return;
            }
            Xfer->DataConnected = true;
            StepDone();
        });
    });
    WatchDataSocket();
    DataSocket->Connect(ControlSocket->PeerAddress(), *port, LocalAddr);
}

void TFtpClient::OnDataAvailableToAccept() {
    if (!DataListener) return;
    std::unique_ptr<TWSocket> incoming = DataListener->Accept();
    if (!incoming) return;
    // Only the server may connect; anyone else could inject or steal the file.
    if (!SameHost(incoming->PeerAddress(), ControlSocket->PeerAddress())) {
        Display("! Data connection from " + incoming->PeerAddress() + " refused");
        incoming->Abort();
        return;
    }
    DisposeSocket(DataListener);
    DataSocket = std::move(incoming);
    DataSocket->SetLinger(false, 0);
    Xfer->DataConnected = true;
    WatchDataSocket();
    TryStartSending();
    ReceiveData(); // bytes may have arrived with the connection
}

void TFtpClient::WatchDataSocket() {
    TWSocket* socket = DataSocket.get();
    connect(socket, &TWSocket::DataAvailable, this, [this] { Guarded([&] { ReceiveData(); }); });
    connect(socket, &TWSocket::DataSent, this, [this] { Guarded([&] { OnDataSent(); }); });
    connect(socket, &TWSocket::SessionClosed, this,
            [this](int error) { Guarded([&] { OnDataClosed(error); }); });
}

void TFtpClient::StartStor() {
    bool cancel = false;
    if (OnReadyToTransmit) OnReadyToTransmit(cancel);
    if (cancel) {
        Fail(426, "426 Transmit cancelled by application");
        return;
    }
    if (FLocalStream) {
        if (!FLocalStream->isOpen()) FLocalStream->open(QIODevice::ReadOnly);
        if (FLocalStream->isReadable() && !FLocalStream->isSequential()) FLocalStream->seek(0);
        if (FLocalStream->isReadable()) Xfer->Device = FLocalStream;
    } else {
        auto file = std::make_unique<QFile>(QString::fromStdString(FLocalFileName));
        if (file->open(QIODevice::ReadOnly) && LockForShareMode(*file, ShareMode)) {
            Xfer->Device = file.get();
            Xfer->OwnedDevice = std::move(file);
        }
    }
    if (!Xfer->Device) {
        Fail(426, "426 Unable to open local file " + FLocalFileName);
        return;
    }
    Xfer->TextUpload = !Binary;
    SendCommand("STOR " + HostFileName, [this](const TFtpReplyLine& first) {
        if (first.Code != 150 && first.Code != 125) {
            CloseData();
            Fail(first.Code, first.Text);
            return;
        }
        Xfer->FirstReply = true;
        PendingReply = [this](const TFtpReplyLine& final) {
            if (final.Code != 226 && final.Code != 250) {
                Display("! STOR Failed");
                CloseData();
                Fail(final.Code, final.Text);
                return;
            }
            Xfer->FinalReply = true;
            if (Xfer->SendDone) CloseData(); // the server has everything, closed or not
            TryFinishTransfer();
        };
        TryStartSending();
    });
}

void TFtpClient::StartRetr() {
    if (FLocalStream) {
        if (!FLocalStream->isOpen()) FLocalStream->open(QIODevice::WriteOnly);
        if (FLocalStream->isWritable()) Xfer->Device = FLocalStream;
    } else {
        // Written beside the target and renamed over it only when the whole file arrived, so a
        // failed download never destroys the file that was there.
        auto file = std::make_unique<QSaveFile>(QString::fromStdString(FLocalFileName));
        if (file->open(QIODevice::WriteOnly)) {
            Xfer->Device = file.get();
            Xfer->OwnedDevice = std::move(file);
        }
    }
    if (!Xfer->Device) {
        Fail(426, "Unable to open local file " + FLocalFileName);
        return;
    }
    SendCommand("RETR " + HostFileName, [this](const TFtpReplyLine& first) {
        if (first.Code != 125 && first.Code / 10 != 15) {
            CloseData();
            Fail(first.Code, first.Text);
            return;
        }
        Xfer->FirstReply = true;
        PendingReply = [this](const TFtpReplyLine& final) {
            if (final.Code != 125 && final.Code != 226 && final.Code != 250) {
                Display("! RETR/LIST/NLST Failed");
                CloseData();
                Fail(final.Code, final.Text);
                return;
            }
            Xfer->FinalReply = true;
            TryFinishTransfer();
        };
    });
}

void TFtpClient::TryStartSending() {
    if (!Xfer || !Xfer->Upload || !Xfer->DataConnected || !Xfer->FirstReply || Xfer->StartMs != 0)
        return;
    Xfer->StartMs = MonotonicMs();
    SendNextBlock();
}

void TFtpClient::SendNextBlock() {
    if (!DataSocket || Xfer->Aborted || Xfer->FailureCode != 0) return;
    std::string block(Xfer->BlockSize, '\0');
    const qint64 read = Xfer->Device->read(block.data(), static_cast<qint64>(block.size()));
    if (read < 0) {
        Display("! Error reading file");
        Xfer->FailureCode = 426;
        Xfer->FailureText = "426 Error reading local file " + FLocalFileName;
        CloseData(); // the server still answers; the request ends with its reply
        return;
    }
    block.resize(static_cast<size_t>(read));
    Xfer->InFlightSource = block.size();
    if (Xfer->TextUpload)
        block = read > 0 ? Xfer->LineEnds.Convert(block) : Xfer->LineEnds.Finish();
    if (block.empty() && read == 0) {
        // Half-close: the socket stays open so that the system's queue can be watched while a
        // slow link drains it; the server closes its side once it has read everything.
        Xfer->SendDone = true;
        DataSocket->ShutdownSend();
        return;
    }
    if (block.empty()) {
        // A piece of text that was a lone CR, held until the next piece: read on.
        Xfer->Bytes += static_cast<int64_t>(Xfer->InFlightSource);
        SendNextBlock();
        return;
    }
    Xfer->InFlight = block.size();
    Xfer->BlockQueuedAt = MonotonicMs();
    DataSocket->Send(block);
}

void TFtpClient::OnDataSent() {
    if (!Xfer || !Xfer->Upload || Xfer->InFlight == 0) return;
    Xfer->Bytes += static_cast<int64_t>(Xfer->InFlightSource);
    Xfer->InFlight = 0;
    const int64_t took = MonotonicMs() - Xfer->BlockQueuedAt;
    if (took < FastBlockMs && Xfer->BlockSize < MaxBlock)
        Xfer->BlockSize *= 2;
    else if (took > SlowBlockMs && Xfer->BlockSize > MinBlock)
        Xfer->BlockSize = std::max(MinBlock, Xfer->BlockSize / 2);
    ReportProgress();
    SendNextBlock();
}

void TFtpClient::ReceiveData() {
    size_t taken = 0;
    while (DataSocket && Xfer && taken < ReceivePerEvent) {
        const std::string bytes = DataSocket->Receive(ReceiveChunk);
        if (bytes.empty()) return;
        taken += bytes.size();
        if (Xfer->Upload) continue; // nothing is expected back on an upload
        if (Xfer->StartMs == 0) Xfer->StartMs = MonotonicMs();
        if (Xfer->Device->write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
            Display("! Error writing local file");
            Xfer->FailureCode = 426;
            Xfer->FailureText = "426 Error writing local file " + FLocalFileName;
            CloseData();
            TryFinishTransfer();
            return;
        }
        Xfer->Bytes += static_cast<int64_t>(bytes.size());
        ReportProgress();
    }
    // More may be waiting: come back after other events had their turn.
    if (DataSocket && Xfer)
        QMetaObject::invokeMethod(
            this, [this] { Guarded([&] { ReceiveData(); }); }, Qt::QueuedConnection);
}

void TFtpClient::OnDataClosed(int error) {
    ReceiveData(); // what arrived before the close
    if (!Xfer) return;
    DisposeSocket(DataSocket);
    Xfer->DataClosed = true;
    Xfer->DataCloseError = error;
    Xfer->EndMs = MonotonicMs();
    if (error != 0 && !Xfer->Upload) Display("! Data: Receive error " + std::to_string(error));
    if (error != 0 && Xfer->Upload) Display("! Error #" + std::to_string(error) + " sending data");
    TryFinishTransfer();
}

void TFtpClient::ReportProgress() {
    LastProgressMs = MonotonicMs();
    bool abort = false;
    if (OnProgress) OnProgress(Xfer->Bytes, abort);
    if (abort) StopData();
}

void TFtpClient::StopData() {
    if (Xfer->Aborted) return;
    Display("! Abort requested");
    Xfer->Aborted = true;
    // A reset, not a close: what the system still holds unsent must not reach the server
    // after all.
    if (DataSocket) DataSocket->SetLinger(true, 0);
    CloseData();
    // A server that loses track of a transfer reset early may never answer: it gets a moment,
    // then the session ends as for a timeout.
    QTimer::singleShot(AbortReplyMs, this, [this, request = RequestNumber] {
        if (RequestNumber == request && FState != TFtpState::ftpReady)
            GiveUp(426, "426 Operation aborted.");
    });
    // The server may have answered already; then nothing more will come.
    TryFinishTransfer();
}

void TFtpClient::NoteQueueProgress() {
    // A large block may take a while to leave; its shrinking queue is progress too.
    if (!Xfer || !Xfer->Upload || !DataSocket) return;
    const size_t queued = DataSocket->UnsentBytes();
    if (queued != Xfer->LastQueued) {
        Xfer->LastQueued = queued;
        LastProgressMs = MonotonicMs();
    }
}

void TFtpClient::TryFinishTransfer() {
    if (!Xfer || !Xfer->FinalReply || !Xfer->DataClosed) return;
    ShowSummary();
    if (Xfer->FailureCode != 0) {
        Fail(Xfer->FailureCode, Xfer->FailureText);
    } else if (Xfer->Aborted) {
        Fail(426, "426 Operation aborted.");
    } else if (Xfer->DataCloseError != 0) {
        Fail(500, SocketErrorMessage(Xfer->DataCloseError));
    } else if (auto* save = dynamic_cast<QSaveFile*>(Xfer->OwnedDevice.get());
               save && !save->commit()) {
        Display("! Error writing local file");
        Fail(426, "426 Error writing local file " + FLocalFileName);
    } else {
        StepDone();
    }
}

void TFtpClient::ShowSummary() {
    const int64_t bytes = Xfer->Bytes;
    const int64_t ms = Xfer->StartMs != 0 ? Xfer->EndMs - Xfer->StartMs : 0;
    std::string text = "! " + std::to_string(bytes) + " bytes " +
                       (Xfer->Upload ? "sent" : "received") + " in " + std::to_string(ms / 1000) +
                       " seconds";
    if (ms > 0) {
        const int64_t rate = bytes < 32768 ? bytes * 1000 / ms : bytes / ms * 1000;
        text += " (" + std::to_string(rate) + " Bytes/sec)";
    }
    Display(text);
}

} // namespace korvane
