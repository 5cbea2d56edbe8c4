#pragma once
// The "Browser Output" tab of a page: the browser tool bar over an embedded browser view. The view
// is made only when the tab is first shown, since each one starts a browser engine.
#include <QWidget>

#include <string>
#include <vector>

namespace korvane {

class TBrowserControls;
class TWebView;

class TBrowserTab : public QWidget {
    Q_OBJECT
public:
    explicit TBrowserTab(QWidget* parent = nullptr);

    // The view, made on first use.
    TWebView* EnsureView();
    TWebView* View() const { return Browser; }
    // Loads url, a file path or an address, fresh from its source (never from the cache);
    // with a body the request is a POST of it as a submitted form.
    void Open(const std::string& url, const std::string& postBody);
    // Whether the view shows url now (compared without regard to case).
    bool Showing(const std::string& url) const;
    void Reload();
    // While a page loads, a new navigation would cut it short.
    bool Busy() const { return Loading; }
    // The addresses visited, oldest first; stored with the page.
    const std::vector<std::string>& History() const { return Visited; }
    void SetHistory(std::vector<std::string> history);
    TBrowserControls& Controls() const { return *Bar; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ResizeBrowser();
    void Remember(const std::string& url);

    TBrowserControls* Bar = nullptr;
    TWebView* Browser = nullptr;
    std::vector<std::string> Visited;
    bool Loading = false;
};

} // namespace korvane
