#pragma once
// The question for one copy of unsaved text left behind ("&Recover", "&Compare...",
// "&Discard", "&Later"), and the window that shows how the copy differs from the file.
#include "app/recovery_offer.h"

#include <string>

class QWidget;

namespace korvane {

class TRecoveryDlg {
public:
    static std::string QuestionText(const TRecoveryRecord& record);
    // Escape, or closing the box, is "&Later": nothing is lost.
    static TRecoveryChoice Ask(const TRecoveryRecord& record, QWidget* parent);
    static void ShowDifferences(const TRecoveryRecord& record, const std::string& differences,
                                QWidget* parent);
};

} // namespace korvane
