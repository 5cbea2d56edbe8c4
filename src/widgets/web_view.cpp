#include "widgets/web_view.h"

#include "platform/program_folder.h"
#include "platform/qt_strings.h"
#include "widgets/web_engine.h"

#include <QApplication>
#include <QLabel>
#include <QLibrary>
#include <QVBoxLayout>

#include <unistd.h>

namespace korvane {
namespace {

constexpr char ModuleFile[] = "korvane-webengine.so";

struct TModule {
    TMakeWebEngine* Make = nullptr;
    QString Problem;
};

// Loaded once, on the first view, and kept for the rest of the run.
const TModule& BrowserModule() {
    static const TModule module = [] {
        TModule loaded;
        const std::string file = ProgramModuleFile(ModuleFile);
        if (file.empty()) {
            loaded.Problem = QStringLiteral("%1 is not installed.").arg(QLatin1String(ModuleFile));
            return loaded;
        }
        QLibrary library(ToQString(file));
        library.setLoadHints(QLibrary::PreventUnloadHint);
        loaded.Make = reinterpret_cast<TMakeWebEngine*>(library.resolve(MakeWebEngineEntry));
        if (!loaded.Make) loaded.Problem = library.errorString();
        return loaded;
    }();
    return module;
}

} // namespace

void TWebView::PrepareApplication() {
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine will not sandbox itself for root, and ends the whole program the moment the
    // first view starts instead: for root it runs without its sandbox.
    if (geteuid() == 0) {
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        if (!flags.contains("--no-sandbox"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                    flags.isEmpty() ? "--no-sandbox" : flags + " --no-sandbox");
    }
}

TWebView::TWebView(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const TModule& module = BrowserModule();
    if (!module.Make) {
        auto* note = new QLabel(
            QStringLiteral("The browser view could not be started: %1").arg(module.Problem), this);
        note->setWordWrap(true);
        note->setAlignment(Qt::AlignCenter);
        layout->addWidget(note);
        return;
    }
    Engine = module.Make(this);
    layout->addWidget(Engine->Widget());
    Engine->SetEvents({
        .LoadStarted = [this] { emit loadStarted(); },
        .LoadFinished = [this](bool ok) { emit loadFinished(ok); },
        .UrlChanged = [this](const QUrl& url) { emit urlChanged(url); },
        .TitleChanged = [this](const QString& title) { emit titleChanged(title); },
    });
}

// The engine's widget is a child and is deleted after this: it must not call back by then.
TWebView::~TWebView() {
    if (Engine) Engine->SetEvents({});
}

void TWebView::Load(const QUrl& url, const QByteArray& postedForm) {
    if (Engine) Engine->Load(url, postedForm);
}

void TWebView::Back() {
    if (Engine) Engine->Back();
}

void TWebView::Forward() {
    if (Engine) Engine->Forward();
}

void TWebView::Stop() {
    if (Engine) Engine->Stop();
}

void TWebView::Reload() {
    if (Engine) Engine->Reload();
}

void TWebView::Print(QPrinter* printer) {
    if (Engine) Engine->Print(printer);
}

QUrl TWebView::Url() const {
    return Engine ? Engine->Url() : QUrl();
}

bool TWebView::CanGoBack() const {
    return Engine && Engine->CanGoBack();
}

bool TWebView::CanGoForward() const {
    return Engine && Engine->CanGoForward();
}

void TWebView::ReadText(std::function<void(const QString&)> done) {
    if (Engine) Engine->ReadText(std::move(done));
}

} // namespace korvane
