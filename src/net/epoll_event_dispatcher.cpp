#include "net/epoll_event_dispatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimerEvent>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace korvane {
namespace {

constexpr int ReadyBatch = 256;

// What each notifier type (read, write, exception) watches for, and what wakes it: an error
// or a hang-up wakes the reader and the writer, whose next call then reports it.
constexpr uint32_t WatchedEvents[3] = {EPOLLIN, EPOLLOUT, EPOLLPRI};
constexpr uint32_t WakingEvents[3] = {EPOLLIN | EPOLLHUP | EPOLLERR, EPOLLOUT | EPOLLHUP | EPOLLERR,
                                      EPOLLPRI};

} // namespace

TEpollEventDispatcher::TEpollEventDispatcher(QObject* parent) : QAbstractEventDispatcher(parent) {
    Epoll = ::epoll_create1(EPOLL_CLOEXEC);
    WakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (Epoll < 0 || WakeFd < 0)
        throw std::runtime_error("cannot create the event loop's epoll set");
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.fd = WakeFd;
    ::epoll_ctl(Epoll, EPOLL_CTL_ADD, WakeFd, &wake);
    // Events posted before this loop was installed woke nobody: the first wait must not sleep
    // on them.
    wakeUp();
}

TEpollEventDispatcher::~TEpollEventDispatcher() {
    ::close(WakeFd);
    ::close(Epoll);
}

// ---------------------------------------------------------------------------------------------
// the loop

// Posted events are sent after the wait, never just before it: what they do may be all the
// caller waits for, and the wait would then outlast it. Every post wakes the wait (wakeUp).
bool TEpollEventDispatcher::processEvents(QEventLoop::ProcessEventsFlags flags) {
    emit awake();
    const int timeoutMs = (flags & QEventLoop::WaitForMoreEvents) ? WaitTimeoutMs() : 0;
    if (timeoutMs != 0) emit aboutToBlock();
    // On the stack: a handler may run a loop of its own, which waits in here again.
    epoll_event ready[ReadyBatch];
    int count = ::epoll_wait(Epoll, ready, ReadyBatch, timeoutMs);
    if (count < 0) count = 0; // a signal
    if (timeoutMs != 0) emit awake();
    // The wake-up is taken first, so that whatever the posted events post wakes the next wait.
    bool handled = false;
    for (int i = 0; i < count; ++i) {
        if (ready[i].data.fd != WakeFd) continue;
        uint64_t posts = 0;
        [[maybe_unused]] const ssize_t drained = ::read(WakeFd, &posts, sizeof posts);
        WakeUpPending.store(false);
        handled = true;
    }
    QCoreApplication::sendPostedEvents();
    if (!(flags & QEventLoop::ExcludeSocketNotifiers))
        handled = ActivateSockets(ready, count) || handled;
    if (!(flags & QEventLoop::X11ExcludeTimers)) handled = ActivateTimers() || handled;
    return handled;
}

void TEpollEventDispatcher::HandleFirst(QSocketNotifier* notifier) {
    if (IsFirst(notifier)) return;
    First.push_back(notifier);
    connect(notifier, &QObject::destroyed, this, [this, notifier] { std::erase(First, notifier); });
}

void TEpollEventDispatcher::Activate(QSocketNotifier* notifier) {
    QEvent event(QEvent::SockAct);
    QCoreApplication::sendEvent(notifier, &event);
}

bool TEpollEventDispatcher::ActivateFirst(const epoll_event* ready, int count) {
    bool handled = false;
    for (size_t i = 0; i < First.size(); ++i) {
        QSocketNotifier* notifier = First[i];
        if (!notifier->isEnabled()) continue;
        const int fd = static_cast<int>(notifier->socket());
        bool woken = count == ReadyBatch;
        for (int k = 0; k < count && !woken; ++k)
            woken = ready[k].data.fd == fd && (ready[k].events & WakingEvents[0]);
        if (!woken) continue;
        Activate(notifier);
        handled = true;
    }
    return handled;
}

bool TEpollEventDispatcher::ActivateSockets(const epoll_event* ready, int count) {
    bool handled = !First.empty() && ActivateFirst(ready, count);
    for (int i = 0; i < count; ++i) {
        const int fd = ready[i].data.fd;
        const uint32_t events = ready[i].events;
        if (fd == WakeFd) continue;
        for (int type = 0; type < 3; ++type) {
            if (!(events & WakingEvents[type])) continue;
            // Looked up afresh: an earlier notifier's handler may have switched this one off
            // or deleted it.
            const auto watch = Watches.find(fd);
            if (watch == Watches.end()) break;
            QSocketNotifier* notifier = watch->second.Notifiers[type];
            if (!notifier || (type == 0 && IsFirst(notifier))) continue;
            Activate(notifier);
            handled = true;
        }
    }
    return handled;
}

