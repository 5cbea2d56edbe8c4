#pragma once
// The file-type table: for each known extension, what the file is called, whether its page
// gets an editor and whether it is uploaded as text or binary. It travels inside the project
// file.
#include <list>
#include <string>

namespace korvane {

class TSectionList;

struct TFileType {
    std::string Description;
    std::string Extensions; // comma-separated, without dots: "htm,html"
    bool AsciiTransfer = true;
    bool Editable = true;

    bool IsEmpty() const { return Description.empty() && Extensions.empty(); }
    // One of the comma-separated extensions equals ext, ignoring case.
    bool HasExtension(const std::string& ext) const;
};

// The table in its order. Entries keep their addresses while they are in the table, so a
// list view row may point at its entry.
class TFileTypeList {
public:
    TFileTypeList();

    // The 19 types every new project starts with.
    void MakeDefault();
    void Clear();
    // An entry with empty texts counts as nothing, so a table of just such an entry is empty.
    int Count() const;
    bool IsEmpty() const { return Count() == 0; }

    TFileType& Add(TFileType entry);
    TFileType& InsertAfter(const TFileType& after, TFileType entry);

    // The first entry with the extension (a leading "." is ignored, case is not); nullptr when
    // none has it or ext is empty.
    TFileType* Find(std::string ext);
    const TFileType* Find(std::string ext) const;

    // Adds the core types of the IDE that are missing and makes them editable; true when
    // anything changed.
    bool EnsureCoreTypes();

    const std::list<TFileType>& Entries() const { return Types; }
    std::list<TFileType>& Entries() { return Types; }

    bool operator==(const TFileTypeList& other) const;

    void SaveToStream(TSectionList& stream) const;
    // A missing or empty stored table gives the default table.
    void LoadFromStream(TSectionList& stream);

private:
    std::list<TFileType> Types;
};

bool operator==(const TFileType& a, const TFileType& b);

} // namespace korvane
