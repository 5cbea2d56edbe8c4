#include "app/application.h"

#include "storage/command_options.h"

#include <QIcon>

#include <cstdio>

namespace korvane {

TKorvaneApplication::TKorvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Korvane"));
    setOrganizationName(QStringLiteral("Brannoq"));
    setApplicationVersion(QString::fromLatin1(ReleaseVersion()));
    // The desktop matches the windows to korvane.desktop, its name and its icon.
    setDesktopFileName(QStringLiteral("korvane"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("korvane"),
                                   QIcon(QStringLiteral(":/desktop/korvane.svg"))));
}

bool TKorvaneApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        Report(&error);
    } catch (...) {
        Report(nullptr);
    }
    return false;
}

void TKorvaneApplication::Report(const std::exception* error) {
    if (OnException) {
        OnException(error);
        return;
    }
    // Before the main window is shown: the platform's plain display.
    std::fprintf(stderr, "Korvane: %s\n", error ? error->what() : "unknown error");
}

} // namespace korvane
