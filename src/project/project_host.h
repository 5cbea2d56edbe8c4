#pragma once
// What the project needs of the main window: its title, its rectangle and the screen, the
// page control and its tab mode, the status bar, the message list and the menu style. The main
// window implements it; without a window (tools, tests) the do-nothing base serves.
#include <cstddef>
#include <string>
#include <vector>

class QTabWidget;

namespace korvane {

class TProjectPage;
struct TMessageLine;

struct TWindowRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TWindowRect&) const = default;
};

class TProjectHost {
public:
    virtual ~TProjectHost() = default;

    virtual void SetCaption(const std::string& /*caption*/) {}

    virtual TWindowRect WindowRect() const { return {}; }
    virtual void SetWindowRect(const TWindowRect& /*rect*/) {}
    // Width and height of the screen the window is on.
    virtual TWindowRect ScreenRect() const { return {0, 0, 1024, 768}; }

    virtual bool MultiLineTabs() const { return MultiLine; }
    virtual void SetMultiLineTabs(bool multiLine) { MultiLine = multiLine; }

    virtual void ShowStatusBar(bool /*visible*/) {}
    virtual void SetStatusPanelText(int /*panel*/, const std::string& /*text*/) {}
    // A short notice in the status bar (a search that wrapped, how many were replaced) that
    // stays a few seconds; an empty one takes the last one away.
    virtual void ShowStatusNotice(const std::string& /*text*/) {}

    // The menu style follows the project's XPMenus setting.
    virtual void XPMenusChanged(bool /*on*/) {}

    virtual int MessageCount() const { return 0; }
    virtual void SetMessageListHint(const std::string& /*hint*/) {}
    // Replaces the message list's lines; each keeps the page it refers to.
    virtual void SetMessages(const std::vector<TMessageLine>& /*lines*/) {}
    // Keeps the first `keep` lines of the message list and adds lines after them.
    virtual void UpdateMessages(size_t /*keep*/, const std::vector<TMessageLine>& /*added*/) {}
    // Adds one line at the end of the message list.
    virtual void AddMessage(const TMessageLine& /*line*/) {}

    // The project organizer window, when it exists and is shown.
    virtual bool ProjOrgVisible() const { return false; }
    virtual TWindowRect ProjOrgRect() const { return {}; }

    virtual void BringToFront() {}

    // A page's text or its modified state changed (the copy kept against a crash follows).
    virtual void PageTextChanged(TProjectPage& /*page*/) {}
    // A page is about to be freed.
    virtual void PageClosing(TProjectPage& /*page*/) {}
    // A page was added to the project or freed: lists of the pages follow.
    virtual void PagesChanged() {}

    // The page control the pages' tabs go into; none without a window.
    virtual QTabWidget* PageControl() const { return nullptr; }
    // Opens a topic of the help tree, by its slash path ("contents/install/php").
    virtual void ShowHelpTopic(const std::string& /*topic*/) {}
    // Shows a file at a line (1-based; 0 only shows the file): its page when the project has
    // one, else the file opened into the project first. False when no page shows it (no
    // window, a file that cannot be opened or is no editable type).
    virtual bool ShowFileAtLine(const std::string& /*fileName*/, int /*line*/) { return false; }

private:
    bool MultiLine = true;
};

} // namespace korvane
