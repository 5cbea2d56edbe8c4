#include "net/sftp_session.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <cstdlib>

namespace korvane {
namespace {

constexpr std::chrono::seconds CancelGrace(3);

} // namespace

TSftpSession::TSftpSession(QObject* parent) : QObject(parent) {
    if (const char* home = std::getenv("HOME"))
        KnownHostsFile = std::string(home) + "/.ssh/known_hosts";
}

TSftpSession::~TSftpSession() {
    if (Running()) {
        Client.Interrupt();
        Worker.join();
    }
}

bool TSftpSession::Run(const std::function<bool(TSftpClient&)>& job) {
    if (Running()) return false;
    JobDone = false;
    CancelFlag = false;
    bool result = false;
    QPointer<TSftpSession> alive(this);
    Worker = std::thread([this, &job, &result] {
        result = job(Client);
        JobDone = true;
        // Wakes the waiting loop below.
        QMetaObject::invokeMethod(
            this, [] {}, Qt::QueuedConnection);
    });
    // Wakes the loop now and then so that a cancelled job that stopped reporting is ended.
    QTimer wake;
    wake.start(200);
    while (!JobDone) {
        if (QCoreApplication::closingDown() ||
            (CancelFlag && std::chrono::steady_clock::now() - CancelledAt > CancelGrace))
            Client.Interrupt();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!alive) return false; // destroyed by an event handled during the wait
    }
    Worker.join();
    DeliverProgress();
    return result;
}

void TSftpSession::PostProgress(int64_t bytes) {
    LatestProgress = bytes;
    if (!ProgressPosted.exchange(true))
        QMetaObject::invokeMethod(
            this, [this] { DeliverProgress(); }, Qt::QueuedConnection);
}

void TSftpSession::DeliverProgress() {
    if (!ProgressPosted.exchange(false)) return;
    if (OnProgress) OnProgress(LatestProgress.load());
}

void TSftpSession::Abort() {
    if (Running()) Client.Interrupt();
}

void TSftpSession::Cancel() {
    if (!Running() || CancelFlag) return;
    CancelledAt = std::chrono::steady_clock::now();
    CancelFlag = true;
}

void TSftpSession::Close() {
    if (!Running()) Client.Close();
}

} // namespace korvane
