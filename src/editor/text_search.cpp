#include "editor/text_search.h"

#include "editor/perl_regex.h"
#include "editor/regex_replacement.h"
#include "widgets/kor_syn_edit.h"

#include <algorithm>
#include <memory>

namespace korvane {
namespace {

using Editor = QsciScintillaBase;
using Hit = TRegexHit;

// Backwards, the expression is tried on stretches before the caret, growing from this size.
constexpr long long FirstBackwardStretch = 4096;

// The search with the options over one editor: plain text through the engine (or straight in
// the bytes), regular expressions through PCRE2.
class Searcher {
public:
    Searcher(TKorSynEdit& editor, const TSearchOptions& options) : Edit(editor), Options(options) {
        if (!options.RegEx) {
            if (options.MatchCase) Flags |= Editor::SCFIND_MATCHCASE;
            if (options.WholeWords) Flags |= Editor::SCFIND_WHOLEWORD;
            PlainBytes = options.MatchCase && !options.WholeWords;
            return;
        }
        const bool utf8 = editor.isUtf8();
        Regex = std::make_unique<TPerlRegex>(
            options.Search, TRegexSettings{options.MatchCase, options.WholeWords, utf8});
        if (!Regex->Valid()) {
            Problem = "\"" + options.Search +
                      "\" is not a valid regular expression: " + Regex->CompileError() +
                      " at offset " + std::to_string(Regex->CompileErrorOffset()) +
                      ". Nothing was searched.";
            return;
        }
        Replacement = std::make_unique<TRegexReplacement>(options.Replace, *Regex,
                                                          std::string(editor.LineEnd()), utf8);
    }

    // Why nothing can be replaced, or empty.
    std::string ReplacementProblem() const {
        if (!Replacement || Replacement->Valid()) return {};
        return Replacement->Error() + " Nothing was replaced.";
    }

    // The first hit that starts from `from` on and ends by `to`; with skipEmpty, not an empty
    // hit at from (where the last one ended, or where the caret stands).
    bool Forward(long long from, long long to, bool skipEmpty, Hit& hit) {
        if (!Regex) return FindPlain(from, to, hit);
        Attach();
        long long position = from;
        if (skipEmpty) {
            // Perl's rule: after an empty hit, first a longer one at the same place.
            if (MatchAt(position, position, true, hit) && hit.End <= to) return Counted();
            if (!Problem.empty()) return false;
            position = Regex->After(position);
        }
        while (position <= to && MatchAt(position, to, false, hit)) {
            if (hit.End <= to) return Counted();
            position = Regex->After(hit.Start); // a later start may still end in time
        }
        return false;
    }

    // The hit with the last start from `to` up to `from` that ends by `from`; with skipEmpty,
    // not an empty hit at from.
    bool Backward(long long from, long long to, bool skipEmpty, Hit& hit) {
        if (!Regex) return FindPlain(from, to, hit);
        Attach();
        long long stretch = FirstBackwardStretch;
        long long high = from;
        for (;;) {
            const long long low = std::max(to, Regex->CharacterStart(high - stretch));
            bool found = false;
            Hit candidate;
            for (long long position = low;
                 position <= high && MatchAt(position, high, false, candidate);
                 position = Regex->After(candidate.Start)) {
                if (candidate.End > from ||
                    (skipEmpty && candidate.Empty() && candidate.Start == from))
                    continue;
                hit = candidate;
                found = true;
            }
            if (!Problem.empty()) return false;
            if (found) return Counted();
            if (low <= to) return false;
            high = low;
            stretch *= 2;
        }
    }

    bool IsHit(long long start, long long end) {
        Hit hit;
        return start < end && Forward(start, Edit.TextLength(), false, hit) && hit.Start == start &&
               hit.End == end;
    }

    // The replacement of the hit just found.
    std::string ReplacementFor(const Hit& hit) const {
        if (!Regex) return Options.Replace;
        return Replacement->Expand([this, &hit](int n) -> std::string_view {
            if (n == 0) return View(hit);
            Hit group;
            return Regex->Group(n, group.Start, group.End) ? View(group) : std::string_view();
        });
    }

    // The hit's text where it stands; valid until the text changes.
    std::string_view View(const Hit& hit) const {
        return Edit.RawView().substr(static_cast<size_t>(hit.Start),
                                     static_cast<size_t>(hit.End - hit.Start));
    }
    std::string Text(const Hit& hit) const { return std::string(View(hit)); }

