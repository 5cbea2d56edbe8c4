#pragma once
// The main window's help: the help manager made at start-up, the "&Help" menu, F1 (Perl's
// own documentation for the word under the caret in a Perl page, else the help of the window
// in front) and the help window every topic opens in.
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>

class QMenuBar;
class QWidget;

namespace korvane {

class TEditorPage;
class THelpManager;
class THelpWindow;
class THelpWindowOwner;
class TBackgroundJob;

class THelpCommands : public QObject {
public:
    // Throws when the help manager cannot be made; start-up then ends.
    explicit THelpCommands(std::function<TEditorPage*()> currentPage);
    ~THelpCommands() override;

    // The tree file the manager is given: the program folder's help/, else web/help/.
    static std::string DefaultHelpFile();

    // Where the documents of the Help menu's last items are; each may be unset or give "".
    struct TDocumentPaths {
        std::function<std::string()> ActivePerlHelp;
        std::function<std::string()> MySqlManual;
        std::function<std::string()> PhpHelp;
    };
    // The Help menu's items are commands of window.
    void AddHelpMenu(QWidget& window, QMenuBar& bar, TDocumentPaths documents);
    THelpManager& Manager() { return *HelpManager; }
    // Made on first use; it belongs to the main window, or to the modal dialog in front.
    THelpWindow& Window();

    // Looks up Perl's documentation for the word at the caret of the current Perl page off
    // the window's thread, and shows it (or the window's help, when Perl has none) once found;
    // false when the caret is on no word of a Perl page.
    bool ShowPerlDocumentation();
    // Whether a look-up started by ShowPerlDocumentation still runs.
    bool LookingUp() const;
    void HelpOnWord();
    void ContextHelp();

private:
    std::function<TEditorPage*()> CurrentPage;
    std::unique_ptr<THelpManager> HelpManager;
    QPointer<THelpWindow> HelpWindow;
    THelpWindowOwner* HelpOwner = nullptr; // owned by this
    std::unique_ptr<TBackgroundJob> DocLookUp;
};

} // namespace korvane
