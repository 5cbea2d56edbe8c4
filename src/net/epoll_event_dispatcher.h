#pragma once
// An event dispatcher for a thread that serves sockets and nothing else (the headless web
// server): readiness comes from one epoll set instead of a poll list rebuilt on every wake-up,
// so a wake-up costs the same for one connection as for a thousand. A notifier that stays on
// from request to request (the sockets settle theirs once per event) costs no system call.
//
// Timers have millisecond precision whatever their type. Install it with
// QCoreApplication::setEventDispatcher before the application object is made, or with
// QThread::setEventDispatcher before the thread starts.
#include <QAbstractEventDispatcher>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <unordered_map>
#include <vector>

struct epoll_event;

namespace korvane {

class TEpollEventDispatcher : public QAbstractEventDispatcher {
    Q_OBJECT
public:
    explicit TEpollEventDispatcher(QObject* parent = nullptr);
    ~TEpollEventDispatcher() override;

    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;

    void registerSocketNotifier(QSocketNotifier* notifier) override;
    void unregisterSocketNotifier(QSocketNotifier* notifier) override;

    void registerTimer(int timerId, qint64 interval, Qt::TimerType timerType,
                       QObject* object) override;
    bool unregisterTimer(int timerId) override;
    bool unregisterTimers(QObject* object) override;
    QList<TimerInfo> registeredTimers(QObject* object) const override;
    int remainingTime(int timerId) override;

    void wakeUp() override;
    void interrupt() override;

    // The read notifier of a descriptor whose news must be known before anything else that
    // one wake-up brings (a change to files that requests of the same wake-up will read). It
    // is activated first when ready, and also when the wait returned a full batch, which may
    // have left it out; its handler must expect nothing to read then.
    void HandleFirst(QSocketNotifier* notifier);

private:
    using Clock = std::chrono::steady_clock;
    struct TTimer {
        int Id = 0;
        std::chrono::milliseconds Interval{0};
        Qt::TimerType Type = Qt::CoarseTimer;
        QObject* Object = nullptr;
        Clock::time_point Due;
        bool Running = false; // its event is being handled: it does not fire within itself
    };
    // The notifiers of one descriptor, by type (read, write, exception); a descriptor is in
    // the epoll set while it has one.
    struct TWatch {
        QSocketNotifier* Notifiers[3] = {nullptr, nullptr, nullptr};
        bool InSet = false; // added to the epoll set by this loop
    };

    void UpdateWatch(int fd);
    int WaitTimeoutMs() const;
    bool ActivateSockets(const epoll_event* ready, int count);
    bool ActivateFirst(const epoll_event* ready, int count);
    void Activate(QSocketNotifier* notifier);
    bool IsFirst(const QSocketNotifier* notifier) const {
        return !First.empty() && std::find(First.begin(), First.end(), notifier) != First.end();
    }
    bool ActivateTimers();
    TTimer* FindTimer(int timerId);

    int Epoll = -1;
    int WakeFd = -1;
    std::atomic<bool> WakeUpPending{false};
    std::unordered_map<int, TWatch> Watches;
    std::vector<QSocketNotifier*> First;
    std::vector<TTimer> Timers;
};

} // namespace korvane
