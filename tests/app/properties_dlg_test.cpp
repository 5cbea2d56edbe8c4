// The settings dialog driven through its controls against a real project: values survive a
// save and reload, Cancel leaves the project alone, Apply runs in an order the setters show,
// and the buttons that act at once do what they say.
#include "app/properties_dlg.h"
#include "app/properties_fields.h"
#include "platform/program_folder.h"
#include "platform/qt_strings.h"
#include "project_fixture.h"
#include "services/mysql_controller.h"
#include "web/web_server.h"
#include "widgets/env_vars_frame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTextDocument>

#include <filesystem>
#include <map>
#include <set>

namespace korvane::test {
namespace {

class PropertiesDlgTest : public ProjectTest {
protected:
    std::unique_ptr<TPropertiesDlg> Open() {
        TPropertiesServices services;
        services.Console = &Debugger->Console();
        services.OpenDocument = [this](const std::string& path) { Opened.push_back(path); };
        auto dialog = std::make_unique<TPropertiesDlg>(*Project, std::move(services));
        dialog->show();
        return dialog;
    }
    template <typename T> static T* Find(const TPropertiesDlg& dialog, const char* name) {
        T* control = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    static void Type(const TPropertiesDlg& dialog, const char* name, const std::string& text) {
        if (auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(name))) {
            edit->setText(ToQString(text));
            emit edit->textEdited(edit->text());
        } else {
            Find<QPlainTextEdit>(dialog, name)->setPlainText(ToQString(text));
        }
    }
    // A stand-in interpreter that notes each switch it is run with.
    std::string FakeInterpreter(const std::string& name) {
        const std::string path = Dir.File(name);
        WriteBytes(path, "#!/bin/sh\necho \"$1\" >> '" + Dir.File(name + ".calls") +
                             "'\necho \"version report $1\"\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }
    static int FreePort() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }
    std::string SaveAndReload() {
        const std::string file = Dir.File("site.kvp");
        Project->SaveToFile(file);
        Project.reset();
        Project = NewProject();
        Project->LoadFromFile(file);
        return file;
    }
    std::vector<std::string> Opened;
};

TEST_F(PropertiesDlgTest, EverySettingChangedInTheDialogSurvivesSaveAndReload) {
    const std::string perl = FakeInterpreter("perl");
    const std::string php = FakeInterpreter("php");
    std::filesystem::create_directories(Dir.File("mysql/bin"));
    using Get = std::function<std::string(const TKorProject&)>;
    struct TextCase {
        const char* Control;
        std::string Value;
        Get Stored;
    };
    const std::vector<TextCase> texts = {
        {"Notes", "first\nsecond", [](auto& p) { return p.Notes(); }},
        {"Title", "Shop", [](auto& p) { return p.Title(); }},
        {"Copyright", "\u00A9 2026 Shop", [](auto& p) { return p.Copyright(); }},
        {"Author", "Ann", [](auto& p) { return p.Author(); }},
        {"AuthorID", "a1", [](auto& p) { return p.AuthorId(); }},
        {"Email", "ann@example.org", [](auto& p) { return p.ContactEmail(); }},
        {"URL", "http://example.org/", [](auto& p) { return p.ContactURL(); }},
        {"Telephone", "555", [](auto& p) { return p.ContactTelephone(); }},
        {"PostalAddress", "1 Road\nTown", [](auto& p) { return p.ContactPostalAddress(); }},
        {"Keywords", "shop cart", [](auto& p) { return p.Keywords(); }},
        {"PerlCompilerPath", perl, [](auto& p) { return p.PerlCompilerPath(); }},
        {"PhpCompilerPath", php, [](auto& p) { return p.PhpCompilerPath(); }},
        {"TempPath", Dir.File("scratch"), [](auto& p) { return p.TempPath(); }},
        {"RootURL", "http://shop.example.org", [](auto& p) { return p.RootURL(); }},
        {"VersionsPath", Dir.File("versions"), [](auto& p) { return p.VersionsPath(); }},
        {"MySqlPath", Dir.File("mysql/bin"), [](auto& p) { return p.MySql().BinPath(); }},
        {"MySqlLogin", "shopper", [](auto& p) { return p.MySql().UserLogin(); }},
        {"MySqlPassword", "pw1", [](auto& p) { return p.MySql().UserPassword(); }},
        {"MySqlRootPassword", "pw2", [](auto& p) { return p.MySql().RootPassword(); }},
        {"WebServerPath", Dir.File("www"), [](auto& p) { return p.WebServer().getRootPath(); }},
        {"DefWebFile", "start.html", [](auto& p) { return p.WebServer().getDefaultDoc(); }},
        {"WebPort", "8099", [](auto& p) { return p.WebServer().getPort(); }},
        {"CgiBinPath", Dir.File("cgi"), [](auto& p) { return p.WebServer().CgiBinPath(); }},
        {"CgiBinLogicalPath", "/scripts",
         [](auto& p) { return p.WebServer().LogicalCgiBinPath(); }},
        {"HostName", "ftp.example.org", [](auto& p) { return p.FtpHost(); }},
        {"Login", "Ann", [](auto& p) { return p.FtpUserName(); }},
        {"Password", "Secret", [](auto& p) { return p.FtpPassword(); }},
        {"Port", "2121", [](auto& p) { return p.FtpPort(); }},
        {"StartDir", "/htdocs", [](auto& p) { return p.FtpStartDir(); }},
        {"SftpKeyFile", "/home/ann/.ssh/id_shop", [](auto& p) { return p.SftpKeyFile(); }},
        {"LogFilename", Dir.File("scratch/shop.log"), [](auto& p) { return p.LogFileName(); }},
    };
    struct NumberCase {
        const char* Control;
        int Value;
        std::function<int(const TKorProject&)> Stored;
    };
    const std::vector<NumberCase> numbers = {
        {"TabSize", 6, [](auto& p) { return p.TabWidth(); }},
        {"Backups", 7, [](auto& p) { return int(p.MaxBackUps()); }},
        {"BackupPause", 120, [](auto& p) { return p.BackupPause(); }},
        {"CgiTimeout", 99, [](auto& p) { return p.WebServer().CgiTimeout(); }},
    };
    // Boxes tied to others or to the project's files are left to their own tests.
    const std::set<std::string> coupled = {"ShowLHGutter", "ExcludeExternalEnvEquals", "KeyEnvVars",
                                           "FilesInProject"};
    std::map<std::string, bool> flags;
    std::map<std::string, bool> sqlFlags;
    {
        auto dialog = Open();
        for (const TextCase& text : texts)
            Type(*dialog, text.Control, text.Value);
        for (const NumberCase& number : numbers)
            Find<QSpinBox>(*dialog, number.Control)->setValue(number.Value);
        Find<QRadioButton>(*dialog, "PerlWarnings2")->setChecked(true);
        Find<QComboBox>(*dialog, "FtpProtocol")->setCurrentIndex(1); // SFTP
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
            const std::string name = ToStdString(box->objectName());
            if (name.empty() || coupled.count(name) || !box->isEnabled() || box->isHidden())
                continue;
            box->setChecked(!box->isChecked());
            try {
                ProjectFlag(name);
                flags[name] = box->isChecked();
            } catch (const std::out_of_range&) {
                try {
                    MySqlFlag(name);
                    sqlFlags[name] = box->isChecked();
                } catch (const std::out_of_range&) {
                }
            }
        }
        dialog->Env->AddBtn->click();
        for (QLineEdit* box : {dialog->Env->VarName, dialog->Env->VarData}) {
            box->setText(box == dialog->Env->VarName ? "SHOP_MODE" : "test");
            emit box->textEdited(box->text());
        }
        Type(*dialog, "Version", "1.2");
        ASSERT_TRUE(dialog->OKBtn->isEnabled());
        dialog->OKBtn->click();
        EXPECT_FALSE(dialog->isVisible()) << "OK closes the dialog once everything applied";
    }
    EXPECT_GE(flags.size(), 45u);
    // The service box is offered where the system has a service manager; installing MySQL as a
    // service is the system's package manager's work here, so that box is not offered at all.
    EXPECT_EQ(sqlFlags.size() - sqlFlags.count("UseService"), 5u);
    EXPECT_EQ(sqlFlags.count("AutoInstallService"), 0u);
    // The project file has no place for the version: it is applied, and "1.0" after a load.
    EXPECT_EQ(Project->Version(), "1.2");
    Prompt.ClearRecords();
    // A changed MySQL folder without the programs is reported again at the next load.
    Prompt.QueueAnswer(pbNo);
    SaveAndReload();

