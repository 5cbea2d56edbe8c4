#pragma once
// What a settings block stored inside the project file needs of its project: to mark the
// project modified when a value changes, and to store paths relative to the project file.
#include <string>

namespace korvane {

class TSectionList;

class TProjectLink {
public:
    virtual ~TProjectLink() = default;
    virtual void MarkModified() = 0;
    // The project file; its folder is where relative paths start.
    virtual const std::string& FileName() const = 0;
    virtual std::string RelativePath(const std::string& path) const = 0;
    virtual std::string AbsolutePath(const std::string& path) const = 0;
    // A path field of the file: a presence flag, then the path relative to the project.
    virtual void RelativePathToStream(TSectionList& stream, const std::string& path) const = 0;
    virtual std::string AbsolutePathFromStream(TSectionList& stream) const = 0;
};

} // namespace korvane
