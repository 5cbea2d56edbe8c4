// Find and replace on a page with the project's search options and histories.
#include "editor/editor_page.h"
#include "editor/find_dlg.h"
#include "project/kor_project.h"
#include "widgets/kor_syn_edit.h"
#include "widgets/user_feedback.h"

namespace korvane {
namespace {

std::string ReplacementCount(int replaced) {
    return std::to_string(replaced) + (replaced == 1 ? " replacement" : " replacements");
}

} // namespace

TSearchOptions TEditorPage::SearchOptions(bool replace, bool sameDirection) const {
    const TKorProject& project = Owner;
    TSearchOptions options;
    options.Search = project.LastSearch();
    options.Replace = project.LastReplace();
    options.MatchCase = project.SearchMatchCase();
    options.WholeWords = project.SearchWholeWords();
    options.Backwards = sameDirection ? project.SearchBackwards() : !project.SearchBackwards();
    options.RegEx = project.SearchRegEx();
    options.Scope = static_cast<TSearchScope>(std::min<int>(project.SearchScope(), 2));
    options.Prompt = replace && project.ReplacePrompt();
    options.ReplaceAll = replace && project.ReplaceAll();
    return options;
}

void TEditorPage::DoSearchReplace(bool replace, bool sameDirection, bool showNotFound,
                                  const TConfirmReplace& confirm) {
    if (SourceEditor)
        RunSearch(SearchOptions(replace, sameDirection), replace, showNotFound, confirm);
}

void TEditorPage::ReplaceAllHits(const TConfirmReplace& confirm) {
    if (!SourceEditor) return;
    TSearchOptions options = SearchOptions(true, true);
    options.ReplaceAll = true;
    options.Scope = TSearchScope::WholeDocument;
    RunSearch(options, true, false, confirm);
}

void TEditorPage::RunSearch(TSearchOptions options, bool replace, bool showNotFound,
                            const TConfirmReplace& confirm) {
    TKorProject& project = Owner;
    TProjectHost& host = project.Host();
    if (replace && SourceEditor->isReadOnly()) {
        Beep();
        return;
    }
    const TConfirmReplace ask =
        confirm ? confirm : [this](const TReplaceQuestion& q) { return EditorReplaceTextEvent(q); };
    options.WrapAround = SearchEnd.Reached && SearchEnd.Backwards == options.Backwards &&
                         SearchEnd.Caret == SourceEditor->CaretPosition() &&
                         !SourceEditor->hasSelectedText();
    SearchEnd.Reached = false;

    const TSearchResult result = SearchReplace(*SourceEditor, options, replace, ask);
    switch (result.Outcome) {
    case TSearchOutcome::Found:
        // Later repeats go on from the caret.
        if (options.Scope == TSearchScope::WholeDocument && project.SearchScope() == 1)
            project.setSearchScope(0);
        host.ShowStatusNotice(result.Wrapped ? (options.Backwards ? "Search wrapped to the bottom"
                                                                  : "Search wrapped to the top")
                              : replace && options.ReplaceAll ? ReplacementCount(result.Replaced)
                                                              : "");
        break;
    case TSearchOutcome::EmptySearch:
        Beep();
        CurrentPrompt().Inform(PromptKind::Warning,
                               "There is no text to search for: enter one with \"Find...\".");
        break;
    case TSearchOutcome::BadPattern:
        Beep();
        CurrentPrompt().Inform(PromptKind::Warning, result.Problem);
        break;
    case TSearchOutcome::NoSelection:
        Beep();
        CurrentPrompt().Inform(PromptKind::Warning,
                               "\"Selected Text Only\" searches the selected text, but no text "
                               "is selected: select the text to search first.");
        break;
    case TSearchOutcome::NotFound: {
        Beep();
        if (showNotFound)
            CurrentPrompt().Inform(PromptKind::Warning,
                                   "Text " + project.LastSearch() + " not found.");
        const long long caret = project.SearchBackwards() ? SourceEditor->SelectionStartPosition()
                                                          : SourceEditor->SelectionEndPosition();
        SourceEditor->SendScintilla(QsciScintillaBase::SCI_SETEMPTYSELECTION,
                                    static_cast<unsigned long>(caret));
        if (options.Scope == TSearchScope::FromCursor) {
            SearchEnd = {true, options.Backwards, caret};
            host.ShowStatusNotice(options.Backwards
                                      ? "Reached the top: the next search starts at the bottom"
                                      : "Reached the end: the next search starts at the top");
        } else {
            host.ShowStatusNotice("");
        }
        break;
    }
    }
}

bool TEditorPage::SelectionIsSearchHit() const {
    return SourceEditor && SourceEditor->hasSelectedText() &&
           SelectionIsHit(*SourceEditor, SearchOptions(true, true));
}

TReplaceAction TEditorPage::EditorReplaceTextEvent(const TReplaceQuestion& question) {
    const PromptButton answer = CurrentPrompt().Ask(
        PromptKind::Confirmation, "Replace this occurence of \"" + question.Found + "\"?",
        pbYes | pbNo | pbCancel | pbYesToAll, "Confirm replace", pbYes);
    switch (answer) {
    case pbYes:
        return TReplaceAction::Replace;
    case pbNo:
        return TReplaceAction::Skip;
    case pbYesToAll:
        return TReplaceAction::ReplaceAll;
    default:
        return TReplaceAction::Cancel;
    }
}

bool TEditorPage::FindDialog() {
    if (!SourceEditor) return false;
    TFindDlg dialog(SourceEditor);
    dialog.Load(Owner, SourceEditor->SelectedRawText());
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.Store(Owner);
    TSearchOptions options = SearchOptions(false, true);
    options.NewSearch = true;
    RunSearch(options, false, true, {});
    return true;
}

bool TEditorPage::ReplaceDialog(const TConfirmReplace& confirm) {
    if (!SourceEditor) return false;
    TReplaceDlg dialog(SourceEditor);
    dialog.Load(Owner, SourceEditor->SelectedRawText());
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.Store(Owner);
    if (dialog.ReplacePressed()) {
        TSearchOptions options = SearchOptions(true, true);
        options.NewSearch = true;
        RunSearch(options, true, true, confirm);
    }
    return true;
}

} // namespace korvane