    EXPECT_EQ(Project->FtpProtocol(), TFtpProtocol::SFTP);
    for (const TextCase& text : texts)
        EXPECT_EQ(text.Stored(*Project),
                  text.Value + (text.Control == std::string("TempPath") ? "/" : ""))
            << text.Control;
    for (const NumberCase& number : numbers)
        EXPECT_EQ(number.Stored(*Project), number.Value) << number.Control;
    EXPECT_EQ(Project->PerlWarnings(), 2);
    for (const auto& [name, ticked] : flags)
        EXPECT_EQ((Project.get()->*ProjectFlag(name).Get)(), ticked) << name;
    for (const auto& [name, ticked] : sqlFlags)
        EXPECT_EQ((Project->MySql().*MySqlFlag(name).Get)(), ticked) << name;
    EXPECT_EQ(Project->ProjectEnvVars(), std::vector<std::string>{"YSHOP_MODE=test"});

    // A path corrected only in its letter case is a different path here, and is kept.
    {
        auto dialog = Open();
        Type(*dialog, "VersionsPath", Dir.File("Versions"));
        dialog->OKBtn->click();
    }
    EXPECT_EQ(Project->VersionsPath(), Dir.File("Versions"));
}

TEST_F(PropertiesDlgTest, CancelLeavesTheProjectFileAsItWas) {
    const std::string file = Dir.File("site.kvp");
    {
        // The first opening records the page shown; that is saved as the starting point.
        auto dialog = Open();
        dialog->SelectPath("Language \u00BB Perl \u00BB Font & Colors");
        dialog->SelectPath("Notes");
        // Both ways of trimming the outside environment are on by default: one box shows it.
        EXPECT_TRUE(Find<QCheckBox>(*dialog, "KeyEnvVars")->isChecked());
        EXPECT_FALSE(Find<QCheckBox>(*dialog, "ExcludeExternalEnvEquals")->isChecked());
        EXPECT_EQ(dialog->SelectedPath(), "Notes");
        dialog->CancelBtn->click();
    }
    Project->SaveToFile(file);
    const std::string before = ReadBytes(file);
    {
        auto dialog = Open();
        Type(*dialog, "Title", "Changed");
        Find<QCheckBox>(*dialog, "TaintMode")->toggle();
        dialog->SelectPath("Language \u00BB Perl \u00BB Font & Colors");
        dialog->EditorBgColorChange(0x123456);
        dialog->DeleteFileTypeClick();
        EXPECT_EQ(dialog->CancelBtn->text().toStdString(), "Cancel");
        dialog->SelectPath("Notes");
        dialog->CancelBtn->click();
    }
    EXPECT_FALSE(Project->getModified());
    Project->setModified(true);
    Project->SaveToFile(file);
    EXPECT_EQ(ReadBytes(file), before);
}

TEST_F(PropertiesDlgTest, ApplyRestartsTheServerOnceAndStartsTheLogInTheNewFolder) {
    TWebServer& web = Project->WebServer();
    web.setPort(std::to_string(FreePort()));
    web.setStarted(true);
    ASSERT_TRUE(web.Started());
    int starts = 0;
    web.OnStateChanged = [&] { starts += web.Started() ? 1 : 0; };
    const std::string folder = Dir.File("new-temp");
    const std::string port = std::to_string(FreePort());
    {
        auto dialog = Open();
        Type(*dialog, "WebServerPath", Dir.Path().string());
        Type(*dialog, "DefWebFile", "home.html");
        Type(*dialog, "WebPort", port);
        Find<QSpinBox>(*dialog, "CgiTimeout")->setValue(45);
        Type(*dialog, "TempPath", folder);
        Type(*dialog, "LogFilename", folder + "/run.log");
        dialog->LoggingIsOn->click(); // applies first, then starts the log
        dialog->OKBtn->click();
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_EQ(starts, 1);
    EXPECT_TRUE(web.Started());
    EXPECT_EQ(web.getPort(), port);
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/run.log"))
        << "the log starts after its folder was made";
    web.setStarted(false);
}

TEST_F(PropertiesDlgTest, AFailedSettingIsNamedAndTheRestStayApplied) {
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    WriteBytes(Dir.File("file"), "not a folder");
    auto dialog = Open();
    Find<QCheckBox>(*dialog, "WebServerStarted")->setChecked(true);
    Type(*dialog, "WebPort", std::to_string(taken.serverPort()));
    Type(*dialog, "TempPath", Dir.File("file/temp"));
    Type(*dialog, "Title", "Applied anyway");
    Prompt.QueueAnswer(pbNo); // no random port instead
    dialog->OKBtn->click();
    EXPECT_TRUE(dialog->isVisible()) << "the dialog stays open on a failure";
    EXPECT_TRUE(dialog->OKBtn->isEnabled());
    EXPECT_EQ(dialog->CancelBtn->text().toStdString(), "Cancel");
    const std::string warning = Prompt.Records().back().Text;
    EXPECT_NE(warning.find("Web server:"), std::string::npos) << warning;
    EXPECT_NE(warning.find("Temporary folder: cannot make"), std::string::npos) << warning;
    EXPECT_FALSE(Project->WebServer().Started());
    EXPECT_NE(Project->TempPath(), Dir.File("file/temp/"));
    EXPECT_EQ(Project->Title(), "Applied anyway");
    dialog->CancelBtn->click();
}

TEST_F(PropertiesDlgTest, AnEmptyOrRelativeTemporaryFolderIsRefused) {
    const std::string before = Project->TempPath();
    for (const char* folder : {"", "temp", "./scratch"}) {
        SCOPED_TRACE(folder);
        auto dialog = Open();
        Type(*dialog, "TempPath", folder);
        dialog->OKBtn->click();
        EXPECT_TRUE(dialog->isVisible()) << "the dialog stays open on a failure";
        EXPECT_NE(Prompt.Records().back().Text.find(
                      "Temporary folder: a full folder path is needed, such as " + ProgramFolder() +
                      "temp"),
                  std::string::npos)
            << Prompt.Records().back().Text;
        EXPECT_EQ(Project->TempPath(), before);
        dialog->CancelBtn->click();
    }
}

TEST_F(PropertiesDlgTest, TheRunSettingsOfThePerlPageAreProgramSettingsHandedToTheRuns) {
    auto dialog = Open();
    EXPECT_EQ(Find<QSpinBox>(*dialog, "RunOutputLimit")->value(), 64);
    EXPECT_TRUE(Find<QCheckBox>(*dialog, "RunInTerminal")->isChecked());
    Find<QSpinBox>(*dialog, "RunOutputLimit")->setValue(200);
    Find<QCheckBox>(*dialog, "RunInTerminal")->setChecked(false);
    dialog->OKBtn->click();
    EXPECT_EQ(Settings->getRunOutputLimit(), 200);
    EXPECT_EQ(Debugger->Console().OutputLimitBytes(), size_t{200} << 20);
    EXPECT_FALSE(Settings->getRunInTerminal());
    EXPECT_FALSE(Project->RunSettings().Terminal);
    auto again = Open();
    EXPECT_EQ(Find<QSpinBox>(*again, "RunOutputLimit")->value(), 200);
    EXPECT_FALSE(Find<QCheckBox>(*again, "RunInTerminal")->isChecked());
    again->CancelBtn->click();
}

TEST_F(PropertiesDlgTest, VersionDetailsAlternatesShortAndLongReports) {
    const std::string perl = FakeInterpreter("perl");
    auto dialog = Open();
    Type(*dialog, "PerlCompilerPath", perl);
    for (int i = 0; i < 3; ++i)
        dialog->PerlVersionBtn->click();
    EXPECT_EQ(ReadBytes(perl + ".calls"), "-v\n-V\n-v\n");
    ASSERT_EQ(Prompt.Records().size(), 3u);
    EXPECT_EQ(Prompt.Records()[1].Text, "version report -V");
    dialog->CancelBtn->click();
}

TEST_F(PropertiesDlgTest, MandatoryFileTypesAreRestoredOnApply) {
    Project->FileTypes().MakeDefault(); // what every loaded project has
    auto dialog = Open();
    dialog->SelectPath("Files \u00BB File Types");
    TFileType* pl = dialog->WorkingFileTypes().Find("pl");
    ASSERT_NE(pl, nullptr);
    dialog->SelectFileType(pl);
    dialog->DeleteFileTypeClick();
    TFileType* txt = dialog->WorkingFileTypes().Find("txt");
    dialog->SelectFileType(txt);
    dialog->FileTypeEditable->setChecked(false);
    EXPECT_EQ(dialog->WorkingFileTypes().Find("pl"), nullptr);
    EXPECT_TRUE(dialog->ApplyBtnClick());
    EXPECT_EQ(
        Prompt.TextsShown(),
        std::vector<std::string>{"One or more mandatory Korvane default(s) have been restored."});
    ASSERT_NE(Project->FileTypes().Find("pl"), nullptr);
    EXPECT_TRUE(Project->FileTypes().Find("txt")->Editable);
    // Clearing leaves one blank entry; deleting it keeps it, and a second Clear asks nothing.
    Prompt.QueueAnswer(pbYes);
    dialog->ClearFileTypesClick();
    dialog->DeleteFileTypeClick();
    dialog->ClearFileTypesClick();
    EXPECT_EQ(dialog->WorkingFileTypes().Entries().size(), 1u);
    dialog->ResetFileTypesClick(); // an empty table resets without asking
    EXPECT_EQ(dialog->WorkingFileTypes().Count(), 20);
    dialog->CancelBtn->click();
}

// Options that mean nothing here are not offered under their Windows names; the service box
// works where the system has a service manager; a group node says what lies below it.
TEST_F(PropertiesDlgTest, LinuxShowsItsOwnOptionsAndGroupNodesSummariseTheirPages) {
    for (const bool manager : {false, true}) {
        SCOPED_TRACE(manager ? "with a service manager" : "without one");
        Project->MySql().ServiceManager = manager ? "/usr/sbin/service" : "";
        auto dialog = Open();
        for (const QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
            if (!box->isVisibleTo(dialog.get())) continue;
            for (const char* windows : {"Win NT", "Windows", "Named Pipe"})
                EXPECT_FALSE(box->text().contains(QLatin1String(windows)))
                    << box->text().toStdString();
        }
        EXPECT_FALSE(Find<QCheckBox>(*dialog, "AutoInstallService")->isVisibleTo(dialog.get()))
            << "a service is installed by the system's package";
        QCheckBox* service = Find<QCheckBox>(*dialog, "UseService");
        ASSERT_EQ(service->isEnabled(), manager);
        if (manager) {
            service->setChecked(true);
            EXPECT_TRUE(dialog->ApplyBtnClick());
            EXPECT_TRUE(Project->MySql().UseService());
        }
        dialog->CancelBtn->click();
    }

    auto dialog = Open();
    const auto* summary = Find<QLabel>(*dialog, "GroupSummary");
    dialog->SelectPath("Editor");
    ASSERT_TRUE(summary->isVisibleTo(dialog.get())) << "a blank page";
    for (const char* page : {"Visibility Options", "Tabs &amp; Indentation", "Cursor Settings"})
        EXPECT_TRUE(summary->text().contains(QLatin1String(page))) << page;
    dialog->SelectPath("Language \u00BB Perl");
    EXPECT_TRUE(summary->text().contains(QLatin1String("Syntax Highlighting")));
    dialog->SelectPath("Notes");
    EXPECT_FALSE(summary->isVisibleTo(dialog.get()));

    // Each language's highlighting page shows samples of that language.
    const std::pair<const char*, const char*> samples[] = {
        {"Perl", "my "}, {"HTML", "<table>"}, {"PHP", "$_GET"}, {"SQL", "SELECT"}};
    for (const auto& [language, token] : samples) {
        SCOPED_TRACE(language);
        dialog->SelectPath(std::string("Language \u00BB ") + language +
                           " \u00BB Font & Colors \u00BB Syntax Highlighting");
        QStringList shown;
        for (const QLabel* label : dialog->findChildren<QLabel*>(QStringLiteral("Sample"))) {
            shown << label->text();
            // A label guessing rich text would show "<table> <td>" as nothing at all.
            EXPECT_FALSE(label->textFormat() != Qt::PlainText && Qt::mightBeRichText(label->text()))
                << label->text().toStdString();
        }
        ASSERT_EQ(shown.size(), 6);
        EXPECT_TRUE(shown.join(QLatin1Char('|')).contains(QLatin1String(token)))
            << shown.join(QLatin1Char('|')).toStdString();
        if (std::string(language) != "Perl") {
            EXPECT_FALSE(shown.join(QLatin1Char('|')).contains(QLatin1String("my $")));
        }
    }
    dialog->CancelBtn->click();
}

TEST(ReadFileTail, KeepsTheLastWholeLinesOfALargeFile) {
    TempDir dir;
    std::string big;
    for (int i = 0; big.size() < 3 * 1024 * 1024; ++i)
        big += "line " + std::to_string(i) + "\n";
    WriteBytes(dir.File("big.log"), big);
    bool cut = false;
    const std::string tail = ReadFileTail(dir.File("big.log"), 1024 * 1024, cut);
    EXPECT_TRUE(cut);
    EXPECT_LE(tail.size(), 1024u * 1024u);
    EXPECT_EQ(tail.rfind("line ", 0), 0u) << "starts at a whole line";
    EXPECT_EQ(big.substr(big.size() - tail.size()), tail);
    WriteBytes(dir.File("small.log"), "a\nb\n");
    EXPECT_EQ(ReadFileTail(dir.File("small.log"), 1024 * 1024, cut), "a\nb\n");
    EXPECT_FALSE(cut);
}

} // namespace
} // namespace korvane::test
