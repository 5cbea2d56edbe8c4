#include "editor_fixture.h"

#include "storage/errors.h"
#include "storage/file_utils.h"

#include <QTabWidget>
#include <Qsci/qscilexer.h>

#include <filesystem>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> InnerTabNames(const TEditorPage& page) {
    std::vector<std::string> names;
    for (int i = 0; i < page.InnerTabs()->count(); ++i)
        names.push_back(page.InnerTabs()->tabText(i).toStdString());
    return names;
}

TEST_F(EditorTest, TemporaryPageSavesUnderItsNumberAndBecomesARealPageWhenNamed) {
    NewTempPage();
    TEditorPage& page = NewTempPage();
    EXPECT_EQ(page.TempNumber(), 2);
    EXPECT_EQ(page.TempFileName(), Dir.File("temp/tmp2.pl"));
    EXPECT_EQ(TabText(page), "<temp2>");
    EXPECT_TRUE(page.IsPerl());

    page.Editor()->insert("print 1;\r\n");
    EXPECT_EQ(TabText(page), "*<temp2>");
    EXPECT_TRUE(Project->getModified()) << "a temporary page's text lives in the project";
    page.SaveToFile("", false);
    EXPECT_EQ(ReadBytes(Dir.File("temp/tmp2.pl")), "print 1;\n");
    EXPECT_EQ(TabText(page), "<temp2>");

    // A new extension (given without its dot) changes the type, and so the temporary file.
    page.SaveToFileExt("", "php", true, false, Now());
    EXPECT_TRUE(page.IsPHP());
    EXPECT_EQ(page.TempNumber(), 2);
    EXPECT_TRUE(fs::exists(Dir.File("temp/tmp2.php")));
    EXPECT_EQ(InnerTabNames(page),
              (std::vector<std::string>{"Source", "Params", "Text In/Out", "Browser Output"}));

    const std::string named = Dir.File("site/cgi/hello.pl");
    page.SaveToFile(named, false);
    EXPECT_FALSE(page.IsTempFile());
    EXPECT_EQ(page.FileName(), named);
    EXPECT_TRUE(page.IsPerl());
    EXPECT_EQ(ReadBytes(named), "print 1;\n");
    EXPECT_EQ(TabText(page), "hello.pl");
    EXPECT_EQ(page.FtpDestFilename(), "hello.pl");
}

TEST_F(EditorTest, ANewExtensionChangesTheTypeAndTheExtraTabsFollow) {
    WriteBytes(Dir.File("site/q.pl"), "select 1;\n");
    TEditorPage& page = Open(Dir.File("site/q.pl"));
    page.InnerTabs()->setCurrentIndex(1);
    page.SaveToFileExt(page.FileName(), ".sql", true, true, Now());
    EXPECT_TRUE(page.IsSQL());
    EXPECT_EQ(page.FileName(), Dir.File("site/q.sql"));
    EXPECT_EQ(ReadBytes(Dir.File("site/q.sql")), "select 1;\n");
    EXPECT_EQ(InnerTabNames(page),
              (std::vector<std::string>{"Source", "Text In/Out", "Browser Output"}));
    EXPECT_EQ(page.InnerTabs()->currentIndex(), 0) << "a removed tab makes the first one current";

    page.SaveToFileExt(page.FileName(), "txt", true, true, Now());
    EXPECT_TRUE(page.IsText());
    EXPECT_EQ(InnerTabNames(page), (std::vector<std::string>{"Source", "Browser Output"}));
    page.SaveToFileExt(page.FileName(), "bat", true, true, Now());
    EXPECT_TRUE(page.IsBatch());
    EXPECT_EQ(page.FormSendType(), 4) << "batch runs send no form";
    EXPECT_EQ(InnerTabNames(page),
              (std::vector<std::string>{"Source", "Params", "Text In/Out", "Browser Output"}));
}

