#pragma once
// The desktop's file associations: whether Korvane opens each of the seven extensions, and
// the check at start-up that offers to change them. The user's last choices are kept in the
// program-wide settings. Where an installed package provides Korvane's desktop entry and MIME
// package, those carry the associations and the check writes nothing of the user's.
#include <functional>
#include <string>
#include <utility>

namespace korvane {

class TGlobalSettings;

// The seven extensions of the association dialog, in its order.
inline constexpr const char* FileAssocExtensions[7] = {"kvp", "pl",  "pm", "cgi",
                                                       "sql", "bat", "php"};

class TFileAssociations {
public:
    // installedEntry: the desktop entry an installed package provides (InstalledDesktopEntry),
    // "" when Korvane runs from a build or a private prefix and keeps its own entries.
    TFileAssociations(TGlobalSettings& settings, std::string installedEntry)
        : Settings(settings), InstalledEntry(std::move(installedEntry)) {}

    // Whether Korvane is the default application for the extension.
    bool getFileType(const std::string& extension) const;
    void setFileType(const std::string& extension, bool on);
    // Writes Korvane's desktop entry and its project MIME type.
    void CheckMainKeys();

    // What the association dialog returns: the ticks of the seven extensions and of "Do not
    // check for changes in the future", or nothing when cancelled.
    struct FileAssocChoice {
        bool Accepted = false;
        bool Ticked[7] = {};
        bool DoNotCheck = false;
    };
    struct FileAssocDialogState {
        bool Forced = false;
        bool Ticked[7] = {};  // current associations, in FileAssocExtensions order
        bool Changed[7] = {}; // shown in red: differs from the stored choice
        bool DoNotCheck = false;
    };
    using FileAssocDialog = std::function<FileAssocChoice(const FileAssocDialogState&)>;
    // The association check; shows dialog when something changed (or when forced). With an
    // installed entry the start-up check does nothing and the forced one says where the
    // associations come from and how to change the default application.
    void CheckFileTypes(bool forced, const FileAssocDialog& dialog);

private:
    TGlobalSettings& Settings;
    std::string InstalledEntry;
};

} // namespace korvane
