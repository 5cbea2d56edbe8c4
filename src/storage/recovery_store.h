#pragma once
// Copies of unsaved text kept against a crash: each running program keeps one file per modified
// page in the recovery folder, readable by the user alone, and removes it when the page is
// saved or closed. A program that ended without removing its copies (a crash, kill -9, a power
// loss) leaves them behind for the next start to offer. A running program holds a lock on a
// file of its own session there, so its copies are never taken for left-behind ones.
#include "storage/clock.h"

#include <string>
#include <vector>

namespace korvane {

struct TRecoveryRecord {
    std::string File;        // the page's file; "" for a temporary page
    std::string WorkingFile; // the file the page writes: its own, or its temporary file
    std::string Project;     // the project that was open
    TDateTime Written = 0;   // when the copy was made
    std::string Text;        // the page's text as its file's bytes would be
};

// The file's bytes for record, and back; false when text is not a whole recovery file.
std::string RecoveryFileText(const TRecoveryRecord& record);
bool ParseRecoveryFile(const std::string& text, TRecoveryRecord& record);

class TRecoveryStore {
public:
    // Copies left behind, with the file each was read from.
    struct TLeftBehind {
        std::string Path;
        TRecoveryRecord Record;
    };

    // folder ends with "/"; it is made (for the user alone) when missing. Throws
    // handledException when it cannot be made or locked.
    explicit TRecoveryStore(std::string folder);
    ~TRecoveryStore();
    TRecoveryStore(const TRecoveryStore&) = delete;
    TRecoveryStore& operator=(const TRecoveryStore&) = delete;

    const std::string& Folder() const { return FolderPath; }
    // Writes the copy of one page (key: any number that stays the page's for the session),
    // replacing the one before. Throws handledException when it cannot be written.
    void Save(int key, const TRecoveryRecord& record);
    void Remove(int key);
    bool Has(int key) const;

    // Copies of sessions that have ended, oldest first; those of programs still running are
    // not among them. Unreadable files are left alone.
    std::vector<TLeftBehind> LeftBehind() const;
    // Removes a copy left behind, and its session's lock file once the session has no more.
    void Discard(const TLeftBehind& copy) const;

private:
    std::string CopyPath(int key) const;

    std::string FolderPath;
    std::string Session;
    int LockDescriptor = -1;
};

} // namespace korvane
