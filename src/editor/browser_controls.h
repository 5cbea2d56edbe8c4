#pragma once
// The tool bar above a page's browser view: Back, Forward, Cancel, Refresh, Print and a box
// with the last addresses shown. It follows the view it is attached to: Back and Forward as
// the view can go, Cancel while it loads. Picking or typing an address in the box goes there
// once the view is idle.
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QPrinter;
class QToolButton;

namespace korvane {

class TWebView;

constexpr size_t BrowserHistoryLength = 8;

// Puts url at the top of history, dropping an equal entry and the oldest beyond the limit.
void AddToBrowserHistory(std::vector<std::string>& history, const std::string& url);

class TBrowserControls : public QWidget {
    Q_OBJECT
public:
    explicit TBrowserControls(QWidget* parent = nullptr);
    ~TBrowserControls() override;

    // Follows view from now on, with an empty history.
    void Attach(TWebView& view);
    const std::vector<std::string>& History() const { return Addresses; }
    void GoToBoxAddress();

    QToolButton* BackBtn = nullptr;
    QToolButton* ForwardBtn = nullptr;
    QToolButton* CancelBtn = nullptr;
    QToolButton* RefreshBtn = nullptr;
    QToolButton* PrintBtn = nullptr;
    QComboBox* HistoryBox = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateButtons();
    void Loaded();
    void Print();

    TWebView* View = nullptr;
    std::vector<std::string> Addresses;
    bool Busy = false;
    std::unique_ptr<QPrinter> Printer;
};

} // namespace korvane
