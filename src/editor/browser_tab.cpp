#include "editor/browser_tab.h"

#include "editor/browser_controls.h"
#include "platform/qt_strings.h"
#include "widgets/web_view.h"

#include <QUrl>

#include <algorithm>

namespace korvane {
namespace {

constexpr size_t MaxHistory = 50;

} // namespace

TBrowserTab::TBrowserTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BrowserOutput"));
    Bar = new TBrowserControls(this);
}

TWebView* TBrowserTab::EnsureView() {
    if (Browser) return Browser;
    Browser = new TWebView(this);
    connect(Browser, &TWebView::loadStarted, this, [this] { Loading = true; });
    connect(Browser, &TWebView::loadFinished, this, [this] { Loading = false; });
    connect(Browser, &TWebView::urlChanged, this,
            [this](const QUrl& url) { Remember(ToStdString(url.toString())); });
    Bar->Attach(*Browser);
    ResizeBrowser();
    Browser->show();
    return Browser;
}

void TBrowserTab::Open(const std::string& url, const std::string& postBody) {
    EnsureView()->Load(QUrl::fromUserInput(ToQString(url)), QByteArray::fromStdString(postBody));
}

bool TBrowserTab::Showing(const std::string& url) const {
    return Browser && Browser->Url().toString().compare(
                          QUrl::fromUserInput(ToQString(url)).toString(), Qt::CaseInsensitive) == 0;
}

void TBrowserTab::Reload() {
    if (Browser) Browser->Reload();
}

void TBrowserTab::SetHistory(std::vector<std::string> history) {
    Visited = std::move(history);
    if (Visited.size() > MaxHistory) Visited.erase(Visited.begin(), Visited.end() - MaxHistory);
}

void TBrowserTab::Remember(const std::string& url) {
    if (url.empty() || (!Visited.empty() && Visited.back() == url)) return;
    Visited.push_back(url);
    if (Visited.size() > MaxHistory) Visited.erase(Visited.begin());
}

void TBrowserTab::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ResizeBrowser();
}

// The view sits under the tool bar, 2 pixels in from the left, right and bottom edges.
void TBrowserTab::ResizeBrowser() {
    Bar->setGeometry(0, 0, width(), Bar->sizeHint().height());
    if (!Browser) return;
    const int top = Bar->height();
    Browser->setGeometry(2, top, std::max(0, width() - 4), std::max(0, height() - top - 2));
}

} // namespace korvane
