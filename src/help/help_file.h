#pragma once
// The help tree file (".kvh"): five identifying strings (company, program, version, build
// and "Help Manager"), then, compressed, section "Nodes" with the root's record. A record is
// section "Help Item" (Name, Filename, Title, RelPath) and section "Help SubList" (the child
// count, then each child's record).
#include "help/help_section.h"

#include <memory>
#include <string>

namespace korvane {

class TSectionList;
class TStream;

struct THelpFileIdentity {
    std::string Company = "Brannoq";
    std::string Program = "Korvane";
    std::string Version = "2.1";
    std::string Build = "0";
};

// Every record nests one section deeper than its parent's, and the container holds ten
// levels, so a tree can be stored only this many levels below its root.
constexpr int MaxHelpDepth = 8;

// Throws handledException with the message to show when the file is foreign or damaged.
std::unique_ptr<THelpSection> ReadHelpTree(TSectionList& list, TStream& source,
                                           const THelpFileIdentity& identity);
void WriteHelpTree(TSectionList& list, TStream& target, const THelpSection& root,
                   const THelpFileIdentity& identity);

// Reads the file at path; and writes it beside and then renames, so a failed save keeps
// the old file.
std::unique_ptr<THelpSection> LoadHelpFile(TSectionList& list, const std::string& path,
                                           const THelpFileIdentity& identity);
void SaveHelpFile(TSectionList& list, const std::string& path, const THelpSection& root,
                  const THelpFileIdentity& identity);

} // namespace korvane
