// Unsaved text kept against a crash: copies a few seconds after typing, gone again on save and
// close, kept when the program ends from outside, and offered at the next start.
#include "app/main_form.h"
#include "app/recovery_keeper.h"
#include "app_fixture.h"
#include "editor/editor_page.h"
#include "platform/program_folder.h"
#include "project/kor_project.h"
#include "run_fixture.h"
#include "widgets/kor_syn_edit.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

#include <filesystem>
#include <sys/stat.h>

using namespace korvane;
using test::ReadBytes;
using test::WaitFor;
using test::WriteBytes;

namespace {

namespace fs = std::filesystem;

class RecoveryTest : public test::AppTest {
protected:
    std::string Folder() const { return ProgramFolder() + "recovery/"; }
    std::vector<std::string> Copies() const {
        std::vector<std::string> copies;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(Folder(), error))
            if (entry.path().extension() == ".kvr") copies.push_back(entry.path());
        return copies;
    }
    static TEditorPage& PageOf(TMainForm& form, const std::string& file) {
        auto* page = dynamic_cast<TEditorPage*>(form.Project().PageByFileName(file));
        if (!page) throw std::logic_error("no page for " + file);
        return *page;
    }
    static std::string Bytes(const TEditorPage& page) { return page.RecoveryRecord().Text; }
};

