#pragma once
// Korvane's help window: a browser view of help pages and Perl documentation with Back and
// Forward, so links to a place in a page ("page.htm#part") land on that place.
#include <QMainWindow>

#include <string>

class QAction;

namespace korvane {

class TWebView;

class THelpWindow : public QMainWindow {
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // A local file, with an optional "#anchor". HTML and text show here; anything else goes
    // to the desktop. False when neither could show it.
    bool ShowDocument(const std::string& path);
    // A page made on the fly, kept in file so that Back and Forward reach it again.
    void ShowHtml(const std::string& html, const std::string& file);

    TWebView* View() const { return Browser; }
    QAction* BackAction = nullptr;
    QAction* ForwardAction = nullptr;

private:
    void ShowUrl(const QUrl& url);
    void UpdateActions();

    TWebView* Browser = nullptr;
};

} // namespace korvane