TEST_F(EditorTest, BackupsRotateAndVersionCopiesGoToTheVersionsFolder) {
    const std::string file = Dir.File("site/a.pl");
    WriteBytes(file, "v0\n");
    Project->setMaxBackUps(3);
    TEditorPage& page = Open(file);
    // Saves a minute apart: quicker ones would keep the older backups.
    TDateTime when = Now();
    const auto saveLater = [&] { page.SaveToFileExt("", "", true, false, when += 1.0 / 1440); };
    for (int version = 1; version <= 4; ++version) {
        page.Editor()->SetRawText("v" + std::to_string(version) + "\r\n");
        page.Editor()->SetModified(true);
        saveLater();
    }
    EXPECT_EQ(ReadBytes(file), "v4\n");
    EXPECT_EQ(ReadBytes(file + ".bak"), "v3\n");
    EXPECT_EQ(ReadBytes(file + ".bak.1"), "v2\n");
    EXPECT_EQ(ReadBytes(file + ".bak.2"), "v1\n");
    EXPECT_FALSE(fs::exists(file + ".bak.3")) << "three backups at most";

    // An unchanged page writes nothing and makes no backup.
    fs::remove(file + ".bak");
    saveLater();
    EXPECT_FALSE(fs::exists(file + ".bak"));

    Project->setVersion("1.2");
    Project->setVersionsPath(Dir.File("versions/"));
    EXPECT_EQ(page.BackupPath(), Dir.File("versions/1/2/"));
    page.Editor()->SetModified(true);
    saveLater();
    EXPECT_EQ(ReadBytes(Dir.File("versions/1/2/a.pl")), "v4\n");
    EXPECT_EQ(ReadBytes(Dir.File("versions/1/2/a.pl.bak")), "v4\n")
        << "backups follow the versions folder";

    // No backups at all: neither rolling ones nor the version copy.
    Project->setMaxBackUps(0);
    Project->setVersion("1.3");
    page.Editor()->SetRawText("v5\r\n");
    page.Editor()->SetModified(true);
    page.SaveToFile("", false);
    EXPECT_EQ(ReadBytes(file), "v5\n");
    EXPECT_FALSE(fs::exists(Dir.File("versions/1/3")));
}

TEST_F(EditorTest, SameNamedFilesInDifferentFoldersKeepTheirOwnBackupsAndVersionCopies) {
    // Every folder of a site has its index.pl; one lies outside the project's folder.
    const std::vector<std::string> files{Dir.File("site/index.pl"), Dir.File("site/admin/index.pl"),
                                         Dir.File("elsewhere/index.pl")};
    Project->setMaxBackUps(3);
    Project->setVersion("1.0");
    Project->setVersionsPath(Dir.File("versions/"));
    std::vector<TEditorPage*> pages;
    for (const std::string& file : files) {
        fs::create_directories(fs::path(file).parent_path());
        WriteBytes(file, "first of " + file + "\n");
        pages.push_back(&Open(file));
    }
    TDateTime when = Now();
    for (int round = 1; round <= 2; ++round)
        for (size_t i = 0; i < pages.size(); ++i) {
            pages[i]->Editor()->SetRawText("round " + std::to_string(round) + " of " + files[i] +
                                           "\r\n");
            pages[i]->Editor()->SetModified(true);
            pages[i]->SaveToFileExt("", "", true, false, when += 1.0 / 1440);
        }

    const std::vector<std::string> folders{
        Dir.File("versions/1/0/"), Dir.File("versions/1/0/admin/"),
        Dir.File("versions/1/0/outside") + Dir.File("elsewhere/")};
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]);
        EXPECT_EQ(pages[i]->BackupPath(), folders[i]);
        EXPECT_EQ(ReadBytes(files[i]), "round 2 of " + files[i] + "\n");
        EXPECT_EQ(ReadBytes(folders[i] + "index.pl"), "round 2 of " + files[i] + "\n")
            << "the version copy";
        EXPECT_EQ(ReadBytes(folders[i] + "index.pl.bak"), "round 1 of " + files[i] + "\n")
            << "the most recent backup";
    }
}

