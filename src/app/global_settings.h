#pragma once
// Program-wide settings that belong to no project, kept as strings in the settings store
// under "Defaults"; booleans are "-1"/"0". Also finds the Perl installation and keeps the
// desktop's file associations.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSettings;

namespace korvane {

class TDebugForm;

class TGlobalSettings {
public:
    TGlobalSettings();
    ~TGlobalSettings();
    TGlobalSettings(const TGlobalSettings&) = delete;
    TGlobalSettings& operator=(const TGlobalSettings&) = delete;

    // The stored text of a value under Defaults, or defaultText when it is absent. An
    // unreadable store reads as "" whatever the default.
    std::string getValueDefaultTrue(const std::string& name, const std::string& defaultText);
    // Writes newText only when it differs from oldText ignoring case.
    void setValue(const std::string& name, const std::string& oldText, const std::string& newText);

    std::string getCodeTemplateFileName();
    void setCodeTemplateFileName(const std::string& value);
    std::string getDefaultProject();
    void setDefaultProject(const std::string& value);
    std::string getLastFilePath();
    void setLastFilePath(const std::string& value);
    std::string getLastProjectPath();
    void setLastProjectPath(const std::string& value);

    bool getPerlCompilerDlgAgain();
    void setPerlCompilerDlgAgain(bool value);
    bool getPhpCompilerDlgAgain();
    void setPhpCompilerDlgAgain(bool value);
    bool getSqlDlgAgain();
    void setSqlDlgAgain(bool value);
    bool getDetectFileAssoc();
    void setDetectFileAssoc(bool value);
    bool getUseProjects();
    void setUseProjects(bool value);

    // The association the user last chose for an extension of FileAssocExtensions
    // ("kvp", "pl", ...), stored as FileAssocKVP, FileAssocPL, ...
    bool getFileAssoc(const std::string& extension);
    void setFileAssoc(const std::string& extension, bool value);

    // The debugger window, which carries the run state and owns the one console controller.
    TDebugForm& DebugForm() const { return *DebugFormObject; }

    // Folders searched for the tools after those of PATH, best first.
    std::vector<std::string> SystemToolFolders{"/usr/local/bin", "/usr/bin"};
    // The first executable named name on PATH or in SystemToolFolders; "" when there is none.
    std::string FindTool(const std::string& name) const;

    // The Perl interpreter: perl on PATH, else /usr/local/bin/perl, else /usr/bin/perl; "" when
    // none exists.
    std::string ActivePerlPath();
    // An installed HTML Perl documentation folder, or "".
    std::string ActivePerlHelp();

    // Desktop associations: whether Korvane is the default application for the extension.
    bool getFileType(const std::string& extension);
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
        bool Ticked[7] = {};   // current associations, in FileAssocExtensions order
        bool Changed[7] = {};  // shown in red: differs from the stored choice
        bool DoNotCheck = false;
    };
    using FileAssocDialog = std::function<FileAssocChoice(const FileAssocDialogState&)>;
    // The association check; shows dialog when something changed (or when forced).
    void CheckFileTypes(bool forced, const FileAssocDialog& dialog);

private:
    std::string getBool(const std::string& name, const std::string& defaultText);
    void setBool(const std::string& name, const std::string& defaultText, bool value);

    std::unique_ptr<QSettings> Registry;
    std::unique_ptr<TDebugForm> DebugFormObject;
};

// The seven extensions of the association dialog, in its order.
inline constexpr const char* FileAssocExtensions[7] = {"kvp", "pl", "pm", "cgi", "sql", "bat", "php"};

} // namespace korvane
