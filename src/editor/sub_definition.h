#pragma once
// Go to Definition without a window: the sub a name in the text calls, and which of the
// places that define a sub of that name answers the call best.
#include "editor/perl_outline.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct TSubReference {
    std::string Name;      // the sub's own name: "helper"
    std::string Qualifier; // "Foo::Bar" for Foo::Bar::helper and Foo::Bar->helper; else empty
    bool operator==(const TSubReference&) const = default;
};

// The sub named at byte offset at of a line (or just before it): name, name(, &name,
// Pkg::name, $obj->name, Pkg->name. None for a variable or where no name stands.
std::optional<TSubReference> SubReferenceAt(std::string_view line, size_t at);

// The package in effect at a line, by the items of its text.
std::string PackageAtLine(const std::vector<TOutlineItem>& items, int line);

struct TDefinitionHit {
    size_t Source = 0; // which of the sources offered
    int Line = 0;
};

// Looks for the sub's definition in sources 0 to count - 1 (the current page first, where
// callerPackage is the package the name stands in), asking itemsOf for each source's items
// only when it gets to it. A definition in the package the name is qualified with wins over
// one in any other package, and a sub with a body over a declaration; an unqualified name
// prefers the caller's package on the first source and takes any package elsewhere. A
// qualified name is answered from another package only by the first openCount sources (the
// open pages): a file that merely holds a sub of that name is no answer.
std::optional<TDefinitionHit>
FindDefinition(const TSubReference& reference, const std::string& callerPackage, size_t count,
               size_t openCount,
               const std::function<std::vector<TOutlineItem>(size_t source)>& itemsOf);

// The Perl files (.pm, .pl, .cgi) below the folders, nearest first, at most limit of them and
// no deeper than depth; hidden folders are left out. Files named after the qualifier's package
// (Foo/Bar.pm for Foo::Bar) come first.
std::vector<std::string> PerlFilesToSearch(const std::vector<std::string>& folders,
                                           const std::string& qualifier, size_t limit = 3000,
                                           int depth = 6);

// A file's items, or none without reading it all when it is large (above maxBytes) or does not
// hold the name.
std::vector<TOutlineItem> FileOutlineNaming(const std::string& file, const std::string& name,
                                            size_t maxBytes = 8u << 20);

} // namespace korvane