bool TEpollEventDispatcher::ActivateTimers() {
    const Clock::time_point now = Clock::now();
    std::vector<std::pair<Clock::time_point, int>> due;
    for (const TTimer& timer : Timers)
        if (!timer.Running && timer.Due <= now) due.emplace_back(timer.Due, timer.Id);
    std::sort(due.begin(), due.end());
    for (const auto& [when, id] : due) {
        // Each is looked up afresh: a handler may kill or start timers.
        TTimer* timer = FindTimer(id);
        if (!timer || timer->Running) continue;
        // Kept to its cadence, unless the loop fell behind by a whole interval or more.
        timer->Due += timer->Interval;
        if (timer->Due <= now) timer->Due = now + timer->Interval;
        timer->Running = true;
        QObject* object = timer->Object;
        QTimerEvent event(id);
        QCoreApplication::sendEvent(object, &event);
        if (TTimer* still = FindTimer(id)) still->Running = false;
    }
    return !due.empty();
}

int TEpollEventDispatcher::WaitTimeoutMs() const {
    const Clock::time_point now = Clock::now();
    int64_t shortest = -1;
    for (const TTimer& timer : Timers) {
        if (timer.Running) continue;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(timer.Due - now).count();
        const int64_t wait = std::max<int64_t>(0, left);
        if (shortest < 0 || wait < shortest) shortest = wait;
    }
    return static_cast<int>(std::min<int64_t>(shortest, INT32_MAX));
}

void TEpollEventDispatcher::wakeUp() {
    if (WakeUpPending.exchange(true)) return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(WakeFd, &one, sizeof one);
}

// The wait returns at once, and with it processEvents.
void TEpollEventDispatcher::interrupt() {
    wakeUp();
}

// ---------------------------------------------------------------------------------------------
// socket notifiers

void TEpollEventDispatcher::registerSocketNotifier(QSocketNotifier* notifier) {
    const int fd = static_cast<int>(notifier->socket());
    Watches[fd].Notifiers[notifier->type()] = notifier;
    UpdateWatch(fd);
}

void TEpollEventDispatcher::unregisterSocketNotifier(QSocketNotifier* notifier) {
    const int fd = static_cast<int>(notifier->socket());
    const auto watch = Watches.find(fd);
    if (watch == Watches.end() || watch->second.Notifiers[notifier->type()] != notifier) return;
    watch->second.Notifiers[notifier->type()] = nullptr;
    UpdateWatch(fd);
}

// Tells the epoll set what fd's notifiers want now. A descriptor with none leaves the set, so a
// hang-up nobody listens for cannot wake the loop over and over. A descriptor closed before its
// notifiers were switched off has left the set already (the failed removal is of no matter),
// and its number may come back with a new socket, which is then added afresh.
void TEpollEventDispatcher::UpdateWatch(int fd) {
    const auto watch = Watches.find(fd);
    uint32_t wanted = 0;
    for (int type = 0; type < 3; ++type)
        if (watch->second.Notifiers[type]) wanted |= WatchedEvents[type];
    if (wanted == 0) {
        ::epoll_ctl(Epoll, EPOLL_CTL_DEL, fd, nullptr);
        Watches.erase(watch);
        return;
    }
    epoll_event change{};
    change.events = wanted;
    change.data.fd = fd;
    // The likely operation first; the other when the set says otherwise.
    const bool added = watch->second.InSet;
    if (::epoll_ctl(Epoll, added ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &change) != 0 &&
        errno == (added ? ENOENT : EEXIST))
        ::epoll_ctl(Epoll, added ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, fd, &change);
    watch->second.InSet = true;
}

// ---------------------------------------------------------------------------------------------
// timers

TEpollEventDispatcher::TTimer* TEpollEventDispatcher::FindTimer(int timerId) {
    const auto found = std::find_if(Timers.begin(), Timers.end(),
                                    [timerId](const TTimer& timer) { return timer.Id == timerId; });
    return found == Timers.end() ? nullptr : &*found;
}

void TEpollEventDispatcher::registerTimer(int timerId, qint64 interval, Qt::TimerType timerType,
                                          QObject* object) {
    const std::chrono::milliseconds every(std::max<qint64>(0, interval));
    Timers.push_back({timerId, every, timerType, object, Clock::now() + every, false});
}

bool TEpollEventDispatcher::unregisterTimer(int timerId) {
    const auto before = Timers.size();
    std::erase_if(Timers, [timerId](const TTimer& timer) { return timer.Id == timerId; });
    return Timers.size() != before;
}

bool TEpollEventDispatcher::unregisterTimers(QObject* object) {
    const auto before = Timers.size();
    std::erase_if(Timers, [object](const TTimer& timer) { return timer.Object == object; });
    return Timers.size() != before;
}

QList<QAbstractEventDispatcher::TimerInfo>
TEpollEventDispatcher::registeredTimers(QObject* object) const {
    QList<TimerInfo> found;
    for (const TTimer& timer : Timers)
        if (timer.Object == object)
            found.append(TimerInfo(timer.Id, static_cast<int>(timer.Interval.count()), timer.Type));
    return found;
}

int TEpollEventDispatcher::remainingTime(int timerId) {
    TTimer* timer = FindTimer(timerId);
    if (!timer) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(timer->Due - Clock::now());
    return static_cast<int>(std::max<int64_t>(0, left.count()));
}

} // namespace korvane
