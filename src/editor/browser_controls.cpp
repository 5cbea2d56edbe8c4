#include "editor/browser_controls.h"

#include "platform/qt_strings.h"
#include "widgets/web_view.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolButton>

#include <algorithm>

namespace korvane {

void AddToBrowserHistory(std::vector<std::string>& history, const std::string& url) {
    if (url.empty()) return;
    history.erase(std::remove(history.begin(), history.end(), url), history.end());
    history.insert(history.begin(), url);
    if (history.size() > BrowserHistoryLength) history.resize(BrowserHistoryLength);
}

TBrowserControls::TBrowserControls(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BrowserControls"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    const auto button = [this, layout](const char* icon, const char* hint) {
        auto* tool = new QToolButton(this);
        tool->setIcon(QIcon::fromTheme(QString::fromLatin1(icon)));
        tool->setText(QString::fromLatin1(hint));
        tool->setToolTip(QString::fromLatin1(hint));
        tool->setAutoRaise(true);
        layout->addWidget(tool);
        return tool;
    };
    BackBtn = button("go-previous", "Back");
    ForwardBtn = button("go-next", "Forward");
    CancelBtn = button("process-stop", "Cancel");
    RefreshBtn = button("view-refresh", "Refresh");
    PrintBtn = button("document-print", "Print");
    HistoryBox = new QComboBox(this);
    HistoryBox->setEditable(true);
    HistoryBox->setInsertPolicy(QComboBox::NoInsert);
    HistoryBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout->addWidget(HistoryBox, 1);
    // Going back or forward past the list's ends is no error worth showing.
    connect(BackBtn, &QToolButton::clicked, this, [this] {
        if (View) View->Back();
    });
    connect(ForwardBtn, &QToolButton::clicked, this, [this] {
        if (View) View->Forward();
    });
    connect(CancelBtn, &QToolButton::clicked, this, [this] {
        if (View) View->Stop();
    });
    connect(RefreshBtn, &QToolButton::clicked, this, [this] {
        if (View) View->Reload();
    });
    connect(PrintBtn, &QToolButton::clicked, this, [this] { Print(); });
    connect(HistoryBox->lineEdit(), &QLineEdit::returnPressed, this, [this] { GoToBoxAddress(); });
    connect(HistoryBox, &QComboBox::activated, this, [this] {
        if (!HistoryBox->lineEdit()->hasSelectedText()) GoToBoxAddress();
    });
    HistoryBox->lineEdit()->installEventFilter(this);
    UpdateButtons();
}

TBrowserControls::~TBrowserControls() = default;

void TBrowserControls::Attach(TWebView& view) {
    if (View) disconnect(View, nullptr, this, nullptr);
    View = &view;
    Addresses.clear();
    HistoryBox->clear();
    Busy = false;
    connect(&view, &TWebView::loadStarted, this, [this] {
        Busy = true;
        UpdateButtons();
    });
    connect(&view, &TWebView::loadFinished, this, [this] {
        Busy = false;
        Loaded();
    });
    connect(&view, &TWebView::urlChanged, this, [this] { UpdateButtons(); });
    connect(&view, &QObject::destroyed, this, [this] {
        View = nullptr;
        UpdateButtons();
    });
    UpdateButtons();
}

void TBrowserControls::Loaded() {
    if (View) {
        AddToBrowserHistory(Addresses, ToStdString(View->Url().toString()));
        HistoryBox->clear();
        for (const std::string& url : Addresses)
            HistoryBox->addItem(ToQString(url));
        HistoryBox->setCurrentIndex(0);
    }
    UpdateButtons();
}

void TBrowserControls::UpdateButtons() {
    BackBtn->setEnabled(View && View->CanGoBack());
    ForwardBtn->setEnabled(View && View->CanGoForward());
    CancelBtn->setEnabled(View && Busy);
    RefreshBtn->setEnabled(View && View->Works());
    PrintBtn->setEnabled(View && View->Works());
}

void TBrowserControls::GoToBoxAddress() {
    const QString text = HistoryBox->currentText().trimmed();
    // A load in progress is not cut short, and the address shown is not loaded again.
    if (!View || Busy || text.isEmpty() ||
        text.compare(View->Url().toString(), Qt::CaseInsensitive) == 0)
        return;
    View->Load(QUrl::fromUserInput(text));
}

void TBrowserControls::Print() {
    if (!View) return;
    // Kept with the bar: the view prints in the background and uses it until it is done.
    if (!Printer) Printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(Printer.get(), this);
    if (dialog.exec() == QDialog::Accepted) View->Print(Printer.get());
}

bool TBrowserControls::eventFilter(QObject* watched, QEvent* event) {
    if (watched == HistoryBox->lineEdit() && event->type() == QEvent::FocusOut) GoToBoxAddress();
    return QWidget::eventFilter(watched, event);
}

} // namespace korvane
