#include "net/sftp_session.h"

#include <QCoreApplication>
#include <QPointer>

#include <cstdlib>

namespace korvane {

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
    bool result = false;
    QPointer<TSftpSession> alive(this);
    Worker = std::thread([this, &job, &result] {
        result = job(Client);
        JobDone = true;
        // Wakes the waiting loop below.
        QMetaObject::invokeMethod(
            this, [] {}, Qt::QueuedConnection);
    });
    while (!JobDone) {
        if (QCoreApplication::closingDown()) Client.Interrupt();
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

void TSftpSession::Close() {
    if (!Running()) Client.Close();
}

} // namespace korvane
