#pragma once
// The application object. Exceptions that escape an event handler end up here instead of
// terminating the program; once the main window has been shown they go to its handler.
#include <QApplication>

#include <exception>
#include <functional>

namespace korvane {

class TKorvaneApplication : public QApplication {
public:
    TKorvaneApplication(int& argc, char** argv);

    using ExceptionHandler = std::function<void(const std::exception*)>;
    void SetExceptionHandler(ExceptionHandler handler) { OnException = std::move(handler); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void Report(const std::exception* error);
    ExceptionHandler OnException;
};

} // namespace korvane
