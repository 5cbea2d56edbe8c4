#pragma once
// A wait the window cannot go on without (a helper program whose answer it needs), kept from
// freezing it: a busy cursor at once, the window goes on painting and its timers run, and after
// half a second a small window says what runs and offers Cancel. Until then no key or click
// reaches the window; afterwards the small window, which is modal, takes them.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <memory>
#include <string>

class QProgressDialog;
class QWidget;

namespace korvane {

class TWindowWait {
public:
    explicit TWindowWait(QWidget* window);
    ~TWindowWait();
    TWindowWait(const TWindowWait&) = delete;
    TWindowWait& operator=(const TWindowWait&) = delete;

    // A wait for the program whose command is given begins.
    void Begin(const std::string& command);
    // Lets the window handle what has come; false once Cancel has been pressed.
    bool GoesOn();
    void End();

    // How long a wait runs before the window with Cancel comes up.
    static constexpr int CancelAfterMs = 500;
    // The longest command shown in full.
    static constexpr int ShownCommandChars = 90;

private:
    void ShowProgress();

    QPointer<QWidget> Window;
    std::unique_ptr<QProgressDialog> Progress;
    QElapsedTimer Since;
    QString Label;
    bool Active = false;
    bool Cancelled = false;
};

} // namespace korvane
