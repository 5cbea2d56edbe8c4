#pragma once
// The browser engine behind a web view. The engine's libraries are large (loading them with the
// program doubled its time to the window), so they live in a module of their own that is loaded
// when the first view is made. This is all the program and the module share: an interface of
// pure virtual and inline members only, so neither needs a symbol of the other.
#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

class QPrinter;
class QWidget;

namespace korvane {

class TWebEngine {
public:
    // What the engine reports; each may be left empty.
    struct TEvents {
        std::function<void()> LoadStarted;
        std::function<void(bool ok)> LoadFinished;
        std::function<void(const QUrl&)> UrlChanged;
        std::function<void(const QString&)> TitleChanged;
    };

    virtual ~TWebEngine() = default;
    // The widget that shows the pages; it owns this engine and goes with it.
    virtual QWidget* Widget() = 0;
    virtual void SetEvents(TEvents events) = 0;
    // Loads url, fresh from its source; with a form it is posted as a submitted form.
    virtual void Load(const QUrl& url, const QByteArray& postedForm) = 0;
    virtual void Back() = 0;
    virtual void Forward() = 0;
    virtual void Stop() = 0;
    virtual void Reload() = 0;
    // Prints in the background; printer must outlive the job.
    virtual void Print(QPrinter* printer) = 0;
    virtual QUrl Url() const = 0;
    virtual bool CanGoBack() const = 0;
    virtual bool CanGoForward() const = 0;
    // The text of the page shown, handed to done once the engine has it.
    virtual void ReadText(std::function<void(const QString&)> done) = 0;
};

// The module's one entry point, looked up by this name: a new engine whose widget is a child
// of parent.
using TMakeWebEngine = TWebEngine*(QWidget* parent);
inline constexpr char MakeWebEngineEntry[] = "korvane_make_web_engine";

} // namespace korvane
