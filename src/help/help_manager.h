#pragma once
// The program's help: the help tree loaded from its ".kvh" file, topics found by slash path,
// and the stack of context topics that makes F1 show the help of the window in front. Where
// the tree file lives is kept in the settings store ("Help/Path" and "Help/Filename"); a
// stored location that still exists wins over the one given at creation.
#include "help/help_file.h"
#include "help/help_section.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvane {

class Prompt;
class TSectionList;

class THelpManager {
public:
    // Shows a document (its full path, anchor included) with the verb letter 'O' (open), 'P'
    // (print) or 'E' (edit); false when it could not be shown.
    using TViewer = std::function<bool(const std::string& path, char verb)>;

    THelpManager(TSectionList& list, Prompt& prompt, std::string rootTopic, std::string helpFile,
                 TViewer viewer, THelpFileIdentity identity = {});
    ~THelpManager();
    THelpManager(const THelpManager&) = delete;
    THelpManager& operator=(const THelpManager&) = delete;

    // The node a path such as "Contents/reference/help" names, ignoring case; a path that
    // goes on below a leaf gives that leaf. None without a root or a match.
    THelpSection* Find(const std::string& path) const;

    // The stack holds paths, found again when shown, so a tree edited or reloaded meanwhile
    // never leaves it pointing at freed nodes.
    void PushContext(const std::string& path);
    void PopContext();
    std::string CurrentContext() const;
    void ShowContext();
    void ShowTopic(const std::string& path);
    // Shows a node's document; a missing one is reported and gives false.
    bool Open(const THelpSection& node, char verb);

    // With a path: the tree file becomes that file, remembered in the settings store. Then
    // the tree is read again.
    void Load(const std::string& path = {});
    void Save();

    THelpSection* Root() const { return RootNode.get(); }
    const std::string& RootTopic() const { return RootTopicName; }
    std::string FilePath() const { return FolderName + FileName; }
    // The folder ends in "/".
    const std::string& Folder() const { return FolderName; }
    std::string StatisticsText() const;

    bool Modified = false;

private:
    void ReadLocation();
    void Reload();

    TSectionList& List;
    Prompt& Prompts;
    std::string RootTopicName;
    std::string HelpFile;
    TViewer Viewer;
    THelpFileIdentity Identity;
    std::string FolderName;
    std::string FileName;
    std::unique_ptr<THelpSection> RootNode;
    std::vector<std::string> Contexts;
};

} // namespace korvane
