#pragma once
// Work the window waits on (a helper program, a look-up), done on a thread of its own so the
// window goes on painting and taking keys: a busy cursor shows while it runs, and after half a
// second a small window with Cancel, which asks the work to stop.
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QProgressDialog;
class QTimer;
class QWidget;

namespace korvane {

class TBackgroundJob : public QObject {
public:
    // Told, now and then, whether it is to stop; it should then end soon.
    using TWork = std::function<void(const std::atomic<bool>& cancelled)>;
    // Called on the window's thread once the work has ended, with whether it was cancelled.
    using TDone = std::function<void(bool cancelled)>;

    // Starts work at once; label says what it does, in the window with Cancel.
    TBackgroundJob(QWidget* window, const QString& label, TWork work, TDone done);
    // Cancels work that still runs and waits for it to end; done is then not called.
    ~TBackgroundJob() override;

    void Cancel() { Cancelled = true; }
    bool Running() const { return !Ended; }

    // How long the work runs before the window with Cancel comes up.
    static constexpr int CancelAfterMs = 500;

private:
    void Finish();

    std::atomic<bool> Cancelled{false};
    bool Ended = false;
    TDone Done;
    QProgressDialog* Progress = nullptr; // owned by the window
    QTimer* ShowProgress = nullptr;      // owned by the job
    std::thread Worker;
};

} // namespace korvane
