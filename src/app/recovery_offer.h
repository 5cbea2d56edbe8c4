#pragma once
// At start, the copies of unsaved text that a program left behind (it crashed, was killed or
// lost its power) are offered one by one: recover the text into its page, compare it with the
// file as it is now, discard it, or keep it for a later start.
#include "storage/recovery_store.h"

#include <functional>
#include <string>

namespace korvane {

class TEditorPage;
class TKorProject;

enum class TRecoveryChoice { Recover, Compare, Discard, Later };

struct TRecoveryOfferHooks {
    // The page of a file, opened into the project; null when it cannot be opened.
    std::function<TEditorPage*(const std::string& file)> OpenFile;
    // A new temporary page, for text whose file and page are gone.
    std::function<TEditorPage*()> NewTempPage;
    std::function<TRecoveryChoice(const TRecoveryRecord& record)> Choose;
    std::function<void(const TRecoveryRecord& record, const std::string& differences)>
        ShowDifferences;
};

// Offers each copy left behind, oldest first; returns how many were recovered. A copy whose
// text its page or its file holds already goes without a question.
int OfferLeftBehindCopies(const TRecoveryStore& store, TKorProject& project,
                          const TRecoveryOfferHooks& hooks);

// How the kept text differs from its file now, as "diff -u" shows it ("" when they are the
// same); scratchFolder (private to the user) takes the text for the comparison meanwhile.
std::string RecoveryDifferences(const TRecoveryRecord& record, const std::string& scratchFolder);

} // namespace korvane
