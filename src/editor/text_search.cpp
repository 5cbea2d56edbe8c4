#include "editor/text_search.h"

#include "widgets/kor_syn_edit.h"

#include <algorithm>

namespace korvane {
namespace {

using Editor = QsciScintillaBase;

struct Hit {
    long long Start = 0;
    long long End = 0;
    bool Empty() const { return Start == End; }
};

// The engine's search with the options' flags over one editor.
class Searcher {
public:
    Searcher(TKorSynEdit& editor, const TSearchOptions& options)
        : Edit(editor), Options(options), Pattern(options.Search) {
        if (options.MatchCase) Flags |= Editor::SCFIND_MATCHCASE;
        if (options.RegEx) {
            Flags |= Editor::SCFIND_REGEXP | Editor::SCFIND_CXX11REGEX;
            // The engine's whole-word flag is for plain text only.
            if (options.WholeWords) Pattern = "\\b(?:" + Pattern + ")\\b";
        } else if (options.WholeWords) {
            Flags |= Editor::SCFIND_WHOLEWORD;
        }
        PlainBytes = options.MatchCase && !options.RegEx && !options.WholeWords;
    }

    // The first hit in [from, to), or the last one when from > to.
    bool Find(long long from, long long to, Hit& hit) {
        if (PlainBytes) return FindBytes(from, to, hit);
        bool bad = false;
        const bool found = Edit.SearchRange(Pattern, Flags, from, to, hit.Start, hit.End, bad);
        BadPattern = BadPattern || bad;
        if (found) ++Hits;
        return found;
    }

    // The replacement of the hit just found.
    std::string Replacement(const Hit& hit) const {
        if (!Options.RegEx || Options.Replace.find('\\') == std::string::npos)
            return Options.Replace;
        return SubstituteGroups(Options.Replace, [this, &hit](int n) {
            return n == 0 ? Text(hit) : Edit.SearchTag(n);
        });
    }

    // Case-sensitive plain text is a byte search, done straight in the editor's text: a
    // Replace All makes one search per hit, and the engine's costs several times more each.
    bool FindBytes(long long from, long long to, Hit& hit) {
        const std::string_view text = Edit.RawView();
        const auto size = static_cast<long long>(Pattern.size());
        size_t at = std::string_view::npos;
        if (from <= to) {
            at = text.find(Pattern, static_cast<size_t>(from));
            if (at != std::string_view::npos && static_cast<long long>(at) + size > to)
                at = std::string_view::npos;
        } else if (from - to >= size) {
            at = text.rfind(Pattern, static_cast<size_t>(from - size));
            if (at != std::string_view::npos && static_cast<long long>(at) < to)
                at = std::string_view::npos;
        }
        if (at == std::string_view::npos) return false;
        hit = {static_cast<long long>(at), static_cast<long long>(at) + size};
        ++Hits;
        return true;
    }

    std::string Text(const Hit& hit) const { return std::string(View(hit)); }
    // The hit's text where it stands; valid until the text changes.
    std::string_view View(const Hit& hit) const {
        return Edit.RawView().substr(static_cast<size_t>(hit.Start),
                                     static_cast<size_t>(hit.End - hit.Start));
    }