TEST_F(EditorTest, FilesKeepTheirBytesAndLineEnds) {
    // Latin-1, invalid UTF-8, a NUL and other binary bytes in a comment; with and without a
    // final line end.
    const std::string junk =
        std::string("# caf\xE9 \xFF\xFE\x01", 9) + std::string(1, '\0') + "\x7F\x80\xC3";
    struct Case {
        const char* Name;
        std::string Bytes;
        int Format;
        std::string After; // with "x" typed at the start of line 2
    };
    const std::vector<Case> cases = {
        {"lf.pl", "a\n" + junk + "\nb", 2, "a\nx" + junk + "\nb"},
        {"crlf.pl", "a\r\n" + junk + "\r\nb\r\n", 1, "a\r\nx" + junk + "\r\nb\r\n"},
        {"cr.pl", "a\r" + junk + "\rb\r", 3, "a\rx" + junk + "\rb\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = Dir.File(std::string("site/") + c.Name);
        WriteBytes(file, c.Bytes);
        TEditorPage& page = Open(file);
        EXPECT_EQ(page.LineEndingFormat(), c.Format);
        page.SaveToFile("", true);
        EXPECT_EQ(ReadBytes(file), c.Bytes) << "a save without edits gives the same bytes";
        page.Editor()->SetCaret(1, 2);
        page.Editor()->ReplaceSelectionRaw("x");
        EXPECT_TRUE(page.EditorModified());
        page.SaveToFile("", false);
        EXPECT_EQ(ReadBytes(file), c.After);
    }

    // A new format converts the whole file at once.
    TEditorPage& page = AsEditorPage(*Project->PageByFileName(Dir.File("site/lf.pl")));
    page.setLineEndingFormat(1);
    EXPECT_EQ(ReadBytes(Dir.File("site/lf.pl")), "a\r\nx" + junk + "\r\nb");
    EXPECT_FALSE(page.EditorModified());
}

TEST_F(EditorTest, NewFilesGetUnixLineEnds) {
    // A temporary page, a missing file the user creates, and files with no line end yet.
    WriteBytes(Dir.File("site/empty.pl"), "");
    WriteBytes(Dir.File("site/one-line.pl"), "#!/usr/bin/perl");
    Prompt.QueueAnswer(pbYes);
    TEditorPage* pages[] = {&NewTempPage(), &Open(Dir.File("site/created.pl")),
                            &Open(Dir.File("site/empty.pl")), &Open(Dir.File("site/one-line.pl"))};
    for (TEditorPage* page : pages) {
        SCOPED_TRACE(page->TempFileName());
        page->Editor()->SetRawText("#!/usr/bin/perl\r\nprint 1;\r\n");
        page->Editor()->SetModified(true);
        page->SaveToFile("", false);
        EXPECT_EQ(ReadBytes(page->TempFileName()), "#!/usr/bin/perl\nprint 1;\n");
    }
}

TEST_F(EditorTest, MixedLineEndsAndBinaryBytesSurviveAnEditUntilAFormatIsChosen) {
    using namespace std::string_literals;
    struct Case {
        const char* Name;
        std::string Bytes;
        std::string After; // with "x" typed at the start of line 2
    };
    const std::vector<Case> cases = {
        {"lone-cr.pl", "a\nb\rc\n", "a\nxb\rc\n"},
        {"crlf-and-lf.pl", "a\r\nb\nc\r\n", "a\r\nxb\nc\r\n"},
        {"cr-then-crlf.pl", "a\rb\r\n", "a\rxb\r\n"},
        {"double-cr.pl", "a\r\r\nb\n", "a\rx\r\nb\n"},
        {"binary.dat",
         "\x7F"
         "ELF\n\0\x01\r\xFF\r\n\0"s,
         "\x7F"
         "ELF\nx\0\x01\r\xFF\r\n\0"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = Dir.File(std::string("site/") + c.Name);
        WriteBytes(file, c.Bytes);
        Prompt.ClearRecords();
        TEditorPage& page = Open(file);
        EXPECT_TRUE(page.MixedLineEnds());
        const bool binary = c.Bytes.find('\0') != std::string::npos;
        ASSERT_EQ(Prompt.Records().size(), binary ? 1u : 0u);
        if (binary) {
            EXPECT_EQ(Prompt.Records()[0].Kind, PromptKind::Warning);
            EXPECT_EQ(Prompt.Records()[0].Text,
                      "File binary.dat contains NUL bytes and looks like a binary file.\n"
                      "It is shown as text; editing it may damage it.");
        }
        page.SaveToFile("", true);
        EXPECT_EQ(ReadBytes(file), c.Bytes);
        page.Editor()->SetCaret(1, 2);
        page.Editor()->ReplaceSelectionRaw("x");
        page.SaveToFile("", false);
        EXPECT_EQ(ReadBytes(file), c.After);
    }

    // A new line typed into mixed text ends like the file's last line.
    TEditorPage& page = AsEditorPage(*Project->PageByFileName(Dir.File("site/lone-cr.pl")));
    page.Editor()->SetCaret(1, 1);
    page.Editor()->SendScintilla(QsciScintilla::SCI_NEWLINE);
    page.SaveToFile("", false);
    EXPECT_EQ(ReadBytes(Dir.File("site/lone-cr.pl")), "\na\nxb\rc\n");
    // Choosing a format, even the one the file reports, makes every line end alike.
    ASSERT_EQ(page.LineEndingFormat(), leLf);
    page.setLineEndingFormat(leLf);
    EXPECT_FALSE(page.MixedLineEnds());
    EXPECT_EQ(ReadBytes(Dir.File("site/lone-cr.pl")), "\na\nxb\nc\n");
    EXPECT_FALSE(page.EditorModified());
}

TEST_F(EditorTest, AFailedSaveKeepsTheOldFileTheTextAndTheModifiedMark) {
    const std::string file = Dir.File("site/keep.pl");
    WriteBytes(file, "old\n");
    TEditorPage& page = Open(file);
    page.Editor()->SetRawText("new\r\n");
    page.Editor()->SetModified(true);

    // A read-only file is offered to be made writable; refusing fails the save.
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    Prompt.QueueAnswer(pbNo);
    EXPECT_THROW(page.SaveToFile("", false), handledException);
    EXPECT_EQ(ReadBytes(file), "old\n");
    EXPECT_TRUE(page.EditorModified());
    EXPECT_EQ(TabText(page), "*keep.pl");

    // Saving a temporary page where no file can be made leaves it the temporary page it was.
    WriteBytes(Dir.File("site/plain"), "a file, not a folder");
    TEditorPage& temp = NewTempPage();
    temp.Editor()->insert("text\r\n");
    EXPECT_THROW(temp.SaveToFile(Dir.File("site/plain/new.php"), false), handledException);
    EXPECT_TRUE(temp.IsTempFile());
    EXPECT_TRUE(temp.IsPerl());
    EXPECT_EQ(TabText(temp), "*<temp" + std::to_string(temp.TempNumber()) + ">");
    EXPECT_EQ(temp.Editor()->RawText(), "text\r\n");
    EXPECT_FALSE(fs::exists(Dir.File("temp"))) << "nothing written for the failed save";
}

TEST_F(EditorTest, ChangesByOtherProgramsAreNeverOverwrittenSilently) {
    const std::string file = Dir.File("site/shared.pl");
    WriteBytes(file, "mine\n");
    TEditorPage& page = Open(file);

    // Changed on disk while unmodified here: reloading is offered.
    WriteBytes(file, "theirs\n");
    Touch(file, 5);
    EXPECT_TRUE(page.FileDateHasChanged());
    Prompt.QueueAnswer(pbOK);
    page.CheckIfFileDateHasChanged();
    ASSERT_EQ(Prompt.Records().size(), 1u);
    EXPECT_EQ(Prompt.Records()[0].Text,
              "File shared.pl has been changed by another program.\n"
              "Do you wish to open this file and lose the text in the editor?");
    EXPECT_EQ(page.Editor()->RawText(), "theirs\r\n");

    // Changed on disk while modified here: Cancel keeps the editor's text, which then counts as
    // changed, and the question is not repeated for the same change.
    page.Editor()->insert("edit ");
    WriteBytes(file, "again\n");
    Touch(file, 10);
    Prompt.QueueAnswer(pbCancel);
    page.CheckIfFileDateHasChanged();
    EXPECT_NE(
        Prompt.Records().back().Text.find("\n\nWarning! You will lose the changes you have made."),
        std::string::npos);
    EXPECT_TRUE(page.EditorModified());
    Prompt.ClearRecords();
    page.CheckIfFileDateHasChanged();
    EXPECT_TRUE(Prompt.Records().empty());

    // A save that would overwrite a change made since asks first; No leaves the disk alone.
    WriteBytes(file, "third\n");
    Touch(file, 20);
    Prompt.QueueAnswer(pbNo);
    page.SaveToFile("", false);
    EXPECT_EQ(ReadBytes(file), "third\n");
    EXPECT_TRUE(page.EditorModified());

    // Removed by another program: Cancel writes the editor's text back.
    fs::remove(file);
    Prompt.QueueAnswer(pbCancel);
    Prompt.ClearRecords();
    page.CheckIfFileDateHasChanged();
    ASSERT_EQ(Prompt.Records().size(), 2u);
    EXPECT_EQ(Prompt.Records()[0].Text, "File shared.pl has been removed by another program.\n"
                                        "Do you wish to ***CLEAR*** the editor contents?");
    EXPECT_EQ(Prompt.Records()[1].Text, "File shared.pl has been re-saved.");
    EXPECT_EQ(ReadBytes(file), "edit theirs\n");

    // Removed again: OK clears the editor as one undoable step.
    fs::remove(file);
    Prompt.QueueAnswer(pbOK);
    page.CheckIfFileDateHasChanged();
    EXPECT_EQ(page.Editor()->TextLength(), 0);
    EXPECT_TRUE(page.NewFile());
    page.Editor()->undo();
    EXPECT_EQ(page.Editor()->RawText(), "edit theirs\r\n");
}

TEST_F(EditorTest, TheSaveCheckSaysYesOnlyWhenTheTextWasSaved) {
    // Nothing looks at the file's date on page changes: the save is the first to notice.
    Project->setExternalChangeCheck(false);
    const std::string file = Dir.File("site/closing.pl");
    WriteBytes(file, "mine\n");
    TEditorPage& page = Open(file);
    page.Editor()->insert("typed ");
    WriteBytes(file, "theirs\n");
    Touch(file, 5);

    Prompt.QueueAnswer(pbYes); // save the changes
    Prompt.QueueAnswer(pbNo);  // but do not overwrite the other program's
    EXPECT_EQ(page.SaveToFileCheck(file), pbCancel)
        << "nothing was saved: whoever asked must stop, not close the page";
    EXPECT_EQ(ReadBytes(file), "theirs\n");
    EXPECT_TRUE(page.EditorModified());
    EXPECT_EQ(page.Editor()->RawText(), "typed mine\r\n");

    Prompt.QueueAnswer(pbYes);
    Prompt.QueueAnswer(pbYes);
    EXPECT_EQ(page.SaveToFileCheck(file), pbYes);
    EXPECT_EQ(ReadBytes(file), "typed mine\n");
}

TEST_F(EditorTest, ABackupThatCannotBeMadeIsReportedBeforeTheFileIsWritten) {
    const std::string file = Dir.File("site/guarded.pl");
    WriteBytes(file, "v1\n");
    TEditorPage& page = Open(file);
    Project->setMaxBackUps(3);
    // The backup cannot be written: a folder stands where it would go.
    fs::create_directories(file + ".bak");
    page.Editor()->SetRawText("v2\r\n");
    page.Editor()->SetModified(true);

    Prompt.QueueAnswer(pbNo);
    page.SaveToFileExt("", "", true, false, Now() + 1.0 / 1440); // a minute on
    ASSERT_EQ(Prompt.Records().size(), 1u);
    EXPECT_EQ(Prompt.Records()[0].Kind, PromptKind::Warning);
    EXPECT_EQ(Prompt.Records()[0].Text, "The backup copy of guarded.pl could not be made in " +
                                            page.BackupPath() + ".\nSave the file without it?");
    EXPECT_EQ(Prompt.Records()[0].Default, pbNo);
    EXPECT_EQ(ReadBytes(file), "v1\n") << "written after all";
    EXPECT_TRUE(page.EditorModified());

    Prompt.QueueAnswer(pbYes);
    page.SaveToFileExt("", "", true, false, Now() + 1.0 / 1440); // a minute on
    EXPECT_EQ(ReadBytes(file), "v2\n");
    EXPECT_FALSE(page.EditorModified());
}

TEST_F(EditorTest, EnterKeepsTheEditorsTextWhenAnotherProgramChangedOrRemovedTheFile) {
    const std::string file = Dir.File("site/outside.pl");
    WriteBytes(file, "mine\n");
    TEditorPage& page = Open(file);
    const struct {
        const char* Change;
        bool Edited;
        PromptButton Default;
    } cases[] = {
        {"changed", false, pbOK}, // nothing typed here to lose: reloading is the likely wish
        {"changed", true, pbCancel},
        {"removed", true, pbCancel},
        {"removed", false, pbCancel},
    };
    double seconds = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Change) + (c.Edited ? ", edited" : ""));
        if (c.Edited) page.Editor()->insert("edit ");
        if (std::string(c.Change) == "removed") {
            fs::remove(file);
        } else {
            WriteBytes(file, "theirs\n");
            Touch(file, seconds += 5);
        }
        Prompt.ClearRecords();
        Prompt.QueueAnswer(pbCancel);
        page.CheckIfFileDateHasChanged();
        ASSERT_FALSE(Prompt.Records().empty());
        EXPECT_EQ(Prompt.Records()[0].Buttons, pbOK | pbCancel);
        EXPECT_EQ(Prompt.Records()[0].Default, c.Default);
        page.SaveToFile("", false); // back in step for the next case
    }
}

