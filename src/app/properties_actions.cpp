// The settings dialog's buttons that act at once: version queries, the log, the FTP test,
// the MySQL server and timed internals logging. Those that use the settings apply them first.
#include "app/properties_dlg.h"
#include "app/properties_fields.h"
#include "exec/console_controller.h"
#include "exec/interpreter_commands.h"
#include "exec/run_environment.h"
#include "platform/command_line.h"
#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "publish/upload.h"
#include "storage/errors.h"
#include "storage/file_utils.h"
#include "storage/method_trace.h"
#include "storage/paths.h"
#include "storage/prompt.h"
#include "storage/text_utils.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>

#include <algorithm>
#include <fstream>

namespace korvane {

namespace {

constexpr double VersionQuerySeconds = 5;
// More than this of a log does not go on the clipboard: the log can grow without bound.
constexpr std::size_t ClipboardLogLimit = 1024 * 1024;

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

class TStatusLine final : public TUploadStatusBar {
public:
    explicit TStatusLine(QStatusBar& bar) : Bar(bar) {}
    void ShowUploadStatus(const std::string& text, bool) override {
        Bar.showMessage(ToQString(text));
    }
    void ShowUploadProgress(const std::string& fileName, int64_t sent, int64_t size) override {
        Bar.showMessage(ToQString(fileName + ": " + std::to_string(sent) + " of " +
                                  std::to_string(size) + " bytes"));
    }

private:
    QStatusBar& Bar;
};

} // namespace

std::string ReadFileTail(const std::string& path, std::size_t maxBytes, bool& cut) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) throw handledException("Cannot read " + path);
    const auto size = static_cast<std::size_t>(file.tellg());
    cut = size > maxBytes;
    const std::size_t wanted = cut ? maxBytes : size;
    file.seekg(static_cast<std::streamoff>(size - wanted));
    std::string text(wanted, '\0');
    file.read(text.data(), static_cast<std::streamsize>(wanted));
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (cut) {
        // Start at a whole line, so the first line shown is not a fragment.
        const std::size_t lineEnd = text.find('\n');
        if (lineEnd != std::string::npos && lineEnd + 1 < text.size()) text.erase(0, lineEnd + 1);
    }
    return text;
}

std::vector<std::string> TPropertiesDlg::RunVersionQuery(const TCommandLine& command) {
    if (!Services.Console) return {};
    TConsoleController& console = *Services.Console;
    if (!console.sessionFinished()) {
        CurrentPrompt().Inform(PromptKind::Warning,
                               "A program is running; wait until it has ended.");
        return {};
    }
    TBusyCursor busy;
    try {
        TProgramStart start{command, "", {}};
        InitEnvVars(start.Environment, true);
        console.executeSessionObject(start, true, this, VersionQuerySeconds, VersionQuerySeconds);
        if (!console.sessionFinished()) console.endSession();
    } catch (const handledException& e) {
        CurrentPrompt().Inform(PromptKind::Error, e.what());
        return {};
    }
    return console.AllLines().Strings();
}

void TPropertiesDlg::PerlVersionClick() {
    TraceScope trace(this, "TPropertiesDlg", "PerlVersionClick");
    // The same interpreter asked again gives the long report, then the short one again.
    const std::string path = Text("PerlCompilerPath");
    std::string switches = "-V";
    if (path != LastVersionPath) {
        switches = "-v";
        LastVersionPath = path;
    } else {
        LastVersionPath.clear();
    }
    const std::vector<std::string> lines = RunVersionQuery(TCommandLine(path).Add(switches));
    if (!lines.empty()) CurrentPrompt().Inform(PromptKind::Information, JoinLines(lines));
}

