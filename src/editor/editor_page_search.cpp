// Find and replace on a page with the project's search options and histories.
#include "editor/editor_page.h"
#include "editor/find_dlg.h"
#include "project/kor_project.h"
#include "widgets/kor_syn_edit.h"
#include "widgets/user_feedback.h"

namespace korvane {

void TEditorPage::DoSearchReplace(bool replace, bool sameDirection, bool showNotFound,
                                  const TConfirmReplace& confirm) {
    if (!SourceEditor) return;
    TKorProject& project = Owner;
    if (replace && SourceEditor->isReadOnly()) {
        Beep();
        return;
    }
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
    const TConfirmReplace ask =
        confirm ? confirm : [this](const TReplaceQuestion& q) { return EditorReplaceTextEvent(q); };

    const TSearchResult result = SearchReplace(*SourceEditor, options, replace, ask);
    switch (result.Outcome) {
    case TSearchOutcome::Found:
        // Later repeats go on from the caret.
        if (options.Scope == TSearchScope::WholeDocument) project.setSearchScope(0);
        break;
    case TSearchOutcome::EmptySearch:
        Beep();
        CurrentPrompt().Inform(PromptKind::Warning,
                               "There is no text to search for: enter one with \"Find...\".");
        break;
    case TSearchOutcome::BadPattern:
        Beep();
        CurrentPrompt().Inform(
            PromptKind::Warning,
            "\"" + options.Search +
                "\" is not a valid regular expression, so nothing was searched.");
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
        break;
    }
    }
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

void TEditorPage::FindDialog() {
    if (!SourceEditor) return;
    TFindDlg dialog(SourceEditor);
    dialog.Load(Owner, SourceEditor->SelectedRawText());
    if (dialog.exec() != QDialog::Accepted) return;
    dialog.Store(Owner);
    DoSearchReplace(false, true, true);
}

void TEditorPage::ReplaceDialog(const TConfirmReplace& confirm) {
    if (!SourceEditor) return;
    TReplaceDlg dialog(SourceEditor);
    dialog.Load(Owner, SourceEditor->SelectedRawText());
    if (dialog.exec() != QDialog::Accepted) return;
    dialog.Store(Owner);
    if (dialog.ReplacePressed()) DoSearchReplace(true, true, true, confirm);
}

} // namespace korvane