    // The text was edited: the expression reads it anew.
    void TextChanged() { Attached = false; }

    TKorSynEdit& Edit;
    const TSearchOptions& Options;
    std::string Problem;
    int Hits = 0;

private:
    bool Counted() {
        ++Hits;
        return true;
    }

    void Attach() {
        if (Attached) return;
        Regex->Attach(Edit.RawView());
        Attached = true;
    }

    bool MatchAt(long long from, long long lastStart, bool nonEmpty, Hit& hit) {
        if (Regex->Match(from, lastStart, nonEmpty, hit)) return true;
        if (!Regex->MatchError().empty())
            Problem = "The regular expression \"" + Options.Search +
                      "\" gave up on this text: " + Regex->MatchError() + ".";
        return false;
    }

    // The first hit in [from, to), or the last one when from > to.
    bool FindPlain(long long from, long long to, Hit& hit) {
        const bool found =
            PlainBytes ? FindBytes(from, to, hit)
                       : Edit.SearchRange(Options.Search, Flags, from, to, hit.Start, hit.End);
        return found && Counted();
    }

    // Case-sensitive plain text is a byte search, done straight in the editor's text: a
    // Replace All makes one search per hit, and the engine's costs several times more each.
    bool FindBytes(long long from, long long to, Hit& hit) const {
        const std::string_view text = Edit.RawView();
        const std::string& pattern = Options.Search;
        const auto size = static_cast<long long>(pattern.size());
        size_t at = std::string_view::npos;
        if (from <= to) {
            at = text.find(pattern, static_cast<size_t>(from));
            if (at != std::string_view::npos && static_cast<long long>(at) + size > to)
                at = std::string_view::npos;
        } else if (from - to >= size) {
            at = text.rfind(pattern, static_cast<size_t>(from - size));
            if (at != std::string_view::npos && static_cast<long long>(at) < to)
                at = std::string_view::npos;
        }
        if (at == std::string_view::npos) return false;
        hit = {static_cast<long long>(at), static_cast<long long>(at) + size};
        return true;
    }

