#pragma once
// Keeps a copy of every modified page against a crash: a few seconds after the page's last
// change (at the latest some seconds after its first unwritten one, for someone who types on
// without a pause), at once when the program is told to end, and removed again when the page
// is saved or closed. At the next start the copies a program left behind are offered
// (recovery_offer.h).
#include "storage/recovery_store.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <map>
#include <memory>
#include <set>

namespace korvane {

class TEditorPage;
class TKorProject;
class TProjectPage;

class TRecoveryKeeper : public QObject {
public:
    static constexpr std::chrono::milliseconds Delay{3000};
    static constexpr std::chrono::milliseconds LongestDelay{10000};

    TRecoveryKeeper(TKorProject& project, std::unique_ptr<TRecoveryStore> store);

    TRecoveryStore& Store() const { return *Copies; }
    // A page's text or modified state changed: an unmodified page's copy goes at once, a
    // modified page's is written when the typing pauses.
    void PageTextChanged(TProjectPage& page);
    // A closed page's copy goes, unless the program is ending without asking.
    void PageClosing(TProjectPage& page);
    // Every modified page's copy, now.
    void WriteAll();
    // From now on copies stay when their pages go: the program ends without having asked
    // what to do with the text.
    void KeepCopies() { Keeping = true; }

private:
    void WriteChanged();
    void Write(TEditorPage& page);
    void Forget(const TProjectPage& page);

    TKorProject& Project;
    std::unique_ptr<TRecoveryStore> Copies;
    QTimer Timer;
    QElapsedTimer FirstUnwritten;
    std::map<const TProjectPage*, int> Keys;
    std::set<const TProjectPage*> Changed;
    int NextKey = 1;
    bool Keeping = false;
    bool FailureShown = false;
};

} // namespace korvane
