#pragma once
// Runs a TSftpClient on a worker thread. libssh's calls block, so each operation is handed to
// the worker whole; the caller waits for it while the event loop keeps running, which gives
// the same blocking-looking calls as the FTP client without freezing the window. The client
// belongs to the worker while a job runs and to the caller between jobs: the two never touch
// it at the same time.
#include "net/sftp_client.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace korvane {

class TSftpSession : public QObject {
public:
    explicit TSftpSession(QObject* parent = nullptr);
    ~TSftpSession() override;

    // Where server keys are checked and recorded: ~/.ssh/known_hosts unless set.
    std::string KnownHostsFile;

    // Runs job(client) on the worker and returns its result once it ends. False at once when
    // another job is running.
    bool Run(const std::function<bool(TSftpClient&)>& job);
    // Called by a job on the worker: the latest byte count, handed to OnProgress on this
    // object's thread. Reports that arrive faster than they are shown are merged.
    void PostProgress(int64_t bytes);
    std::function<void(int64_t bytes)> OnProgress;

    // Makes the running job fail at once; the connection is dropped.
    void Abort();
    // Asks the running job to stop at its next check of CancelRequested, so that it can clean
    // up over a connection that still works; one that has not ended a few seconds later is
    // ended as by Abort.
    void Cancel();
    // For jobs, from the worker: whether Cancel was called since the job started.
    bool CancelRequested() const { return CancelFlag.load(); }
    bool Running() const { return Worker.joinable(); }
    // Between jobs only.
    bool Connected() const { return !Running() && Client.Connected(); }
    const std::string& ErrorMessage() const { return Client.ErrorMessage(); }
    void Close();

private:
    void DeliverProgress();

    TSftpClient Client;
    std::thread Worker;
    std::atomic<bool> JobDone{false};
    std::atomic<int64_t> LatestProgress{0};
    std::atomic<bool> ProgressPosted{false};
    std::atomic<bool> CancelFlag{false};
    std::chrono::steady_clock::time_point CancelledAt;
};

} // namespace korvane
