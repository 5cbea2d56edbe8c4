#pragma once
// The project's local web server: its settings (document root, CGI folder and URL prefix,
// default document, port, time limit) and their block in the project file.
#include <cstdint>
#include <string>

namespace korvane {

class TProjectLink;
class TSectionList;

class TWebServer {
public:
    // defaultFolder: where documents and scripts are looked up until the user says otherwise.
    TWebServer(TProjectLink& project, std::string defaultFolder);

    // Back to the settings of a new project.
    void Reset();

    const std::string& getRootPath() const { return RootPath; }
    const std::string& getDefaultDoc() const { return DefaultDoc; }
    const std::string& getPort() const { return Port; }
    const std::string& CgiBinPath() const { return CgiBinPathValue; }
    const std::string& LogicalCgiBinPath() const { return LogicalCgiBinPathValue; }
    std::int32_t CgiTimeout() const { return CgiTimeoutValue; }
    bool Started() const { return StartedValue; }
    // The folders every lookup uses: the setting, or the next one down the chain (CGI folder,
    // root folder, the project file's folder) when it is empty, without a trailing separator.
    // The logical CGI path also loses its leading separator ("cgi-bin").
    std::string DerivedRootPath() const;
    std::string DerivedCgiBinPath() const;
    std::string DerivedLogicalCgiBinPath() const;
    bool Modified() const { return ModifiedValue; }

    // Texts compare case-sensitively: paths and ports on this system are exact.
    void setRootPath(const std::string& value);
    void setDefaultDoc(const std::string& value);
    void setPort(const std::string& value);
    void setCgiBinpath(const std::string& value);
    void setLogicalCgiBinPath(const std::string& value);
    void setCgiTimeout(std::int32_t value);
    void setModified(bool value);
    void setStarted(bool value);
    void Stop();

    void SaveToStream(TSectionList& stream) const;
    void LoadFromStream(TSectionList& stream);

private:
    void ChangeText(std::string& field, const std::string& value);

    TProjectLink& Project;
    std::string DefaultFolder;
    std::string LogicalCgiBinPathValue;
    std::string CgiBinPathValue;
    std::string RootPath;
    std::string DefaultDoc;
    std::string Port;
    std::int32_t CgiTimeoutValue = 30;
    bool StartedValue = false;
    bool ModifiedValue = false;
};

} // namespace korvane
