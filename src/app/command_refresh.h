#pragma once
// Keeps the commands' enabled, ticked and hint states current without polling: after any
// input that can change them (a key, a click, a focus or window change) one refresh is queued
// and runs once the event queue is empty, however many events came first. Nothing runs while
// the user does nothing.
#include <QObject>
#include <QTimer>

namespace korvane {

class TCommandUpdates;

class TCommandRefresh : public QObject {
public:
    // Watches the whole application's input.
    TCommandRefresh(const TCommandUpdates& updates, QObject* parent);

    // Queues one refresh; further calls before it runs add nothing.
    void Schedule();
    // Refreshes at once (a menu about to open must show current states).
    void RunNow();
    int RunCount() const { return Runs; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const TCommandUpdates& Updates;
    QTimer Pending;
    int Runs = 0;
};

} // namespace korvane
