#pragma once
// Every question or message to the user goes through one prompt interface. The application
// installs the Qt implementation at start-up; tests install a scripted one. Core code never
// opens a message box itself.
#include <string>

namespace korvane {

enum class PromptKind { Error, Warning, Confirmation, Information, Plain };

// Buttons are bit flags so a question can offer several at once.
enum PromptButton : unsigned {
    pbNone = 0,
    pbOK = 1u << 0,
    pbCancel = 1u << 1,
    pbYes = 1u << 2,
    pbNo = 1u << 3,
    pbAbort = 1u << 4,
    pbRetry = 1u << 5,
    pbIgnore = 1u << 6,
    pbAll = 1u << 7,
    pbYesToAll = 1u << 8,
    pbNoToAll = 1u << 9,
};
using PromptButtons = unsigned;

struct FileChoice {
    bool Save = false; // a save dialog (asks before overwriting) instead of an open one
    std::string Caption;
    std::string Folder;     // start folder
    std::string FileName;   // proposed name
    std::string Filter;     // Qt-style filter, for example "Perl files (*.pl *.pm);;All files (*)"
    std::string DefaultExt; // without the dot
    int FilterIndex = 0;    // the filter shown first, counted from 1; 0 for the first
    // A save dialog's own overwrite question; off where the caller asks its own.
    bool ConfirmOverwrite = true;
};

class Prompt {
public:
    virtual ~Prompt() = default;
    // Asks and returns the button chosen; closing the box counts as pbCancel. Enter chooses
    // defaultButton; pbNone leaves the choice to the dialog.
    virtual PromptButton Ask(PromptKind kind, const std::string& text, PromptButtons buttons,
                             const std::string& caption = {},
                             PromptButton defaultButton = pbNone) = 0;
    // A question with a tick box under the text (for example "show this again"): ticked goes
    // in as the box's state and comes out as the user left it, whatever the answer. A prompt
    // that shows no tick box asks the plain question and leaves ticked alone.
    virtual PromptButton AskTicked(PromptKind kind, const std::string& text, PromptButtons buttons,
                                   const std::string& /*tickText*/, bool& /*ticked*/,
                                   const std::string& caption = {}) {
        return Ask(kind, text, buttons, caption);
    }
    // A message with an OK button.
    virtual void Inform(PromptKind kind, const std::string& text,
                        const std::string& caption = {}) = 0;
    // The chosen path, or "" when cancelled.
    virtual std::string ChooseFile(const FileChoice& choice) = 0;
    // Lets the user edit value; false when cancelled (value then unchanged).
    virtual bool EnterText(const std::string& caption, const std::string& label,
                           std::string& value) = 0;
};

// The prompt in force. Before any is installed a silent one answers every question with
// pbCancel and writes messages to standard error, which suits command-line tools.
Prompt& CurrentPrompt();
// Installs prompt (not owned); nullptr restores the silent one. Returns the previous one.
Prompt* InstallPrompt(Prompt* prompt);

} // namespace korvane
