#pragma once
// The packages and named subs of a Perl text, in the order they appear, with their lines. A
// quick scan rather than a parse: it steps over POD, comments, here-documents, strings and
// quote-like operators so that a "sub" inside them is not taken, and stops at __END__ or
// __DATA__. Nothing in the text is run.
#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

enum class TOutlineKind { Package, Class, Sub, Method };

struct TOutlineItem {
    TOutlineKind Kind = TOutlineKind::Sub;
    std::string Name; // as written: "new", "Other::helper", "Foo::Bar"
    int Line = 0;     // 1-based, the line of the keyword
    // For subs and methods: the package in effect where they stand ("main" before any).
    std::string Package;
    bool Forward = false; // "sub name;" declares without a body

    bool IsPackage() const { return Kind == TOutlineKind::Package || Kind == TOutlineKind::Class; }
    // The sub's name with its package: "Foo::new"; a qualified name stays as written.
    std::string FullName() const;
    bool operator==(const TOutlineItem&) const = default;
};

// Line ends may be LF or CR LF. The scan ends early, with what it found so far, once
// cancelled is set.
std::vector<TOutlineItem> ScanPerlOutline(std::string_view text,
                                          const std::atomic<bool>* cancelled = nullptr);

struct TOutlineRow {
    std::string Text; // "package Foo", "new", "later (declared)"
    int Line = 0;
    bool Indented = false; // a sub under its package
    bool Context = false;  // a package shown for its subs, not for its name
    bool operator==(const TOutlineRow&) const = default;
};

// What the outline shows: the packages with their subs under them, narrowed to the names that
// hold filter (case aside); a package stays while any of its subs does.
std::vector<TOutlineRow> OutlineRows(const std::vector<TOutlineItem>& items,
                                     std::string_view filter);

} // namespace korvane
