#include "help/help_manager.h"

#include "platform/qt_strings.h"
#include "platform/settings_store.h"
#include "storage/errors.h"
#include "storage/file_utils.h"
#include "storage/paths.h"
#include "storage/prompt.h"
#include "storage/text_utils.h"

namespace korvane {

THelpManager::THelpManager(TSectionList& list, Prompt& prompt, std::string rootTopic,
                           std::string helpFile, TViewer viewer, THelpFileIdentity identity)
    : List(list), Prompts(prompt), RootTopicName(std::move(rootTopic)),
      HelpFile(std::move(helpFile)), Viewer(std::move(viewer)), Identity(std::move(identity)) {
    ReadLocation();
    Reload();
}

THelpManager::~THelpManager() = default;

void THelpManager::ReadLocation() {
    auto settings = OpenUserSettings();
    settings->beginGroup(QStringLiteral("Help"));
    FolderName = ToStdString(settings->value(QStringLiteral("Path")).toString());
    FileName = ToStdString(settings->value(QStringLiteral("Filename")).toString());
    // A stored location counts only while its file is there: a folder that stayed while the
    // file went must not hide the help given at creation.
    if (FolderName.empty() || FileName.empty() ||
        !IsFile(AppendIfMissing(FolderName, "/") + FileName)) {
        FolderName = FolderPart(HelpFile);
        FileName = FileNamePart(HelpFile);
        settings->setValue(QStringLiteral("Path"), ToQString(FolderName));
        settings->setValue(QStringLiteral("Filename"), ToQString(FileName));
    }
    FolderName = AppendIfMissing(FolderName, "/");
}

void THelpManager::Reload() {
    if (FolderName.empty()) return;
    RootNode.reset();
    const std::string path = FilePath();
    if (IsFile(path)) {
        try {
            RootNode = LoadHelpFile(List, path, Identity);
        } catch (const handledException& error) {
            Prompts.Inform(PromptKind::Error, error.what());
        }
    } else {
        RootNode = std::make_unique<THelpSection>("index");
        RootNode->Filename = "index.htm";
    }
    if (RootNode) RootNode->RelPath = RemoveTrailingSlash(FolderName);
    Modified = false;
}

void THelpManager::Load(const std::string& path) {
    if (!path.empty()) {
        FolderName = FolderPart(path);
        FileName = FileNamePart(path);
        auto settings = OpenUserSettings();
        settings->setValue(QStringLiteral("Help/Path"), ToQString(FolderName));
        settings->setValue(QStringLiteral("Help/Filename"), ToQString(FileName));
    }
    Reload();
}

void THelpManager::Save() {
    if (!RootNode) return;
    // The root's folder is where the file was found, not part of the stored tree.
    const std::string folder = std::exchange(RootNode->RelPath, {});
    try {
        SaveHelpFile(List, FilePath(), *RootNode, Identity);
    } catch (...) {
        RootNode->RelPath = folder;
        throw;
    }
    RootNode->RelPath = folder;
    Modified = false;
}

THelpSection* THelpManager::Find(const std::string& path) const {
    THelpSection* level = RootNode.get();
    std::vector<THelpSection*> candidates{level};
    std::string rest = path;
    while (level) {
        size_t cut = rest.find('\\');
        if (cut == std::string::npos) cut = rest.find('/');
        const std::string head = rest.substr(0, cut);
        rest = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
        THelpSection* match = nullptr;
        for (THelpSection* node : candidates)
            if (SameText(node->Name, head)) {
                match = node;
                break;
            }
        if (!match || rest.empty() || match->Children().empty()) return match;
        candidates.clear();
        for (const auto& child : match->Children())
            candidates.push_back(child.get());
        level = match;
    }
    return nullptr;
}

void THelpManager::PushContext(const std::string& path) {
    Contexts.push_back(path);
}

void THelpManager::PopContext() {
    if (!Contexts.empty()) Contexts.pop_back();
}

std::string THelpManager::CurrentContext() const {
    return Contexts.empty() ? std::string() : Contexts.back();
}

bool THelpManager::Open(const THelpSection& node, char verb) {
    verb = UpperAscii(verb);
    if (node.Exists() && Viewer && Viewer(node.FullPath(), verb)) return true;
    // Printing and editing fail quietly; opening says why.
    if (verb != 'P' && verb != 'E') {
        const std::string reason = node.Exists() ? "No application associated with extension "
                                                   "for file \n" +
                                                       node.FullPath()
                                                 : "File not found: " + node.FullPath();
        Prompts.Inform(PromptKind::Error,
                       "Help for " + node.Name + "  (" + node.Title + ")\n" + reason);
    }
    return false;
}

void THelpManager::ShowContext() {
    if (Contexts.empty() || !RootNode) return;
    const THelpSection* node = Find(Contexts.back());
    if (!node) return;
    if (!Open(*node, 'O') && !SameText(node->Name, RootTopicName)) ShowTopic(RootTopicName);
}

void THelpManager::ShowTopic(const std::string& path) {
    if (RootTopicName.empty()) return;
    PushContext(path);
    ShowContext();
    PopContext();
}

std::string THelpManager::StatisticsText() const {
    if (!RootNode) return "Help tree inaccesible";
    const int nodes = RootNode->CountNodes();
    const int leaves = RootNode->CountLeaves();
    return std::to_string(nodes) + " node" + Plural(nodes) + " on help tree, of which " +
           std::to_string(leaves) + (leaves == 1 ? " is a leaf" : " are leaves");
}

} // namespace korvane
