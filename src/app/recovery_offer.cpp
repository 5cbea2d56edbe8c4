#include "app/recovery_offer.h"

#include "editor/editor_page.h"
#include "platform/child_process.h"
#include "project/kor_project.h"
#include "storage/file_utils.h"
#include "storage/safe_file_write.h"

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace korvane {
namespace {

constexpr int PrivateMode = 0600;
constexpr int DiffSeconds = 10;

void Recover(const TRecoveryRecord& record, TKorProject& project,
             const TRecoveryOfferHooks& hooks) {
    // Its page, when the project (opened again) has it; else its file opened again; else,
    // with the file gone, a temporary page: the text is what matters.
    TEditorPage* page = dynamic_cast<TEditorPage*>(project.PageByFileName(record.WorkingFile));
    if (!page && !record.File.empty() && IsFile(record.File)) page = hooks.OpenFile(record.File);
    if (!page) page = hooks.NewTempPage();
    if (page) page->RecoverText(record.Text);
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Text that its page or its file holds already (the page was saved, or its project kept it)
// has nothing to offer.
bool AlreadyThere(const TRecoveryRecord& record, TKorProject& project) {
    if (const auto* page = dynamic_cast<TEditorPage*>(project.PageByFileName(record.WorkingFile));
        page && page->RecoveryRecord().Text == record.Text)
        return true;
    return IsFile(record.WorkingFile) && FileBytes(record.WorkingFile) == record.Text;
}

} // namespace

int OfferLeftBehindCopies(const TRecoveryStore& store, TKorProject& project,
                          const TRecoveryOfferHooks& hooks) {
    int recovered = 0;
    for (const TRecoveryStore::TLeftBehind& copy : store.LeftBehind()) {
        if (AlreadyThere(copy.Record, project)) {
            store.Discard(copy);
            continue;
        }
        for (;;) {
            const TRecoveryChoice choice = hooks.Choose(copy.Record);
            if (choice == TRecoveryChoice::Compare) {
                hooks.ShowDifferences(copy.Record,
                                      RecoveryDifferences(copy.Record, store.Folder()));
                continue; // and asked again
            }
            if (choice == TRecoveryChoice::Recover) {
                Recover(copy.Record, project, hooks);
                ++recovered;
            }
            if (choice != TRecoveryChoice::Later) store.Discard(copy);
            break;
        }
    }
    return recovered;
}

std::string RecoveryDifferences(const TRecoveryRecord& record, const std::string& scratchFolder) {
    const std::string kept = scratchFolder + "compare-" + std::to_string(::getpid()) + ".txt";
    ReplaceFileContents(kept, record.Text.data(), record.Text.size(), {false, PrivateMode});
    const std::string file = IsFile(record.WorkingFile) ? record.WorkingFile : "/dev/null";
    TProgramStart start{TCommandLine("diff")
                            .Add("-u")
                            .Add("--label")
                            .Add(file == "/dev/null" ? record.WorkingFile + " (gone)" : file)
                            .Add("--label")
                            .Add("unsaved text")
                            .Add(file)
                            .Add(kept),
                        "",
                        {"LC_ALL=C"}};
    ChildProcess diff;
    std::string error;
    std::string differences;
    if (diff.Start(start, error)) {
        char buffer[65536];
        for (int waited = 0; waited < DiffSeconds * 10; ++waited) {
            while (const size_t got = diff.Read(ChildStream::Output, buffer, sizeof buffer))
                differences.append(buffer, got);
            if (!diff.StreamOpen(ChildStream::Output) && diff.HasExited()) break;
            diff.WaitForActivity(100, false);
        }
        diff.Finish(1000);
    } else {
        differences = "The texts cannot be compared: " + error;
    }
    ::unlink(kept.c_str());
    return differences;
}

} // namespace korvane