TEST_F(EditorTest, MissingFilesAreCreatedOnlyWhenTheUserSaysSo) {
    const std::string file = Dir.File("site/new.pl");
    Prompt.QueueAnswer(pbNo);
    EXPECT_THROW(Open(file), handledException);
    EXPECT_EQ(Prompt.Records().back().Text,
              "File \"" + file + "\" does not exist. Do you wish to create it?");
    EXPECT_EQ(Project->Count(), 0);
    EXPECT_EQ(Host.Tabs.count(), 0) << "the abandoned page leaves no tab";

    Prompt.QueueAnswer(pbYes);
    TEditorPage& page = Open(file);
    EXPECT_TRUE(page.NewFile());
    EXPECT_TRUE(page.EditorModified());
    EXPECT_EQ(TabText(page), "*new.pl");

    Prompt.QueueAnswer(pbCancel);
    EXPECT_EQ(page.SaveToFileCheck(file), pbCancel);
    EXPECT_EQ(Prompt.Records().back().Text, file + " has changed. Save Changes?");
    EXPECT_FALSE(fs::exists(file));
    Prompt.QueueAnswer(pbYes);
    EXPECT_EQ(page.SaveToFileCheck(file), pbYes);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_FALSE(page.NewFile());
    EXPECT_EQ(page.SaveToFileCheck(file), pbNo) << "nothing left to ask about";
}

