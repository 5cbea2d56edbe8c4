#include "model/file_types.h"

#include "storage/section_list.h"
#include "storage/text_utils.h"

#include <sstream>

namespace korvane {
namespace {

struct CoreType {
    const char* Extension;
    const char* Extensions;
    const char* Description;
};

// The types the IDE itself relies on (highlighters, runs): they must exist and be editable.
constexpr CoreType CoreTypes[] = {
    {"pl", "pl", "Perl Program Source"},
    {"php", "php", "PHP Script"},
    {"html", "htm,html", "HTML (web page) File"},
    {"sql", "sql", "SQL (database) Script"},
    {"bat", "bat", "Batch File"},
    {"sh", "sh,bash", "Shell Script"},
    {"txt", "txt", "Plain Text File"},
};

} // namespace

bool TFileType::HasExtension(const std::string& ext) const {
    std::istringstream parts(Extensions);
    std::string part;
    while (std::getline(parts, part, ','))
        if (SameText(part, ext)) return true;
    return false;
}

bool operator==(const TFileType& a, const TFileType& b) {
    return a.Description == b.Description && a.Extensions == b.Extensions &&
           a.AsciiTransfer == b.AsciiTransfer && a.Editable == b.Editable;
}

TFileTypeList::TFileTypeList() = default;

void TFileTypeList::MakeDefault() {
    static const std::pair<const char*, const char*> Defaults[] = {
        {"pl", "Perl Program Source"},
        {"pm", "Perl Module"},
        {"cgi", "Perl CGI Script"},
        {"php", "PHP Script"},
        {"htm,html", "HTML (web page) File"},
        {"sql", "SQL (database) Script"},
        {"bat", "Batch File"},
        {"sh,bash", "Shell Script"},
        {"txt", "Plain Text File"},
        {"dat", "Text Data File"},
        {"csv", "Comma Separated Value [Text] File"},
        {"asc", "ASCII Text File"},
        {"prn", "Printer Output File"},
        {"c", "C Program Source"},
        {"cpp", "C++ Program Source"},
        {"ksh", "Kornshell Script"},
        {"diz", "Program Descriptor Text File"},
        {"xhtml", "XHTML (web page) File"},
        {"xml", "XML File"},
        {"sqr", "SQR Source File"},
    };
    Types.clear();
    for (const auto& [extensions, description] : Defaults)
        Types.push_back({description, extensions, true, true});
}

void TFileTypeList::Clear() {
    Types.clear();
}

int TFileTypeList::Count() const {
    if (Types.size() == 1 && Types.front().IsEmpty()) return 0;
    return static_cast<int>(Types.size());
}

TFileType& TFileTypeList::Add(TFileType entry) {
    // An empty placeholder is reused rather than kept in front of real entries.
    if (Count() == 0) Types.clear();
    Types.push_back(std::move(entry));
    return Types.back();
}

TFileType& TFileTypeList::InsertAfter(const TFileType& after, TFileType entry) {
    for (auto it = Types.begin(); it != Types.end(); ++it)
        if (&*it == &after) return *Types.insert(std::next(it), std::move(entry));
    return Add(std::move(entry));
}

TFileType* TFileTypeList::Find(std::string ext) {
    if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
    if (ext.empty()) return nullptr;
    for (TFileType& type : Types)
        if (type.HasExtension(ext)) return &type;
    return nullptr;
}

const TFileType* TFileTypeList::Find(std::string ext) const {
    return const_cast<TFileTypeList*>(this)->Find(std::move(ext));
}

bool TFileTypeList::EnsureCoreTypes() {
    bool changed = false;
    for (const CoreType& core : CoreTypes) {
        if (TFileType* type = Find(core.Extension)) {
            if (!type->Editable) {
                type->Editable = true;
                changed = true;
            }
        } else {
            Add({core.Description, core.Extensions, true, true});
            changed = true;
        }
    }
    return changed;
}

bool TFileTypeList::operator==(const TFileTypeList& other) const {
    return Types == other.Types;
}

void TFileTypeList::SaveToStream(TSectionList& stream) const {
    stream.BeginSection("File Types");
    stream.WriteInt(Count());
    if (Count() > 0) {
        for (const TFileType& type : Types) {
            stream.BeginSection("File Type");
            stream.WriteStr(type.Description);
            stream.WriteStr(type.Extensions);
            stream.WriteFlag(type.AsciiTransfer);
            stream.WriteFlag(type.Editable);
            stream.EndSection();
        }
    }
    stream.EndSection();
}

void TFileTypeList::LoadFromStream(TSectionList& stream) {
    Types.clear();
    stream.BeginSection("File Types");
    const int count = stream.ReadInt();
    for (int i = 0; i < count && !stream.AtEnd(); ++i) {
        const int64_t before = stream.Position();
        TFileType type;
        stream.BeginSection("File Type");
        type.Description = stream.ReadStr();
        type.Extensions = stream.ReadStr();
        type.AsciiTransfer = stream.ReadFlag();
        type.Editable = stream.ReadFlag();
        stream.EndSection();
        if (stream.Position() == before) break;
        Types.push_back(std::move(type));
    }
    stream.EndSection();
    if (IsEmpty()) MakeDefault();
}

} // namespace korvane
