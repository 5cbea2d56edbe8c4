#pragma once
// Program-wide settings that belong to no project, kept as strings in the settings store
// under "Defaults"; booleans are "-1"/"0".
#include <map>
#include <memory>
#include <string>

class QSettings;

namespace korvane {

class TGlobalSettings {
public:
    TGlobalSettings();
    ~TGlobalSettings();
    TGlobalSettings(const TGlobalSettings&) = delete;
    TGlobalSettings& operator=(const TGlobalSettings&) = delete;

    // The stored text of a value under Defaults, or defaultText when it is absent. An
    // unreadable store reads as "" whatever the default, except for values set since.
    std::string getValueDefaultTrue(const std::string& name, const std::string& defaultText);
    // Writes newText only when it differs from oldText ignoring case. When the store cannot
    // keep it (a folder or file the user may not write), the value holds until the program
    // ends all the same, so the program goes on with what it set.
    void setValue(const std::string& name, const std::string& oldText, const std::string& newText);
    // Every value set has reached the store.
    bool AllSaved() const { return Unsaved.empty(); }

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

    // Megabytes of a run's output kept (RunOutputLimit, default 64): past it the oldest
    // output is dropped. A value that is not a positive number reads as the default.
    int getRunOutputLimit();
    void setRunOutputLimit(int megabytes);
    // Whether a program run in "Text In/Out" gets a terminal (RunInTerminal, default on):
    // its output shows as it is written and a prompt before the program waits. Without one
    // it writes into pipes, in large pieces, which is much faster for long output.
    bool getRunInTerminal();
    void setRunInTerminal(bool value);

    // The association the user last chose for an extension of FileAssocExtensions
    // ("kvp", "pl", ...), stored as FileAssocKVP, FileAssocPL, ...
    bool getFileAssoc(const std::string& extension);
    void setFileAssoc(const std::string& extension, bool value);

private:
    std::string getBool(const std::string& name, const std::string& defaultText);
    void setBool(const std::string& name, const std::string& defaultText, bool value);

    std::unique_ptr<QSettings> Registry;
    std::map<std::string, std::string> Unsaved; // by name: what the store could not take
};

} // namespace korvane
