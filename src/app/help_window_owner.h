#pragma once
// Who the help window belongs to. A modal dialog blocks every window that is not its own, so
// help opened from a dialog (F1 in the settings, the organizer, About...) would show behind a
// wall of blocked input: while a modal dialog shows, the help window is that dialog's, and it
// goes back to the main window before the dialog goes. Owned by the main window, it is no
// window of its own for the application's end either: closing the main window ends the
// program with help still open.
#include <QObject>
#include <QPointer>

class QWidget;

namespace korvane {

class THelpWindowOwner : public QObject {
public:
    // Watches the application's windows for modal dialogs that show or hide.
    explicit THelpWindowOwner(QObject* parent);

    // The window help goes back to (the main window); none until there is one.
    void SetMainWindow(QWidget* window) { MainWindow = window; }
    // The help window to keep; it is given to its owner at once.
    void Keep(QWidget* help);
    // Gives the help window to the modal dialog in front, else to the main window.
    void FollowModalDialog();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void GiveTo(QWidget* owner);

    QPointer<QWidget> MainWindow;
    QPointer<QWidget> Help;
};

} // namespace korvane
