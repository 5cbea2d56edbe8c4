// The browser module: the web engine interface over Qt WebEngine's view. Built as a library of
// its own and loaded by the program when its first web view is made.
#include "widgets/web_engine.h"

#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace korvane {
namespace {

class TWebEngineView final : public QWebEngineView, public TWebEngine {
public:
    explicit TWebEngineView(QWidget* parent) : QWebEngineView(parent) {
        connect(this, &QWebEngineView::loadStarted, this, [this] {
            if (Events.LoadStarted) Events.LoadStarted();
        });
        connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
            if (Events.LoadFinished) Events.LoadFinished(ok);
        });
        connect(this, &QWebEngineView::urlChanged, this, [this](const QUrl& url) {
            if (Events.UrlChanged) Events.UrlChanged(url);
        });
        connect(this, &QWebEngineView::titleChanged, this, [this](const QString& title) {
            if (Events.TitleChanged) Events.TitleChanged(title);
        });
    }
    // Whoever listens may be gone already while the view winds down.
    ~TWebEngineView() override { Events = {}; }

    QWidget* Widget() override { return this; }
    void SetEvents(TEvents events) override { Events = std::move(events); }

    void Load(const QUrl& url, const QByteArray& postedForm) override {
        QWebEngineHttpRequest request(url);
        if (!postedForm.isEmpty()) {
            request.setMethod(QWebEngineHttpRequest::Post);
            request.setHeader("Content-Type", "application/x-www-form-urlencoded");
            request.setPostData(postedForm);
        }
        load(request);
    }
    void Back() override { back(); }
    void Forward() override { forward(); }
    void Stop() override { stop(); }
    void Reload() override { reload(); }
    void Print(QPrinter* printer) override { print(printer); }
    QUrl Url() const override { return url(); }
    bool CanGoBack() const override { return history()->canGoBack(); }
    bool CanGoForward() const override { return history()->canGoForward(); }
    void ReadText(std::function<void(const QString&)> done) override {
        page()->toPlainText(std::move(done));
    }

private:
    TEvents Events;
};

} // namespace
} // namespace korvane

extern "C" __attribute__((visibility("default"))) korvane::TWebEngine*
korvane_make_web_engine(QWidget* parent) {
    // The views show program output that changes from run to run, and help pages that are
    // rewritten on the fly: nothing is cached.
    static const bool uncached = [] {
        QWebEngineProfile::defaultProfile()->setHttpCacheType(QWebEngineProfile::NoCache);
        return true;
    }();
    (void)uncached;
    return new korvane::TWebEngineView(parent);
}
