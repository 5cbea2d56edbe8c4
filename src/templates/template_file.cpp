// The template file: a "VersionInfo" section naming maker, program, version, build and file
// kind, then, compressed, one "Code Template Node" record per node in pre-order. A record
// holds "Data" (description, alias, lines) and "Links" (has-first-child, has-next-sibling);
// the flags alone give the tree its shape.
#include "templates/code_template.h"

#include "storage/byte_stream.h"
#include "storage/errors.h"
#include "storage/file_utils.h"
#include "storage/safe_file_write.h"
#include "storage/section_list.h"
#include "storage/text_utils.h"

#include <utility>

namespace korvane {
namespace {

constexpr const char* MakerName = "Brannoq";
constexpr const char* ProgramName = "Korvane";
constexpr const char* ProgramVersion = "2.1";
constexpr const char* ProgramBuild = "0";
constexpr const char* FileKind = "Code Template";
constexpr const char* NodeSection = "Code Template Node";

// The root's sections after the identification are compressed; the flag is off again
// however the load or save ends, or the next file would be read wrongly.
class CompressedRoot {
public:
    explicit CompressedRoot(TSectionList& stream) : Stream(stream) {
        Stream.SetCompressChildren(true);
    }
    ~CompressedRoot() {
        if (Stream.LevelIndex() == 0) Stream.SetCompressChildren(false);
    }
    CompressedRoot(const CompressedRoot&) = delete;
    CompressedRoot& operator=(const CompressedRoot&) = delete;

private:
    TSectionList& Stream;
};

struct TLinks {
    bool HasFirstChild = false;
    bool HasNextSibling = false;
};

void WriteRecord(TSectionList& stream, const TCodeTemplate& node, TLinks links) {
    stream.BeginSection(NodeSection);
    stream.BeginSection("Data");
    stream.WriteStr(node.Description());
    stream.WriteStr(node.Alias());
    stream.WriteStrList(node.Lines());
    stream.EndSection();
    stream.BeginSection("Links");
    stream.WriteFlag(links.HasFirstChild);
    stream.WriteFlag(links.HasNextSibling);
    stream.EndSection();
    stream.EndSection();
}

[[noreturn]] void Damaged() {
    throw handledException("The code template file is damaged: a template record is missing");
}

struct TRecord {
    std::string Description;
    std::string Alias;
    std::vector<std::string> Lines;
    TLinks Links;
};

TRecord ReadRecord(TSectionList& stream) {
    // The container reads a missing section as empty; a record always holds bytes, so an
    // empty one means the file ends early or is not what it claims.
    stream.BeginSection(NodeSection);
    if (stream.AtEnd()) Damaged();
    TRecord record;
    stream.BeginSection("Data");
    record.Description = stream.ReadStr();
    record.Alias = stream.ReadStr();
    stream.ReadStrList(record.Lines);
    stream.EndSection();
    stream.BeginSection("Links");
    record.Links.HasFirstChild = stream.ReadFlag();
    record.Links.HasNextSibling = stream.ReadFlag();
    stream.EndSection();
    stream.EndSection();
    return record;
}

} // namespace

void TCodeTemplate::WriteNodes(TSectionList& stream) const {
    for (const TCodeTemplate* node = this; node; node = node->NextInPreOrder(this))
        WriteRecord(stream, *node,
                    {node->FirstChildNode != nullptr, node != this && node->NextNode != nullptr});
}

void TCodeTemplate::ReadNodes(TSectionList& stream) {
    DeleteChildren();
    // A node is made only once its record has been read, so a damaged file adds no empty
    // nodes. Nodes whose next sibling is still to come wait here, innermost last, with their
    // depth: the walk keeps its own stack, so neither a long chain nor a deep nesting recurses.
    const auto take = [](TCodeTemplate& node, TRecord record) {
        node.DescriptionValue = std::move(record.Description);
        node.AliasValue = std::move(record.Alias);
        node.LinesValue = std::move(record.Lines);
        node.SetModified(false);
        return record.Links;
    };
    std::vector<std::pair<TCodeTemplate*, int>> pending;
    TCodeTemplate* node = this;
    int depth = 0;
    TLinks links = take(*this, ReadRecord(stream));
    for (;;) {
        // The node read into has no chain of its own to extend.
        if (links.HasNextSibling && node != this) pending.emplace_back(node, depth);
        if (links.HasFirstChild) {
            if (++depth > MaxDepth)
                throw handledException("The code template file is damaged: templates nest "
                                       "more than " +
                                       std::to_string(MaxDepth) + " levels deep");
            TRecord record = ReadRecord(stream);
            node = node->AddChild();
            links = take(*node, std::move(record));
        } else if (!pending.empty()) {
            TCodeTemplate* previous = pending.back().first;
            depth = pending.back().second;
            pending.pop_back();
            TRecord record = ReadRecord(stream);
            node = previous->AddSibling();
            links = take(*node, std::move(record));
        } else {
            break;
        }
    }
}

void TCodeTemplate::SaveTemplateFile(TSectionList& stream, const std::string& path) {
    if (path.empty()) return;
    TMemoryStream bytes;
    {
        TSectionListUse use(stream, bytes, false);
        stream.BeginSection("VersionInfo");
        for (const char* text : {MakerName, ProgramName, ProgramVersion, ProgramBuild, FileKind})
            stream.WriteStr(text);
        stream.EndSection();
        CompressedRoot compressed(stream);
        Root().WriteNodes(stream);
    }
    ReplaceFileContents(path, bytes.Bytes().data(), bytes.Bytes().size());
    Root().ClearAllModified();
}

void TCodeTemplate::LoadTemplateFile(TSectionList& stream, const std::string& path) {
    if (!IsFile(path)) return;
    TFileStream file(path, TFileStream::TMode::OpenRead);
    LoadTemplateStream(stream, file);
}

void TCodeTemplate::LoadTemplateStream(TSectionList& stream, TStream& source) {
    TSectionListUse use(stream, source, true);
    stream.BeginSection("VersionInfo");
    if (!SameText(stream.ReadStr(), MakerName))
        throw handledException("Incorrect Company Name for this program");
    if (stream.ReadStr() != ProgramName)
        throw handledException("Incorrect Program Name for this program");
    (void)stream.ReadStr(); // version
    (void)stream.ReadStr(); // build
    if (stream.ReadStr() != FileKind)
        throw handledException("This is not a Korvane Code Template File");
    stream.EndSection();
    CompressedRoot compressed(stream);
    struct ClearOnExit {
        TCodeTemplate& Root;
        ~ClearOnExit() { Root.ClearAllModified(); }
    } clear{Root()};
    Root().ReadNodes(stream);
}

std::string LoadTemplateFileKeepingDamaged(TCodeTemplate& root, TSectionList& stream,
                                           const std::string& path) {
    try {
        root.LoadTemplateFile(stream, path);
        return {};
    } catch (const handledException& error) {
        const std::string copy = path + ".damaged";
        const std::string kept = CopyFileOver(path, copy)
                                     ? "A copy of it was kept as " + copy + "."
                                     : "No copy of it could be made: save your templates "
                                       "elsewhere before changing them.";
        return "The code templates could not all be read from " + path + ":\n" + error.what() +
               "\n" + kept;
    }
}

} // namespace korvane
