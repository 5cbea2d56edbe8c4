#pragma once
// The "Browser Output" tab of a page: a tool bar (back, forward, stop, refresh, address) over
// an embedded browser view. The view is made only when the tab is first shown, since each
// one starts a browser engine.
#include <QWidget>

#include <string>
#include <vector>

class QLineEdit;
class QToolBar;
class QWebEngineView;

namespace korvane {

class TBrowserTab : public QWidget {
    Q_OBJECT
public:
    explicit TBrowserTab(QWidget* parent = nullptr);

    // The view, made on first use.
    QWebEngineView* EnsureView();
    QWebEngineView* View() const { return Browser; }
    void Navigate(const std::string& url);
    // The addresses visited, oldest first; stored with the page.
    const std::vector<std::string>& History() const { return Visited; }
    void SetHistory(std::vector<std::string> history);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ResizeBrowser();
    void Remember(const std::string& url);

    QToolBar* Bar = nullptr;
    QLineEdit* Address = nullptr;
    QWebEngineView* Browser = nullptr;
    std::vector<std::string> Visited;
};

} // namespace korvane
