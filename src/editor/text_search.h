#pragma once
// Find and replace in one editor with the editing engine's own search, plain or with regular
// expressions (the C++11 dialect, one line at a time). Replacing every hit collects the hits
// in the text as it stands and puts them in as one edit, so a hit can never be found again in
// its own replacement, an empty match cannot stall the search, and undo takes it all back at
// once.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvane {

class TKorSynEdit;

using TStringList = std::vector<std::string>;

// The search and replace histories keep this many entries, the most recent first.
constexpr size_t SearchHistoryLimit = 30;
// Moves text to the top of history, without a second copy, dropping the oldest beyond the limit.
void AddToHistory(TStringList& history, const std::string& text);

enum class TSearchScope : std::uint8_t { FromCursor = 0, WholeDocument = 1, Selection = 2 };

struct TSearchOptions {
    std::string Search;
    std::string Replace;
    bool MatchCase = false;
    bool WholeWords = false;
    bool Backwards = false;
    bool RegEx = false;
    TSearchScope Scope = TSearchScope::FromCursor;
    bool Prompt = false;     // ask before each replacement
    bool ReplaceAll = false; // replace every hit of the scope, not only the next one
};

// The answer to "replace this hit?".
enum class TReplaceAction { Replace, Skip, ReplaceAll, Cancel };

struct TReplaceQuestion {
    std::string Found;
    std::string Replacement;
    long long Start = 0; // the hit in the editor's text
    long long End = 0;
};
using TConfirmReplace = std::function<TReplaceAction(const TReplaceQuestion&)>;

enum class TSearchOutcome { Found, NotFound, EmptySearch, BadPattern };

struct TSearchResult {
    TSearchOutcome Outcome = TSearchOutcome::NotFound;
    int Replaced = 0;
    bool Wrapped = false; // the hit lies on the other side of the caret
};

// "\1" to "\9" (and "\0", the whole hit) in a regular-expression replacement give the groups
// of the hit; "\n", "\r", "\t" and "\\" give their characters; any other backslash stays.
std::string SubstituteGroups(const std::string& replacement,
                             const std::function<std::string(int)>& group);

// One step of find or replace: the next hit is selected; with replace it is replaced (every
// hit of the scope with ReplaceAll), asking confirm first when Prompt is set. The selection
// is where the search starts; a selection is passed over unless the scope is the selection.
TSearchResult SearchReplace(TKorSynEdit& editor, const TSearchOptions& options, bool replace,
                            const TConfirmReplace& confirm);

} // namespace korvane
