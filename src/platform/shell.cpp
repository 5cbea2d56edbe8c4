#include "platform/shell.h"

#include "platform/command_line.h"

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

QStringList Arguments(const std::string& parameters) {
    QStringList arguments;
    for (const std::string& word : SplitCommandLine(parameters))
        arguments << ToQString(word);
    return arguments;
}

} // namespace

bool ShellOpen(const std::string& folder, const std::string& file, const std::string& parameters) {
    if (file.empty()) return false;
    if (LooksLikeUrl(file)) return QDesktopServices::openUrl(QUrl(ToQString(file)));
    const std::string path = folder.empty() ? file : AbsolutePath(folder, file);
    if (!parameters.empty())
        return QProcess::startDetached(ToQString(path), Arguments(parameters), ToQString(folder));
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(path)));
}

void RunAndWait(const std::string& file, const std::string& folder, const std::string& parameters,
                int waitSeconds) {
    QProcess process;
    process.setProgram(ToQString(file));
    process.setArguments(Arguments(parameters));
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
    QStringList list;
    for (const std::string& argument : arguments)
        list << ToQString(argument);
    process.setArguments(list);
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
