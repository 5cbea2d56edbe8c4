#pragma once
// "Go to Definition" (also Ctrl+click on a name): the sub named at the caret, looked for in the
// current page, then the other open pages, then the Perl files of the page's and the project's
// folders; the file found is opened in a page. The status bar says when there is none.
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace korvane {

class TCommandUpdates;
class TEditorPage;
class TKorProject;
class TKorSynEdit;
struct TSubReference;

class TDefinitionCommands : public QObject {
public:
    struct THooks {
        std::function<TEditorPage*()> CurrentPage;
        // Shows a line of an open page, or of a file opened for it, with the caret there.
        std::function<void(TEditorPage& page, int line)> ShowPageLine;
        std::function<bool(const std::string& file, int line)> ShowFileLine;
        std::function<void(const std::string& text)> Notice; // the status bar's
    };
    TDefinitionCommands(QWidget& window, TCommandUpdates& updates, TKorProject& project,
                        THooks hooks);

    // The definition of the sub named at the caret of the current page.
    void GoToDefinition();
    // Ctrl+click on the editor goes to the definition of the name clicked.
    void WatchEditor(TKorSynEdit* editor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void GoTo(TEditorPage& page, const std::optional<TSubReference>& reference, int line);

    TKorProject& Project;
    THooks Hooks;
    QPointer<TKorSynEdit> Watched;
};

} // namespace korvane
