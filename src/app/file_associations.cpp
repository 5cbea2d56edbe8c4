#include "app/file_associations.h"

#include "model/global_settings.h"
#include "platform/desktop_associations.h"
#include "platform/program_folder.h"
#include "storage/prompt.h"
#include "storage/text_utils.h"

#include <map>

namespace korvane {

bool TFileAssociations::getFileType(const std::string& extension) const {
    const std::string bare = RemovePrefix(extension, ".");
    if (bare.empty()) return false;
    return DefaultApplicationFor(MimeTypeForExtension(bare)) == KorvaneDesktopId;
}

void TFileAssociations::setFileType(const std::string& extension, bool on) {
    const std::string bare = RemovePrefix(extension, ".");
    if (bare.empty()) return;
    const std::string mimeType = MimeTypeForExtension(bare);
    if (on)
        SetDefaultApplication(mimeType, KorvaneDesktopId);
    else if (!DefaultApplicationFor(mimeType).empty())
        SetDefaultApplication(mimeType, "");
}

void TFileAssociations::CheckMainKeys() {
    WriteDesktopEntry(ProgramFile());
}

void TFileAssociations::CheckFileTypes(bool forced, const FileAssocDialog& dialog) {
    if (!InstalledEntry.empty()) {
        if (forced)
            CurrentPrompt().Inform(
                PromptKind::Information,
                "Korvane's file associations come with its installed package (" + InstalledEntry +
                    "): project files (.kvp) open in Korvane, and Korvane is offered for Perl, "
                    "PHP and HTML files.\n\nTo make Korvane the default application for a "
                    "file type, choose it under \"Open With\" in the file manager, or run for "
                    "example:\n    xdg-mime default " +
                    KorvaneDesktopId + " " + MimeTypeForExtension("pl"));
        return;
    }
    FileAssocDialogState state;
    state.Forced = forced;
    bool allAsStored = true;
    for (int i = 0; i < 7; ++i) {
        state.Ticked[i] = getFileType(FileAssocExtensions[i]);
        state.Changed[i] = state.Ticked[i] != Settings.getFileAssoc(FileAssocExtensions[i]);
        allAsStored = allAsStored && !state.Changed[i];
    }
    const bool detect = Settings.getDetectFileAssoc();
    if (!forced && detect && allAsStored) return;
    if (!detect) return;
    state.DoNotCheck = !detect;

    const FileAssocChoice choice = dialog(state);
    if (!choice.Accepted) return;
    Settings.setDetectFileAssoc(!choice.DoNotCheck);
    // The desktop associates types, not extensions: extensions of one type (".pl" and ".pm"
    // are both Perl) go together, ticked when either is, so that writing one does not undo
    // the other and the next check finds what was stored.
    std::map<std::string, bool> typeTicked;
    for (int i = 0; i < 7; ++i)
        typeTicked[MimeTypeForExtension(FileAssocExtensions[i])] |= choice.Ticked[i];
    // The order in which the associations are written.
    for (const char* extension : {"kvp", "pl", "php", "pm", "cgi", "sql", "bat"}) {
        const bool on = typeTicked[MimeTypeForExtension(extension)];
        setFileType(extension, on);
        Settings.setFileAssoc(extension, on);
    }
    CheckMainKeys();
}

} // namespace korvane
