#pragma once
// A browser view: pages, history and printing, through the browser module, which is loaded
// when the first view is made. Without the module the view says why in place of the pages.
#include <QUrl>
#include <QWidget>

#include <functional>

class QPrinter;

namespace korvane {

class TWebEngine;

class TWebView : public QWidget {
    Q_OBJECT
public:
    explicit TWebView(QWidget* parent = nullptr);
    ~TWebView() override;

    // Whether the browser module loaded; when it did not, every call below does nothing.
    bool Works() const { return Engine != nullptr; }
    // Loads url, fresh from its source; with a form it is posted as a submitted form.
    void Load(const QUrl& url, const QByteArray& postedForm = {});
    void Back();
    void Forward();
    void Stop();
    void Reload();
    void Print(QPrinter* printer);
    QUrl Url() const;
    bool CanGoBack() const;
    bool CanGoForward() const;
    // The text of the page shown, handed to done once the engine has it.
    void ReadText(std::function<void(const QString&)> done);

    // Set before the application object is made: the engine shares its graphics with Qt's.
    static void PrepareApplication();

signals:
    void loadStarted();
    void loadFinished(bool ok);
    void urlChanged(const QUrl& url);
    void titleChanged(const QString& title);

private:
    TWebEngine* Engine = nullptr;
};

} // namespace korvane
