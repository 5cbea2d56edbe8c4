// The page's text checked while it is typed: a moment after the last key the text as it
// stands (never saved for it) is checked by a program of its own, and the lines it faults are
// marked in the editor.
#include "editor/editor_page.h"

#include "exec/background_check.h"
#include "project/kor_project.h"
#include "widgets/kor_syn_edit.h"

namespace korvane {

void TEditorPage::MakeBackgroundCheck() {
    Check = std::make_unique<TBackgroundCheck>([this] { return BackgroundCheckRequest(); },
                                               [this](const std::vector<TMessageLine>& messages) {
                                                   // A run started meanwhile fills the message list
                                                   // with its own.
                                                   if (ConsoleIdle()) ShowCheckMessages(messages);
                                               });
}

std::optional<TTextCheck> TEditorPage::BackgroundCheckRequest() {
    if (!SourceEditor || !Owner.BackgroundSyntaxCheck() || (!IsPerl() && !IsPHP()) ||
        SourceEditor->TextLength() > TBackgroundCheck::TextLimit)
        return std::nullopt;
    // A program on the console may be stopped in the debugger, its messages still being
    // read: the list is not taken from it.
    if (!ConsoleIdle()) return std::nullopt;
    const TRunPageInfo info = RunInfo();
    if (TrustBar) TrustBar->setVisible(IsPerl() && !info.TrustedCode);
    return TextCheckRequest(Owner.RunSettings(), info, EditorFileBytes());
}

void TEditorPage::ShowCheckMessages(const std::vector<TMessageLine>& messages) {
    // A missing interpreter has been reported already; the list keeps what it had.
    if (messages.empty()) return;
    if (SourceEditor) SourceEditor->SetLineMessages(PageLineMessages(messages, TempFileName()));
    Owner.Host().SetMessages(messages);
    Owner.UpdateMessagesHint();
}

void TEditorPage::ApplyBackgroundCheckSetting() {
    if (!Check || Owner.BackgroundSyntaxCheck()) return;
    Check->Cancel();
    if (SourceEditor) SourceEditor->SetLineMessages({});
}

} // namespace korvane