void TPropertiesDlg::PhpVersionClick() {
    TraceScope trace(this, "TPropertiesDlg", "PhpVersionClick");
    const std::string php = Text("PhpCompilerPath");
    if (!PhpShowsInfo) {
        const std::vector<std::string> lines = RunVersionQuery(PhpVersionCommand(php));
        if (!lines.empty()) CurrentPrompt().Inform(PromptKind::Information, JoinLines(lines));
        PhpShowsInfo = true;
        PhpVersionBtn->setText(QStringLiteral("PHP &Info..."));
        return;
    }
    PhpShowsInfo = false;
    PhpVersionBtn->setText(QStringLiteral("&Version Details..."));
    const std::string folder = Text("TempPath");
    if (folder.empty() || !IsFolder(folder)) {
        CurrentPrompt().Inform(PromptKind::Warning,
                               "Need a valid Temporary directory to show this information");
        return;
    }
    // The CGI build reports as a web page; the command-line one as text, shown preformatted.
    const std::string cgi = FolderPart(php) + "php-cgi";
    const bool html = IsFile(cgi);
    std::vector<std::string> lines = RunVersionQuery(PhpInfoCommand(html ? cgi : php));
    if (lines.empty()) return;
    std::string page;
    if (html) {
        const auto blank = std::find(lines.begin(), lines.end(), std::string());
        if (blank != lines.end()) lines.erase(lines.begin(), blank + 1);
        page = JoinLines(lines);
    } else {
        page = "<html><body><pre>\n" + ToStdString(ToQString(JoinLines(lines)).toHtmlEscaped()) +
               "\n</pre></body></html>";
    }
    const std::string target = EnsureSuffix(folder, "/") + "phpinfo.html";
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << page;
    out.close();
    if (!out) {
        CurrentPrompt().Inform(PromptKind::Error, "Cannot write " + target);
        return;
    }
    if (Services.OpenDocument)
        Services.OpenDocument(target);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(target)));
}

void TPropertiesDlg::TestConnectionClick() {
    ApplyBtnClick();
    if (!Services.TestConnection) return;
    TestConnectionBtn->setEnabled(false);
    TStatusLine status(*FtpStatus);
    Services.TestConnection(status);
    TestConnectionBtn->setEnabled(true);
}

void TPropertiesDlg::LoggingIsOnClick() {
    TraceScope trace(this, "TPropertiesDlg", "LoggingIsOnClick");
    TBusyCursor busy;
    ApplyBtnClick();
    if (LoggingIsOn->isChecked()) {
        LoggingIsOn->setText(QStringLiteral("Logging is on"));
        Project.setLoggingIsOn(true);
        Project.OutputLogInformation();
    } else {
        LoggingIsOn->setText(QStringLiteral("Logging is off"));
    }
    GenChange();
}

void TPropertiesDlg::ClearLogClick() {
    TBusyCursor busy;
    ApplyBtnClick();
    Project.CreateNewLog();
}

void TPropertiesDlg::ViewLogClick() {
    const std::string path = Text("LogFilename");
    if (!IsFile(path)) return;
    if (Services.OpenDocument)
        Services.OpenDocument(path);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(path)));
}

void TPropertiesDlg::LogToClipboardClick() {
    if (!IsFile(Project.LogFileName())) return;
    ApplyBtnClick();
    try {
        bool cut = false;
        std::string text = ReadFileTail(Project.LogFileName(), ClipboardLogLimit, cut);
        if (cut) text = "[The log is larger than 1 MiB: only its last part is copied.]\n" + text;
        QApplication::clipboard()->setText(ToQString(text));
    } catch (const handledException& e) {
        CurrentPrompt().Inform(PromptKind::Error, e.what());
    }
}

void TPropertiesDlg::SetAllLoggingOptions(bool ticked) {
    for (const char* name : LoggingFlags)
        SetChecked(name, ticked);
    SetChecked("IgnoreTransientUpdates", ticked);
}

void TPropertiesDlg::InternalsLoggingClick() {
    const TLogWindowTimes times = TLogTimeRange::Ask(this);
    if (times.End == 0) return;
    if (!ApplyBtnClick()) return;
    if (Services.StartInternalsLogging) Services.StartInternalsLogging(times);
    accept();
}

void TPropertiesDlg::MySqlPageEntered() {
    const bool idle = !Services.DebuggerIdle || Services.DebuggerIdle();
    CheckServerUpBtn->setEnabled(idle);
    BringServerDownBtn->setEnabled(idle);
}

} // namespace korvane
