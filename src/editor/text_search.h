#pragma once
// Find and replace in one editor: plain text with the editing engine's own search, regular
// expressions with Perl's (perl_regex.h) and Perl's replacement syntax (regex_replacement.h).
// Replacing every hit collects the hits in the text as it stands and puts them in as one edit,
// so a hit can never be found again in its own replacement, an empty match cannot stall the
// search, and undo takes it all back at once.
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
    // The search begins with this step (from a dialog): "Selected Text Only" takes the
    // selection as it is now, and later steps keep to that range, however they move the
    // selection.
    bool NewSearch = false;
    // From the cursor, with nothing found up to the end: go on from the other end.
    bool WrapAround = false;
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

enum class TSearchOutcome { Found, NotFound, EmptySearch, BadPattern, NoSelection };

struct TSearchResult {
    TSearchOutcome Outcome = TSearchOutcome::NotFound;
    int Replaced = 0;
    bool Wrapped = false; // the hit lies on the other side of the caret
    // With BadPattern: what is wrong with the expression or the replacement, or why matching
    // gave up, as the message to show.
    std::string Problem;
};

// One step of find or replace. The next hit is selected; with replace the selected hit, when
// the selection is one, or else the next hit is replaced, asking confirm first when Prompt is
// set, and the hit after it is selected; with ReplaceAll every hit of the scope is replaced.
// Otherwise the search starts after the selection (before it, backwards).
TSearchResult SearchReplace(TKorSynEdit& editor, const TSearchOptions& options, bool replace,
                            const TConfirmReplace& confirm);

// Whether the selection is exactly the hit that a search with options starting at it finds.
bool SelectionIsHit(TKorSynEdit& editor, const TSearchOptions& options);

} // namespace korvane