TEST_F(EditorTest, ReadOnlyFilesShowInTheCaptionAndUploadsFollowTheDates) {
    const std::string file = Dir.File("site/ro.pl");
    WriteBytes(file, "x\n");
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::remove);
    TEditorPage& page = Open(file);
    EXPECT_TRUE(page.ReadOnly());
    EXPECT_EQ(TabText(page), "ro.pl  [Read-Only]");

    Project->setFtpUploadChangedFiles(false);
    EXPECT_TRUE(page.NeedsUploading());
    Project->setFtpUploadChangedFiles(true);
    page.setFtpLocalFileDate(page.LastSavedDate() + 1);
    EXPECT_FALSE(page.NeedsUploading());
    page.Editor()->insert("y");
    EXPECT_TRUE(page.NeedsUploading());

    // An upload name the user chose stays; one that followed the file name keeps following.
    page.setFtpDestFilename("remote.cgi");
    page.setFileName(Dir.File("site/other.pl"));
    EXPECT_EQ(page.FtpDestFilename(), "remote.cgi");
    page.setFtpDestFilename("other.pl");
    page.setFileName(Dir.File("site/third.pl"));
    EXPECT_EQ(page.FtpDestFilename(), "third.pl");
}

TEST_F(EditorTest, Latin1AndWindows1252FilesShowTheirLettersAndAreSavedInTheirOwnBytes) {
    struct Case {
        const char* Name;
        std::string Bytes;
        std::string Shown; // the text the editor holds, in UTF-8
        TTextEncoding Encoding;
    };
    const std::vector<Case> cases = {
        {"latin1.pl", "# caf\xE9\nprint \"\xFC\";\n", "# caf\xC3\xA9\r\nprint \"\xC3\xBC\";\r\n",
         TTextEncoding::Windows1252},
        {"cp1252.pl", "# \x93quoted\x94 \x80 5\r\n",
         "# \xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x82\xAC 5\r\n", TTextEncoding::Windows1252},
        {"bom.pl", "\xEF\xBB\xBF# \xC3\xA9\n", "# \xC3\xA9\r\n", TTextEncoding::Utf8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = Dir.File(std::string("site/") + c.Name);
        WriteBytes(file, c.Bytes);
        TEditorPage& page = Open(file);
        EXPECT_EQ(page.Editor()->RawText(), c.Shown);
        EXPECT_EQ(page.Encoding(), c.Encoding);
        page.SaveToFile("", true);
        EXPECT_EQ(ReadBytes(file), c.Bytes) << "a save without edits gives the same bytes";
    }

    // A letter typed into a Latin-1 page is written as its Latin-1 byte.
    TEditorPage& latin = AsEditorPage(*Project->PageByFileName(Dir.File("site/latin1.pl")));
    Project->setCurrentPage(&latin);
    Project->MoveToPageUpdate();
    EXPECT_NE(Host.Panels[3].find("Windows-1252"), std::string::npos) << Host.Panels[3];
    latin.Editor()->SetCaret(1, 1);
    latin.Editor()->ReplaceSelectionRaw("\xC3\xA8");
    latin.SaveToFile("", false);
    EXPECT_EQ(ReadBytes(latin.FileName()), "\xE8# caf\xE9\nprint \"\xFC\";\n");

    // One it cannot hold stops the save with the line named; file and text stay as they were.
    latin.Editor()->SetCaret(1, 2);
    latin.Editor()->ReplaceSelectionRaw("\xE6\x97\xA5");
    EXPECT_THROW(
        {
            try {
                latin.SaveToFile("", false);
            } catch (const handledException& error) {
                EXPECT_NE(std::string(error.what()).find("Line 2 of latin1.pl"), std::string::npos)
                    << error.what();
                throw;
            }
        },
        handledException);
    EXPECT_EQ(ReadBytes(latin.FileName()), "\xE8# caf\xE9\nprint \"\xFC\";\n");
    EXPECT_TRUE(latin.EditorModified());
    // In UTF-8 it can.
    latin.setEncoding(TTextEncoding::Utf8, false);
    latin.SaveToFile("", false);
    EXPECT_EQ(ReadBytes(latin.FileName()),
              "\xC3\xA8# caf\xC3\xA9\n\xE6\x97\xA5print \"\xC3\xBC\";\n");

    // Read again as ISO-8859-1, the byte 0x80 is a control, not the euro sign.
    TEditorPage& cp = AsEditorPage(*Project->PageByFileName(Dir.File("site/cp1252.pl")));
    cp.ReopenWithEncoding(TTextEncoding::Latin1);
    EXPECT_EQ(cp.Encoding(), TTextEncoding::Latin1);
    EXPECT_NE(cp.Editor()->RawText().find("\xC2\x80 5"), std::string::npos);
    EXPECT_FALSE(cp.EditorModified());
    cp.SaveToFile("", true);
    EXPECT_EQ(ReadBytes(cp.FileName()), "# \x93quoted\x94 \x80 5\r\n");
}

TEST_F(EditorTest, ShellScriptsAreDrawnByTheShellLexerAndBatchFilesKeepTheirs) {
    struct Case {
        const char* Name;
        const char* Text;
        bool Batch;            // run by the shell
        const char* LexerName; // "" for no lexer
    };
    const Case cases[] = {
        {"tool.sh", "echo $HOME\n", true, "bash"},
        {"job.bat", "echo %PATH%\n", true, "batch"},
        {"deploy.bash", "#!/bin/bash\necho hi\n", true, "bash"},
        {"form.cgi", "#!/bin/sh\necho 'Content-Type: text/plain'\n", true, "bash"},
        {"app.cgi", "#!/usr/bin/perl -w\nprint 1;\n", false, "perl"},
        {"plain.pl", "#!/bin/sh\nprint 1;\n", false, "perl"}, // .pl is Perl whatever it says
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = Dir.File(std::string("site/") + c.Name);
        WriteBytes(file, c.Text);
        TEditorPage& page = Open(file);
        EXPECT_EQ(page.IsBatch(), c.Batch);
        ASSERT_NE(page.Editor(), nullptr);
        ASSERT_NE(page.Editor()->lexer(), nullptr);
        EXPECT_STREQ(page.Editor()->lexer()->lexer(), c.LexerName);
    }
    // Renamed from batch file to shell script, the page changes its lexer, not its kind.
    TEditorPage& job = AsEditorPage(*Project->PageByFileName(Dir.File("site/job.bat")));
    job.SaveToFileExt(job.FileName(), "sh", true, true, Now());
    EXPECT_TRUE(job.IsBatch());
    EXPECT_STREQ(job.Editor()->lexer()->lexer(), "bash");
}

TEST_F(EditorTest, FilesWithoutAnExtensionAreEditedWhenTheyHoldText) {
    struct Case {
        const char* Name;
        std::string Bytes;
        bool Editor;
        THighlighterKind Kind; // for a page with an editor
    };
    const Case cases[] = {
        {"backup-site", "#!/usr/bin/perl -w\nuse strict;\n", true, THighlighterKind::Perl},
        {"deploy", "#!/usr/bin/env bash\nset -e\n", true, THighlighterKind::Batch},
        {"README", "Install with make.\n", true, THighlighterKind::General},
        {"Makefile", "all:\n\tcc -o x x.c\n", true, THighlighterKind::General},
        {"empty", "", true, THighlighterKind::General},
        {"core",
         std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0",
                     10),
         false, THighlighterKind::None},
    };
    std::filesystem::create_directories(Dir.File("bin"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = Dir.File(std::string("bin/") + c.Name);
        WriteBytes(file, c.Bytes);
        TEditorPage& page = Open(file);
        ASSERT_EQ(page.Editor() != nullptr, c.Editor);
        if (!c.Editor) continue;
        EXPECT_EQ(page.HighlighterKind(), c.Kind);
        // The editor holds its lines with CR LF, whatever the file's line ends.
        std::string shown;
        for (const char ch : c.Bytes)
            shown += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        EXPECT_EQ(page.Editor()->RawText(), shown);
    }
}

TEST_F(EditorTest, AScriptWithAShebangLineIsMadeExecutableWhenFirstWritten) {
    namespace fs = std::filesystem;
    const auto runnable = [](const std::string& path) {
        return (fs::status(path).permissions() & fs::perms::owner_exec) != fs::perms::none;
    };
    struct Case {
        const char* Name;
        const char* Text;
        bool Setting;
        bool Executable;
    };
    const Case cases[] = {
        {"site/cgi-bin/new.cgi", "#!/usr/bin/perl\r\nprint 1;\r\n", true, true},
        {"site/tool.sh", "#!/bin/sh\r\necho\r\n", true, true},
        {"site/lib.pm", "package X;\r\n1;\r\n", true, false},
        {"site/off.cgi", "#!/usr/bin/perl\r\n", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Project->setExecutableScripts(c.Setting);
        TEditorPage& page = NewTempPage();
        page.Editor()->SetRawText(c.Text);
        page.SaveToFile(Dir.File(c.Name), false);
        EXPECT_EQ(runnable(Dir.File(c.Name)), c.Executable);
    }
    // A file that was there keeps the mode its owner gave it.
    Project->setExecutableScripts(true);
    WriteBytes(Dir.File("site/kept.pl"), "print 1;\n");
    TEditorPage& kept = Open(Dir.File("site/kept.pl"));
    kept.Editor()->SetRawText("#!/usr/bin/perl\r\nprint 2;\r\n");
    kept.Editor()->SetModified(true);
    kept.SaveToFile("", false);
    EXPECT_FALSE(runnable(kept.FileName()));
}

} // namespace
} // namespace korvane::test
