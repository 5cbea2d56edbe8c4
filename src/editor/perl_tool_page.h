#pragma once
// "Tidy" and "Critique" on an editor page: perltidy re-indents the selected lines or the whole
// Perl page in place (one undo step; an error changes nothing and goes to the message list),
// perlcritic reviews the page and lists its findings, each leading to its line. The tools run
// beside the window, one at a time, on a copy of the text in a private folder.
#include "editor/tool_text_range.h"
#include "exec/error_filter.h"
#include "exec/tool_run.h"
#include "platform/tool_lookup.h"

#include <QObject>
#include <QPointer>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvane {

class TEditorPage;
class TKorSynEdit;

class TPerlToolPage : public QObject {
public:
    using MessageSink = std::function<void(const std::vector<TMessageLine>&)>;

    // Findings and errors go to showMessages (the message list).
    explicit TPerlToolPage(MessageSink showMessages, QObject* parent = nullptr);

    // Each starts its tool and returns; false (after telling the user why) when it could not.
    bool Tidy(TEditorPage& page);
    bool Critique(TEditorPage& page, int severity);
    bool Busy() const { return Run.Running(); }
    // Called after each run has been dealt with (tests wait for it).
    std::function<void()> OnFinished;

    // A tool still running after this long is stopped.
    int TimeLimitMs = 120000;
    // Where the tools are looked for, and the environment they get (this program's own).
    TToolLocator Locator;
    std::vector<std::string> Environment;

private:
    struct TPending {
        TEditorPage* Page = nullptr;
        QPointer<TKorSynEdit> Editor; // gone when the page was closed meanwhile
        TToolTextRange Range;
        std::string Original; // the range's text when the tool started
        std::string File;     // the copy the tool reads
    };

    // The copy of text the tool reads, named like the page's file; "" after telling why not.
    std::string WriteCopy(const TEditorPage& page, const std::string& text);
    bool StartTool(const char* name, const char* package,
                   const std::function<TCommandLine(const std::string&)>& command,
                   const std::string& workDir, TToolRun::DoneHandler done);
    void TidyDone(const TToolOutcome& outcome);
    void CritiqueDone(const TToolOutcome& outcome);
    void Finished();

    MessageSink ShowMessages;
    TToolRun Run;
    std::unique_ptr<QTemporaryDir> Scratch;
    TPending Pending;
    int CritiqueSeverity = 0;
};

} // namespace korvane
