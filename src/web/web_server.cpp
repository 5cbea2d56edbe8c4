#include "web/web_server.h"

#include "model/project_link.h"
#include "storage/paths.h"
#include "storage/section_list.h"

namespace korvane {

TWebServer::TWebServer(TProjectLink& project, std::string defaultFolder)
    : Project(project), DefaultFolder(std::move(defaultFolder)) {
    Reset();
}

void TWebServer::Reset() {
    Stop();
    LogicalCgiBinPathValue = "/cgi-bin";
    CgiBinPathValue = DefaultFolder;
    RootPath = DefaultFolder;
    DefaultDoc = "index.html";
    Port = "80";
    CgiTimeoutValue = 30;
    ModifiedValue = false;
}

// The server itself arrives with the HTTP component; until then starting only records the
// wish, so that a project saved with the server on keeps it on.
void TWebServer::setStarted(bool value) {
    StartedValue = value;
}
void TWebServer::Stop() {
    StartedValue = false;
}

// Every change marks the project, not only the first: otherwise a second change would not
// reach the project file, since an unmodified project is not written.
void TWebServer::setModified(bool value) {
    if (value) Project.MarkModified();
    if (value == ModifiedValue) return;
    ModifiedValue = value;
    Stop();
}

void TWebServer::ChangeText(std::string& field, const std::string& value) {
    if (field == value) return;
    const bool wasStarted = StartedValue;
    setModified(true);
    field = value;
    if (wasStarted) setStarted(true);
}

void TWebServer::setRootPath(const std::string& value) {
    ChangeText(RootPath, value);
}
void TWebServer::setDefaultDoc(const std::string& value) {
    ChangeText(DefaultDoc, value);
}
void TWebServer::setPort(const std::string& value) {
    ChangeText(Port, value);
}
void TWebServer::setCgiBinpath(const std::string& value) {
    ChangeText(CgiBinPathValue, value);
}
void TWebServer::setLogicalCgiBinPath(const std::string& value) {
    ChangeText(LogicalCgiBinPathValue, value);
}

// Paths here are absolute, so their leading "/" stays: only the logical path, a part of
// addresses, loses its leading separator.
std::string TWebServer::DerivedRootPath() const {
    return RemoveTrailingSlash(RootPath.empty() ? FolderPart(Project.FileName()) : RootPath);
}

std::string TWebServer::DerivedCgiBinPath() const {
    return CgiBinPathValue.empty() ? DerivedRootPath() : RemoveTrailingSlash(CgiBinPathValue);
}

std::string TWebServer::DerivedLogicalCgiBinPath() const {
    if (LogicalCgiBinPathValue.empty()) return RemoveLeadingSlash(DerivedRootPath());
    return RemoveLeadingSlash(RemoveTrailingSlash(LogicalCgiBinPathValue));
}

void TWebServer::setCgiTimeout(std::int32_t value) {
    if (value == CgiTimeoutValue) return;
    CgiTimeoutValue = value;
    setModified(true);
}

void TWebServer::SaveToStream(TSectionList& stream) const {
    stream.BeginSection("Web Server");
    stream.WriteFlag(StartedValue);
    stream.WriteStr(Project.RelativePath(RootPath));
    stream.WriteStr(DefaultDoc);
    stream.WriteStr(Port);
    stream.WriteStr(Project.RelativePath(CgiBinPathValue));
    stream.WriteStr(LogicalCgiBinPathValue);
    stream.WriteFlag(CgiBinPathValue.empty());
    stream.WriteInt(CgiTimeoutValue);
    stream.EndSection();
}

void TWebServer::LoadFromStream(TSectionList& stream) {
    stream.BeginSection("Web Server");
    if (stream.AtEnd()) {
        stream.EndSection();
        return;
    }
    Stop();
    const bool started = stream.ReadFlag();
    const std::string root = stream.ReadStr();
    RootPath = root.empty() ? std::string() : Project.AbsolutePath(root);
    DefaultDoc = stream.ReadStr();
    Port = stream.ReadStr();
    const std::string cgiBin = stream.ReadStr();
    LogicalCgiBinPathValue = stream.ReadStr();
    const bool cgiBinEmpty = stream.ReadFlag();
    if (!cgiBin.empty())
        CgiBinPathValue = Project.AbsolutePath(cgiBin);
    else
        setCgiBinpath(cgiBinEmpty ? std::string() : Project.AbsolutePath(""));
    const std::int32_t timeout = stream.ReadInt();
    setCgiTimeout(timeout == 0 ? 30 : timeout);
    if (started) setStarted(true);
    stream.EndSection();
}

} // namespace korvane
