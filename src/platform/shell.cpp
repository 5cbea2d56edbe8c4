#include "platform/shell.h"

#include "platform/program_folder.h"
#include "platform/qt_strings.h"
#include "storage/errors.h"
#include "storage/paths.h"

#include <QDesktopServices>
#include <QProcess>
#include <QProcessEnvironment>
#include <QUrl>

namespace korvane {
namespace {

// "http://x", "mailto:a@b", but not "C:\x" (whose one-letter "scheme" is a drive).
bool LooksLikeUrl(const std::string& file) {
    const QUrl url(ToQString(file));
    return url.isValid() && url.scheme().size() > 1;
}

QStringList ToQStringList(const std::vector<std::string>& words) {
    QStringList list;
    for (const std::string& word : words)
        list << ToQString(word);
    return list;
}

} // namespace

bool ShellOpen(const std::string& folder, const std::string& file,
               const std::vector<std::string>& arguments) {
    if (file.empty()) return false;
    if (LooksLikeUrl(file)) return QDesktopServices::openUrl(QUrl(ToQString(file)));
    const std::string path = folder.empty() ? file : AbsolutePath(folder, file);
    if (!arguments.empty())
        return QProcess::startDetached(ToQString(path), ToQStringList(arguments),
                                       ToQString(folder));
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(path)));
}

void RunAndWait(const TCommandLine& command, const std::string& folder, int waitSeconds) {
    QProcess process;
    process.setProgram(ToQString(command.Program()));
    process.setArguments(ToQStringList(command.Arguments()));
    if (!folder.empty()) process.setWorkingDirectory(ToQString(folder));
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (waitSeconds <= 0) {
        if (!process.startDetached()) throw handledException("Process Failed");
        return;
    }
    process.start();
    if (!process.waitForStarted()) throw handledException("Process Failed");
    if (!process.waitForFinished(waitSeconds * 1000)) {
        process.kill();
        process.waitForFinished();
        throw handledException("Process Failed");
    }
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& folder, const std::vector<std::string>& environment) {
    QProcess process;
    process.setProgram(ToQString(program));
    process.setArguments(ToQStringList(arguments));
    if (!folder.empty()) process.setWorkingDirectory(ToQString(folder));
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const std::string& line : environment) {
        const size_t equals = line.find('=');
        variables.insert(ToQString(line.substr(0, equals)),
                         equals == std::string::npos ? QString()
                                                     : ToQString(line.substr(equals + 1)));
    }
    process.setProcessEnvironment(variables);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

std::string WindowsFolder() {
    return ProgramFolder();
}

} // namespace korvane