    std::unique_ptr<TPerlRegex> Regex;
    std::unique_ptr<TRegexReplacement> Replacement;
    bool Attached = false;
    int Flags = 0;
    bool PlainBytes = false;
};

void SelectHit(TKorSynEdit& editor, const Hit& hit, bool backwards) {
    const long long anchor = backwards ? hit.End : hit.Start;
    const long long caret = backwards ? hit.Start : hit.End;
    editor.SendScintilla(Editor::SCI_ENSUREVISIBLEENFORCEPOLICY,
                         static_cast<unsigned long>(editor.SendScintilla(
                             Editor::SCI_LINEFROMPOSITION, static_cast<unsigned long>(caret))));
    editor.SendScintilla(Editor::SCI_SETSEL, static_cast<unsigned long>(anchor),
                         static_cast<long>(caret));
}

void PutCaret(TKorSynEdit& editor, long long position) {
    editor.SendScintilla(Editor::SCI_GOTOPOS, static_cast<unsigned long>(position));
}

void ReplaceHit(Searcher& searcher, const Hit& hit, const std::string& replacement) {
    searcher.Edit.ReplaceRanges({{hit.Start, hit.End, replacement}});
    searcher.TextChanged();
}

// Replaces every hit in [from, to) of the text as it stands, as one edit; returns how many
// were replaced and moves to to the end of the range in the new text. When matching gives up
// part-way, nothing is replaced.
int ReplaceEveryHit(Searcher& searcher, long long from, long long& to) {
    std::vector<TKorSynEdit::TRangeEdit> edits;
    long long growth = 0;
    Hit hit;
    bool afterEmpty = false;
    for (long long position = from;
         position <= to && searcher.Forward(position, to, afterEmpty, hit); position = hit.End) {
        std::string replacement = searcher.ReplacementFor(hit);
        if (searcher.View(hit) != replacement) {
            growth += static_cast<long long>(replacement.size()) - (hit.End - hit.Start);
            edits.push_back({hit.Start, hit.End, std::move(replacement)});
        }
        afterEmpty = hit.Empty();
    }
    if (!searcher.Problem.empty()) return 0;
    searcher.Edit.ReplaceRanges(edits);
    searcher.TextChanged();
    to += growth;
    return static_cast<int>(edits.size());
}

TReplaceAction Ask(const TConfirmReplace& confirm, const Searcher& searcher, const Hit& hit,
                   const std::string& replacement) {
    SelectHit(searcher.Edit, hit, false);
    return confirm({searcher.Text(hit), replacement, hit.Start, hit.End});
}

// Every hit in [low, high), asking before each one; backwards from the end with backwards.
// high follows the text's growth.
int ReplaceAsking(Searcher& searcher, long long low, long long& high, bool backwards,
                  const TConfirmReplace& confirm) {
    TKorSynEdit& editor = searcher.Edit;
    int replaced = 0;
    long long position = backwards ? high : low;
    bool skipEmpty = false;
    Hit hit;
    while (backwards ? searcher.Backward(position, low, skipEmpty, hit)
                     : searcher.Forward(position, high, skipEmpty, hit)) {
        const std::string replacement = searcher.ReplacementFor(hit);
        const bool same = searcher.View(hit) == replacement;
        const TReplaceAction action =
            same ? TReplaceAction::Skip : Ask(confirm, searcher, hit, replacement);
        if (action == TReplaceAction::Cancel) break;
        if (action == TReplaceAction::ReplaceAll) {
            long long end = backwards ? hit.End : high;
            replaced += ReplaceEveryHit(searcher, backwards ? low : hit.Start, end);
            high += end - (backwards ? hit.End : high);
            PutCaret(editor, end);
            break;
        }
        long long after = hit.End; // where the text after the hit now starts
        if (action == TReplaceAction::Replace) {
            ReplaceHit(searcher, hit, replacement);
            ++replaced;
            after = hit.Start + static_cast<long long>(replacement.size());
            high += after - hit.End;
        }
        position = backwards ? hit.Start : after;
        skipEmpty = hit.Empty();
        PutCaret(editor, position);
    }
    return replaced;
}

// The hit is selected: replace it (asking first with Prompt) and select the hit after it, so
// the next step shows what it will replace. Returns how many were replaced.
int ReplaceSelectedHit(Searcher& searcher, const Hit& hit, long long low, long long& high,
                       const TConfirmReplace& confirm) {
    const TSearchOptions& options = searcher.Options;
    const bool backwards = options.Backwards;
    const std::string replacement = searcher.ReplacementFor(hit);
    TReplaceAction action = TReplaceAction::Replace;
    if (searcher.View(hit) == replacement)
        action = TReplaceAction::Skip;
    else if (options.Prompt)
        action = Ask(confirm, searcher, hit, replacement);
    if (action == TReplaceAction::Cancel) return 0;
    if (action == TReplaceAction::ReplaceAll) {
        long long end = backwards ? hit.End : high;
        const int replaced = ReplaceEveryHit(searcher, backwards ? low : hit.Start, end);
        if (!backwards) high = end;
        PutCaret(searcher.Edit, end);
        return replaced;
    }
    long long after = hit.End;
    int replaced = 0;
    if (action == TReplaceAction::Replace) {
        ReplaceHit(searcher, hit, replacement);
        replaced = 1;
        after = hit.Start + static_cast<long long>(replacement.size());
        high += after - hit.End;
    }
    Hit next;
    if (backwards ? searcher.Backward(hit.Start, low, hit.Empty(), next)
                  : searcher.Forward(after, high, hit.Empty(), next))
        SelectHit(searcher.Edit, next, backwards);
    else
        PutCaret(searcher.Edit, backwards ? hit.Start : after);
    return replaced;
}

} // namespace

void AddToHistory(TStringList& history, const std::string& text) {
    history.erase(std::remove(history.begin(), history.end(), text), history.end());
    history.insert(history.begin(), text);
    if (history.size() > SearchHistoryLimit) history.resize(SearchHistoryLimit);
}

bool SelectionIsHit(TKorSynEdit& editor, const TSearchOptions& options) {
    if (options.Search.empty()) return false;
    Searcher searcher(editor, options);
    return searcher.Problem.empty() &&
           searcher.IsHit(editor.SelectionStartPosition(), editor.SelectionEndPosition());
}

TSearchResult SearchReplace(TKorSynEdit& editor, const TSearchOptions& options, bool replace,
                            const TConfirmReplace& confirm) {
    TSearchResult result;
    if (options.Search.empty()) {
        result.Outcome = TSearchOutcome::EmptySearch;
        return result;
    }
    Searcher searcher(editor, options);
    if (searcher.Problem.empty() && replace) searcher.Problem = searcher.ReplacementProblem();
    if (!searcher.Problem.empty()) {
        result.Outcome = TSearchOutcome::BadPattern;
        result.Problem = searcher.Problem;
        return result;
    }
    const long long length = editor.TextLength();
    const long long selStart = editor.SelectionStartPosition();
    const long long selEnd = editor.SelectionEndPosition();
    const bool backwards = options.Backwards;
    const bool inSelection = options.Scope == TSearchScope::Selection;

    // The range searched: the whole text, or the selection the search began with.
    long long low = 0;
    long long high = length;
    const bool newScope = inSelection && (options.NewSearch || !editor.SearchScope(low, high));
    if (newScope) {
        if (selEnd <= selStart) {
            result.Outcome = TSearchOutcome::NoSelection;
            return result;
        }
        low = selStart;
        high = selEnd;
        editor.MarkSearchScope(low, high);
    }
    // Where the step begins: at a selected hit when replacing (it is the first one replaced),
    // else after the selection (before it, backwards); a new search and the whole document
    // from the start (the end, backwards).
    const bool selectedHit = replace && options.Scope != TSearchScope::WholeDocument &&
                             selStart >= low && selEnd <= high && searcher.IsHit(selStart, selEnd);
    const bool fromEnd = options.Scope == TSearchScope::WholeDocument || newScope;
    long long start = backwards ? selStart : selEnd;
    if (selectedHit) start = backwards ? selEnd : selStart;
    if (fromEnd) start = backwards ? high : low;
    if (start < low || start > high) start = backwards ? high : low;
    // An empty hit where the last step left the caret is not found again.
    const bool skipEmpty = !fromEnd && !selectedHit && selStart == selEnd;

    editor.SendScintilla(Editor::SCI_BEGINUNDOACTION);
    if (replace && options.ReplaceAll) {
        long long from = low;
        long long to = high;
        if (options.Scope == TSearchScope::FromCursor) (backwards ? to : from) = start;
        const long long oldTo = to;
        if (options.Prompt) {
            result.Replaced = ReplaceAsking(searcher, from, to, backwards, confirm);
        } else {
            // The caret keeps its place in the text, so the view does not jump (nor the
            // whole text have to be styled at once when the last hit is near the end).
            const int caretLine = editor.CaretLine();
            const int caretColumn = editor.CaretColumn();
            result.Replaced = ReplaceEveryHit(searcher, from, to);
            if (result.Replaced > 0 && !inSelection) editor.SetCaret(caretColumn, caretLine);
        }
        high += to - oldTo;
        if (inSelection)
            editor.SendScintilla(Editor::SCI_SETSEL, static_cast<unsigned long>(low),
                                 static_cast<long>(high));
    } else {
        Hit hit;
        bool found = false;
        if (options.WrapAround && options.Scope == TSearchScope::FromCursor) {
            // The last step found nothing up to the end: this one starts at the other end.
            found = backwards ? searcher.Backward(length, 0, false, hit)
                              : searcher.Forward(0, length, false, hit);
            result.Wrapped = found;
        } else if (selectedHit) {
            found = searcher.Forward(selStart, length, false, hit);
        } else {
            found = backwards ? searcher.Backward(start, low, skipEmpty, hit)
                              : searcher.Forward(start, high, skipEmpty, hit);
        }
        if (found) {
            SelectHit(editor, hit, backwards);
            if (replace) result.Replaced = ReplaceSelectedHit(searcher, hit, low, high, confirm);
        }
    }
    if (inSelection) editor.MarkSearchScope(low, high);
    editor.SendScintilla(Editor::SCI_ENDUNDOACTION);
    // Hits that were all declined, or equal to their replacement, still count as found.
    result.Problem = searcher.Problem;
    result.Outcome = !result.Problem.empty() ? TSearchOutcome::BadPattern
                     : searcher.Hits > 0     ? TSearchOutcome::Found
                                             : TSearchOutcome::NotFound;
    return result;
}

} // namespace korvane