    TKorSynEdit& Edit;
    const TSearchOptions& Options;
    std::string Pattern;
    int Flags = 0;
    bool PlainBytes = false;
    bool BadPattern = false;
    int Hits = 0;
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

// Replaces every hit in [from, to) of the text as it stands, as one edit; returns how many
// were replaced and moves to to the end of the range in the new text.
int ReplaceEveryHit(Searcher& searcher, long long from, long long& to) {
    std::vector<TKorSynEdit::TRangeEdit> edits;
    long long growth = 0;
    Hit hit;
    long long position = from;
    while (position <= to && searcher.Find(position, to, hit)) {
        std::string replacement = searcher.Replacement(hit);
        if (searcher.View(hit) != replacement) {
            growth += static_cast<long long>(replacement.size()) - (hit.End - hit.Start);
            edits.push_back({hit.Start, hit.End, std::move(replacement)});
        }
        if (!hit.Empty()) {
            position = hit.End;
        } else {
            // An empty match is passed by one character, or the search would stand still.
            if (hit.End >= to) break;
            position = searcher.Edit.PositionAfter(hit.End);
        }
    }
    searcher.Edit.ReplaceRanges(edits);
    to += growth;
    return static_cast<int>(edits.size());
}

TReplaceAction Ask(const TConfirmReplace& confirm, const Searcher& searcher, const Hit& hit,
                   const std::string& replacement) {
    SelectHit(searcher.Edit, hit, false);
    return confirm({searcher.Text(hit), replacement, hit.Start, hit.End});
}

// Every hit in [low, high), asking before each one; backwards from the end with backwards.
int ReplaceAsking(Searcher& searcher, long long low, long long high, bool backwards,
                  const TConfirmReplace& confirm) {
    TKorSynEdit& editor = searcher.Edit;
    int replaced = 0;
    long long position = backwards ? high : low;
    Hit hit;
    while (backwards ? searcher.Find(position, low, hit) : searcher.Find(position, high, hit)) {
        const std::string replacement = searcher.Replacement(hit);
        const bool same = searcher.View(hit) == replacement;
        const TReplaceAction action =
            same ? TReplaceAction::Skip : Ask(confirm, searcher, hit, replacement);
        if (action == TReplaceAction::Cancel) break;
        if (action == TReplaceAction::ReplaceAll) {
            long long end = backwards ? hit.End : high;
            replaced += ReplaceEveryHit(searcher, backwards ? low : hit.Start, end);
            PutCaret(editor, end);
            break;
        }
        long long after = hit.End; // where the text after the hit now starts
        if (action == TReplaceAction::Replace) {
            editor.ReplaceRanges({{hit.Start, hit.End, replacement}});
            ++replaced;
            after = hit.Start + static_cast<long long>(replacement.size());
            high += after - hit.End;
        }
        if (backwards) {
            if (hit.Start <= low) break;
            position = hit.Empty() ? editor.PositionBefore(hit.Start) : hit.Start;
        } else {
            if (hit.Empty() && after >= high) break;
            position = hit.Empty() ? editor.PositionAfter(after) : after;
        }
        PutCaret(editor, backwards ? hit.Start : after);
    }
    return replaced;
}

} // namespace

void AddToHistory(TStringList& history, const std::string& text) {
    history.erase(std::remove(history.begin(), history.end(), text), history.end());
    history.insert(history.begin(), text);
    if (history.size() > SearchHistoryLimit) history.resize(SearchHistoryLimit);
}

std::string SubstituteGroups(const std::string& replacement,
                             const std::function<std::string(int)>& group) {
    std::string result;
    for (size_t i = 0; i < replacement.size(); ++i) {
        const char c = replacement[i];
        if (c != '\\' || i + 1 == replacement.size()) {
            result += c;
            continue;
        }
        const char next = replacement[++i];
        if (next >= '0' && next <= '9') {
            result += group(next - '0');
        } else if (next == 'n') {
            result += '\n';
        } else if (next == 'r') {
            result += '\r';
        } else if (next == 't') {
            result += '\t';
        } else if (next == '\\') {
            result += '\\';
        } else {
            result += '\\';
            result += next;
        }
    }
    return result;
}

TSearchResult SearchReplace(TKorSynEdit& editor, const TSearchOptions& options, bool replace,
                            const TConfirmReplace& confirm) {
    TSearchResult result;
    if (options.Search.empty()) {
        result.Outcome = TSearchOutcome::EmptySearch;
        return result;
    }
    Searcher searcher(editor, options);
    const long long length = editor.TextLength();
    const long long selStart = editor.SelectionStartPosition();
    const long long selEnd = editor.SelectionEndPosition();
    const bool backwards = options.Backwards;

    // The range searched: the selection, the whole text, or from the caret on (or back).
    long long low = 0;
    long long high = length;
    if (options.Scope == TSearchScope::Selection && selEnd > selStart) {
        low = selStart;
        high = selEnd;
    } else if (options.Scope != TSearchScope::WholeDocument) {
        (backwards ? high : low) = backwards ? selStart : selEnd;
    }

    editor.SendScintilla(Editor::SCI_BEGINUNDOACTION);
    if (replace && options.ReplaceAll) {
        if (options.Prompt) {
            result.Replaced = ReplaceAsking(searcher, low, high, backwards, confirm);
        } else {
            long long end = high;
            // The caret keeps its place in the text, so the view does not jump (nor the
            // whole text have to be styled at once when the last hit is near the end).
            const int caretLine = editor.CaretLine();
            const int caretColumn = editor.CaretColumn();
            result.Replaced = ReplaceEveryHit(searcher, low, end);
            if (options.Scope == TSearchScope::Selection && selEnd > selStart)
                editor.SendScintilla(Editor::SCI_SETSEL, static_cast<unsigned long>(low),
                                     static_cast<long>(end));
            else if (result.Replaced > 0)
                editor.SetCaret(caretColumn, caretLine);
        }
    } else {
        Hit hit;
        bool found = backwards ? searcher.Find(high, low, hit) : searcher.Find(low, high, hit);
        // From the caret, the search goes on from the other end of the text.
        if (!found && options.Scope == TSearchScope::FromCursor && !searcher.BadPattern) {
            found = backwards ? searcher.Find(length, high, hit) : searcher.Find(0, low, hit);
            result.Wrapped = found;
        }
        if (found) {
            SelectHit(editor, hit, backwards);
            if (replace) {
                const std::string replacement = searcher.Replacement(hit);
                TReplaceAction action = TReplaceAction::Replace;
                if (searcher.View(hit) == replacement)
                    action = TReplaceAction::Skip;
                else if (options.Prompt)
                    action = Ask(confirm, searcher, hit, replacement);
                if (action == TReplaceAction::Replace) {
                    editor.ReplaceRanges({{hit.Start, hit.End, replacement}});
                    result.Replaced = 1;
                    PutCaret(editor, backwards
                                         ? hit.Start
                                         : hit.Start + static_cast<long long>(replacement.size()));
                } else if (action == TReplaceAction::ReplaceAll) {
                    long long end = backwards ? hit.End : high;
                    result.Replaced = ReplaceEveryHit(searcher, backwards ? low : hit.Start, end);
                    PutCaret(editor, end);
                }
            }
        }
    }
    editor.SendScintilla(Editor::SCI_ENDUNDOACTION);
    // Hits that were all declined, or equal to their replacement, still count as found.
    result.Outcome = searcher.BadPattern ? TSearchOutcome::BadPattern
                     : searcher.Hits > 0 ? TSearchOutcome::Found
                                         : TSearchOutcome::NotFound;
    return result;
}

} // namespace korvane