TEST_F(RecoveryTest, TypedTextOfTwoPagesComesBackByteForByteAfterTheProgramEndedUnsaved) {
    const std::string script = Dir.File("site/index.pl");
    const std::string notes = Dir.File("site/notes.txt");
    fs::create_directories(Dir.File("site"));
    WriteBytes(script, "print 1;\n");
    WriteBytes(notes, "one\r\ntwo\r\n");
    std::string typedScript, typedNotes;
    {
        TMainForm form({script, notes});
        ASSERT_TRUE(form.FormCreate());
        ASSERT_NE(form.Recovery(), nullptr);
        PageOf(form, script).Editor()->insert("# caf\xC3\xA9\r\n");
        PageOf(form, notes).Editor()->insert("zero\r\n");
        typedScript = Bytes(PageOf(form, script));
        typedNotes = Bytes(PageOf(form, notes));
        EXPECT_TRUE(Copies().empty()) << "written once the typing pauses, not at every key";
        ASSERT_TRUE(WaitFor([&] { return Copies().size() == 2; }, 8000));
        struct stat info {};
        ::stat(Folder().c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        for (const std::string& copy : Copies()) {
            ::stat(copy.c_str(), &info);
            EXPECT_EQ(info.st_mode & 0777, 0600u) << copy;
        }
        // What a crash leaves: nothing removed, nothing saved.
        form.Recovery()->KeepCopies();
    }
    EXPECT_EQ(ReadBytes(script), "print 1;\n");
    EXPECT_EQ(ReadBytes(notes), "one\r\ntwo\r\n");
    ASSERT_EQ(Copies().size(), 2u);

    TMainForm again({});
    ASSERT_TRUE(again.FormCreate());
    std::vector<std::string> asked;
    std::string differences;
    again.OfferRecovery(
        [&](const TRecoveryRecord& record) {
            asked.push_back(record.File);
            if (record.File == script && differences.empty()) return TRecoveryChoice::Compare;
            return TRecoveryChoice::Recover;
        },
        [&](const TRecoveryRecord&, const std::string& text) { differences = text; });
    EXPECT_EQ(asked, (std::vector<std::string>{script, script, notes}));
    EXPECT_NE(differences.find("--- " + script), std::string::npos) << differences;
    EXPECT_NE(differences.find("+# caf\xC3\xA9\n print 1;"), std::string::npos) << differences;
    EXPECT_EQ(Bytes(PageOf(again, script)), typedScript);
    EXPECT_EQ(Bytes(PageOf(again, notes)), typedNotes);
    EXPECT_TRUE(PageOf(again, script).EditorModified()) << "recovered, not yet saved";
    EXPECT_EQ(ReadBytes(script), "print 1;\n");

    // Saving writes the typed bytes and leaves no copy behind.
    PageOf(again, script).SaveToFile("", false);
    PageOf(again, notes).SaveToFile("", false);
    EXPECT_EQ(ReadBytes(script), typedScript);
    EXPECT_EQ(ReadBytes(notes), typedNotes);
    EXPECT_TRUE(WaitFor([&] { return Copies().empty(); }, 8000));
}

TEST_F(RecoveryTest, LaterKeepsACopyDiscardRemovesItAndSavingOrClosingLeavesNone) {
    const std::string file = Dir.File("a.pl");
    WriteBytes(file, "print 1;\n");
    {
        TMainForm form({file});
        ASSERT_TRUE(form.FormCreate());
        PageOf(form, file).Editor()->insert("typed ");
        form.Recovery()->WriteAll(); // as at a signal: at once
        ASSERT_EQ(Copies().size(), 1u);
        form.Recovery()->KeepCopies();
    }
    for (const TRecoveryChoice choice : {TRecoveryChoice::Later, TRecoveryChoice::Discard}) {
        TMainForm form({});
        ASSERT_TRUE(form.FormCreate());
        int asked = 0;
        form.OfferRecovery([&](const TRecoveryRecord&) {
            ++asked;
            return choice;
        });
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(Copies().size(), choice == TRecoveryChoice::Later ? 1u : 0u);
        EXPECT_EQ(form.Project().PageByFileName(file), nullptr) << "nothing opened for it";
    }

    // Typed, then saved: the copy goes at once. Typed, then closed: it goes with the page.
    TMainForm form({file});
    ASSERT_TRUE(form.FormCreate());
    TEditorPage& page = PageOf(form, file);
    page.Editor()->insert("x");
    form.Recovery()->WriteAll();
    ASSERT_EQ(Copies().size(), 1u);
    page.SaveToFile("", false);
    EXPECT_TRUE(Copies().empty());
    page.Editor()->insert("y");
    form.Recovery()->WriteAll();
    ASSERT_EQ(Copies().size(), 1u);
    form.Project().FreePage(&page);
    EXPECT_TRUE(Copies().empty());

    // A copy whose text the file holds already is not offered at all.
    WriteBytes(Dir.File("b.pl"), "same\n");
    {
        TMainForm writer({Dir.File("b.pl")});
        ASSERT_TRUE(writer.FormCreate());
        TEditorPage& same = PageOf(writer, Dir.File("b.pl"));
        same.Editor()->insert("more\r\n");
        writer.Recovery()->WriteAll();
        WriteBytes(Dir.File("b.pl"), Bytes(same)); // saved by other means before the crash
        writer.Recovery()->KeepCopies();
    }
    TMainForm next({});
    ASSERT_TRUE(next.FormCreate());
    next.OfferRecovery([](const TRecoveryRecord& record) {
        ADD_FAILURE() << "asked about " << record.File;
        return TRecoveryChoice::Later;
    });
    EXPECT_TRUE(Copies().empty());
}

TEST_F(RecoveryTest, EndingBySignalClosesAnOpenDialogAsksNothingAndKeepsTheText) {
    const std::string file = Dir.File("a.pl");
    WriteBytes(file, "print 1;\n");
    {
        TMainForm form({file});
        ASSERT_TRUE(form.FormCreate());
        PageOf(form, file).Editor()->insert("typed ");
        Prompt.ClearRecords();
        // A message box is up when the signal comes, as at a logout.
        QMessageBox box(QMessageBox::Information, "Korvane", "Some message", QMessageBox::Ok);
        QTimer::singleShot(50, &form, [&form] { form.EndBySignal(); });
        QTimer::singleShot(5000, &box, [&box] {
            ADD_FAILURE() << "the dialog did not end";
            box.done(0);
        });
        box.exec();
        EXPECT_EQ(Copies().size(), 1u) << "written at once, not after a pause";
        EXPECT_TRUE(Prompt.Records().empty());
    }
    // Every loop was told to end; the test's loops must run again.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();

    EXPECT_EQ(ReadBytes(file), "print 1;\n") << "nothing saved that was not asked for";
    EXPECT_TRUE(Prompt.Records().empty());
    ASSERT_EQ(Copies().size(), 1u) << "the copy stays for the next start";
    TRecoveryRecord record;
    ASSERT_TRUE(ParseRecoveryFile(ReadBytes(Copies()[0]), record));
    EXPECT_EQ(record.Text, "typed print 1;\n");
    EXPECT_TRUE(fs::exists(ProgramFolder() + "projects/default.kvp"))
        << "the default project is saved as at every close";
}

} // namespace
