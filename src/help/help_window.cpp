#include "help/help_window.h"

#include "platform/qt_strings.h"
#include "storage/paths.h"
#include "storage/safe_file_write.h"
#include "storage/text_utils.h"
#include "widgets/web_view.h"

#include <QAction>
#include <QDesktopServices>
#include <QToolBar>
#include <QUrl>

#include <filesystem>

namespace korvane {

THelpWindow::THelpWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Korvane Help"));
    resize(900, 700);
    Browser = new TWebView(this);
    setCentralWidget(Browser);
    QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    BackAction = bar->addAction(QIcon::fromTheme(QStringLiteral("go-previous")),
                                QStringLiteral("Back"), Browser, &TWebView::Back);
    BackAction->setShortcut(QKeySequence::Back);
    ForwardAction = bar->addAction(QIcon::fromTheme(QStringLiteral("go-next")),
                                   QStringLiteral("Forward"), Browser, &TWebView::Forward);
    ForwardAction->setShortcut(QKeySequence::Forward);
    // The history has its new entry only once the page has loaded.
    connect(Browser, &TWebView::urlChanged, this, [this] { UpdateActions(); });
    connect(Browser, &TWebView::loadFinished, this, [this] { UpdateActions(); });
    connect(Browser, &TWebView::titleChanged, this, [this](const QString& title) {
        setWindowTitle(title.isEmpty() ? QStringLiteral("Korvane Help")
                                       : title + QStringLiteral(" - Korvane Help"));
    });
    UpdateActions();
}

void THelpWindow::UpdateActions() {
    BackAction->setEnabled(Browser->CanGoBack());
    ForwardAction->setEnabled(Browser->CanGoForward());
}

bool THelpWindow::ShowDocument(const std::string& path) {
    const std::string file = TextBeforeHash(path);
    QUrl url = QUrl::fromLocalFile(ToQString(file));
    if (file.size() < path.size()) url.setFragment(ToQString(path.substr(file.size() + 1)));
    const std::string extension = LowerText(FileExtension(file));
    if (extension != ".htm" && extension != ".html" && extension != ".txt")
        return QDesktopServices::openUrl(url);
    ShowUrl(url);
    return true;
}

void THelpWindow::ShowHtml(const std::string& html, const std::string& file) {
    std::error_code ec;
    std::filesystem::create_directories(FolderPart(file), ec);
    ReplaceFileContents(file, html.data(), html.size());
    ShowUrl(QUrl::fromLocalFile(ToQString(file)));
}

void THelpWindow::ShowUrl(const QUrl& url) {
    Browser->Load(url);
    show();
    raise();
    activateWindow();
}

} // namespace korvane
