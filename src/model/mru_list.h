#pragma once
// A most-recently-used list of file paths, newest first, kept in the settings store under its
// own group as "Item0" (newest) to "Item<limit - 1>". Every change reads the stored list first
// and writes it back at once, so two running programs add to one list instead of overwriting
// each other's entries. Paths compare exactly: on Linux two spellings are two files.
#include <string>
#include <vector>

namespace korvane {

class TMRUList {
public:
    // One item of the list's menu, in order: the entries, then the clear items.
    struct TMenuItem {
        enum TKind { Entry, ClearInactive, Clear };
        TKind Kind = Entry;
        std::string Caption; // ready for a menu: "&" in paths is doubled
        bool Enabled = true;
        int Number = -1; // the entry's place in the list; -1 for the clear items
    };

    static constexpr int DefaultLimit = 10;

    // group: the store's group of the entries ("Files MRU"). autoLoadValue: the value under
    // "Defaults" naming the entry that carries the "(AutoLoad)" mark; empty for no mark.
    TMRUList(std::string group, std::string autoLoadValue, int limit = DefaultLimit);

    // Reads the entries from the store.
    void Load();
    void Add(const std::string& path);
    void Clear();
    // Drops every entry whose file is gone.
    void ClearInactive();

    const std::vector<std::string>& Entries() const { return Paths; }
    // The entry at number, or "" when there is none.
    std::string Entry(int number) const;
    // The menu the list shows now (reads the store's autoload value and the files' existence).
    std::vector<TMenuItem> MenuItems() const;

private:
    void Save() const;

    std::string Group;
    std::string AutoLoadValue;
    int Limit;
    std::vector<std::string> Paths;
};

// A text shown as a menu caption as it is: "&" doubled, so it marks no accelerator.
std::string EscapeMenuCaption(const std::string& text);

} // namespace korvane
