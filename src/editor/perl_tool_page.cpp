#include "editor/perl_tool_page.h"

#include "editor/editor_page.h"
#include "exec/perl_tools.h"
#include "storage/name_value.h"
#include "storage/prompt.h"
#include "widgets/kor_syn_edit.h"

#include <filesystem>
#include <fstream>

namespace korvane {
namespace {

ConsoleTag TagOf(const TEditorPage& page) {
    // The message list finds the page a line leads to by the page's project-page address.
    return static_cast<const TProjectPage*>(&page);
}

std::string FolderOf(const TEditorPage& page) {
    if (page.FileName().empty()) return {};
    return std::filesystem::path(page.FileName()).parent_path().string();
}

bool EndsWithBreak(std::string_view text) {
    return text.ends_with('\n') || text.ends_with('\r');
}

} // namespace

TPerlToolPage::TPerlToolPage(MessageSink showMessages, QObject* parent)
    : QObject(parent), ShowMessages(std::move(showMessages)) {
    EnvironmentLines(Environment);
}

std::string TPerlToolPage::WriteCopy(const TEditorPage& page, const std::string& text) {
    if (!Scratch || !Scratch->isValid()) Scratch = std::make_unique<QTemporaryDir>();
    std::string name = std::filesystem::path(page.FileName()).filename().string();
    // The name tells the tools what kind of file it is (a module ends in .pm).
    if (name.empty()) name = "page.pl";
    const std::string file = Scratch->path().toStdString() + "/" + name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!Scratch->isValid() || !out) {
        CurrentPrompt().Inform(PromptKind::Error,
                               "Unable to write a copy of the page for the tool to read: " + file);
        return {};
    }
    return file;
}

bool TPerlToolPage::StartTool(const char* name, const char* package,
                              const std::function<TCommandLine(const std::string&)>& command,
                              const std::string& workDir, TToolRun::DoneHandler done) {
    const std::string program = Locator.FindTool(name);
    if (program.empty()) {
        CurrentPrompt().Inform(PromptKind::Error, std::string(name) +
                                                      " is not installed, or not on the PATH. "
                                                      "Install it (Debian package " +
                                                      package + ") and try again.");
        return false;
    }
    std::string error;
    if (!Run.Start({command(program), workDir, Environment}, TimeLimitMs, std::move(done), error)) {
        CurrentPrompt().Inform(PromptKind::Error, "Unable to execute " + program + ": " + error);
        return false;
    }
    return true;
}

bool TPerlToolPage::Tidy(TEditorPage& page) {
    TKorSynEdit* editor = page.Editor();
    if (!editor || editor->isReadOnly()) return false;
    if (Busy()) {
        CurrentPrompt().Inform(PromptKind::Information,
                               "A Perl tool is still working; try again when it has finished.");
        return false;
    }
    const TToolTextRange range = ToolTextRange(*editor);
    if (range.WholeText && !page.IsPerl()) {
        CurrentPrompt().Inform(PromptKind::Information,
                               "This is not a Perl page: select the Perl lines to tidy.");
        return false;
    }
    std::string original(editor->RawView().substr(static_cast<size_t>(range.Start),
                                                  static_cast<size_t>(range.End - range.Start)));
    if (original.empty()) return false;
    const std::string file = WriteCopy(page, ToToolText(original));
    if (file.empty()) return false;
    const std::string folder = FolderOf(page);
    const std::string rcFile = folder.empty() ? std::string() : FindPerlTidyRc(folder);
    Pending = {&page, editor, range, std::move(original), file};
    return StartTool(
        "perltidy", "perltidy",
        [&](const std::string& program) { return PerlTidyCommand(program, file, rcFile); },
        folder.empty() ? Scratch->path().toStdString() : folder,
        [this](const TToolOutcome& outcome) { TidyDone(outcome); });
}

void TPerlToolPage::TidyDone(const TToolOutcome& outcome) {
    if (!Pending.Editor) return Finished(); // the page was closed meanwhile
    TEditorPage* page = Pending.Page;
    const ConsoleTag tag = TagOf(*page);
    std::vector<TMessageLine> messages;
    const bool blank = Pending.Original.find_first_not_of(" \t\r\n") == std::string::npos;
    if (outcome.ExitCode != 0 || (outcome.Output.empty() && !blank)) {
        messages = TidyErrorMessages(outcome.Errors, Pending.File, Pending.Range.FirstLine, tag);
        messages.insert(messages.begin(), TMessageLine{"Tidy: perltidy failed (exit code " +
                                                           std::to_string(outcome.ExitCode) +
                                                           "); the page was not changed.",
                                                       tag});
    } else {
        TKorSynEdit& editor = *Pending.Editor;
        const std::string tidied =
            FromToolText(outcome.Output, EditorLineEnd(editor), EndsWithBreak(Pending.Original));
        if (!ReplaceToolText(editor, Pending.Range, Pending.Original, tidied))
            messages.push_back(
                {"Tidy: the page was edited while perltidy ran; the page was not changed.", tag});
        else
            messages.push_back(
                {tidied == Pending.Original ? "Tidy: the code was tidy already." : "Tidy: done.",
                 tag});
    }
    ShowMessages(messages);
    Finished();
}

bool TPerlToolPage::Critique(TEditorPage& page, int severity) {
    TKorSynEdit* editor = page.Editor();
    if (!editor) return false;
    if (Busy()) {
        CurrentPrompt().Inform(PromptKind::Information,
                               "A Perl tool is still working; try again when it has finished.");
        return false;
    }
    if (!page.IsPerl()) {
        CurrentPrompt().Inform(PromptKind::Information,
                               "Critique reviews Perl code: this is not a Perl page.");
        return false;
    }
    const std::string file = WriteCopy(page, ToToolText(editor->RawView()));
    if (file.empty()) return false;
    Pending = {&page, editor, {}, {}, file};
    CritiqueSeverity = severity;
    const std::string folder = FolderOf(page);
    return StartTool(
        "perlcritic", "libperl-critic-perl",
        [&](const std::string& program) { return PerlCriticCommand(program, file, severity); },
        folder.empty() ? Scratch->path().toStdString() : folder,
        [this](const TToolOutcome& outcome) { CritiqueDone(outcome); });
}

void TPerlToolPage::CritiqueDone(const TToolOutcome& outcome) {
    if (!Pending.Editor) return Finished(); // the page was closed meanwhile
    TEditorPage* page = Pending.Page;
    const ConsoleTag tag = TagOf(*page);
    const std::string severity = std::to_string(CritiqueSeverity);
    std::vector<TMessageLine> messages;
    // perlcritic ends with 0 when it found nothing, 2 when it found something, else it failed.
    if (outcome.ExitCode == 0) {
        messages.push_back({"Critique: nothing found at severity " + severity + ".", tag});
    } else {
        messages = CritiqueMessages(outcome.Output, tag);
        for (TMessageLine& line : CritiqueMessages(outcome.Errors, tag))
            messages.push_back(std::move(line));
        messages.insert(messages.begin(),
                        TMessageLine{outcome.ExitCode == 2
                                         ? "Critique at severity " + severity + ":"
                                         : "Critique: perlcritic failed (exit code " +
                                               std::to_string(outcome.ExitCode) + "):",
                                     tag});
    }
    ShowMessages(messages);
    Finished();
}

void TPerlToolPage::Finished() {
    Pending = {};
    if (OnFinished) OnFinished();
}

} // namespace korvane
