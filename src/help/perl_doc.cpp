#include "help/perl_doc.h"

#include "platform/qt_strings.h"
#include "storage/text_utils.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include <cctype>

namespace korvane {
namespace {

constexpr int PerldocMilliseconds = 10000;
// How often a running helper program is checked for being cancelled.
constexpr int CancelCheckMilliseconds = 50;

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':';
}

bool IsSigil(char c) {
    return c == '$' || c == '@' || c == '%';
}

// Punctuation variables Perl documents: "$/", "$!", "$@", "$0" and the like.
bool IsPunctuationName(char c) {
    return std::ispunct(static_cast<unsigned char>(c)) && c != '{' && c != '(' && c != ';' &&
           c != ',' && c != '"' && c != '\'';
}

// Runs a program with input on standard input; its standard output when it ended well. It is
// stopped when it takes too long or the caller cancels.
std::string Run(const QString& program, const QStringList& arguments, const std::string& input,
                const std::atomic<bool>& cancelled) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(PerldocMilliseconds)) return {};
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    QElapsedTimer running;
    running.start();
    while (process.state() != QProcess::NotRunning) {
        if (cancelled || running.elapsed() > PerldocMilliseconds) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        process.waitForFinished(CancelCheckMilliseconds);
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return {};
    return process.readAllStandardOutput().toStdString();
}

std::string RawPod(const TPerlDocQuery& query, const std::atomic<bool>& cancelled) {
    QStringList arguments{QStringLiteral("-u")};
    if (query.Kind == TPerlDocQuery::TKind::Variable) arguments << QStringLiteral("-v");
    if (query.Kind == TPerlDocQuery::TKind::Word) arguments << QStringLiteral("-f");
    arguments << ToQString(query.Name);
    return Run(QStringLiteral("perldoc"), arguments, {}, cancelled);
}

// Entries of perlfunc and perlvar come as bare "=item" lines: a list around them makes them
// sound POD.
std::string AsDocument(const std::string& pod) {
    if (pod.rfind("=item", 0) == 0) return "=pod\n\n=over 4\n\n" + pod + "\n\n=back\n\n=cut\n";
    return pod;
}

std::string RenderPod(const std::string& pod, const std::atomic<bool>& cancelled) {
    static const QString script = QStringLiteral(
        "use Pod::Simple::XHTML; my $p = Pod::Simple::XHTML->new; $p->html_header('');"
        "$p->html_footer(''); $p->no_errata_section(1); $p->complain_stderr(0);"
        "$p->output_string(\\my $out); $p->parse_string_document(do { local $/; <STDIN> });"
        "binmode STDOUT, ':utf8'; print $out;");
    return Run(QStringLiteral("perl"), {QStringLiteral("-e"), script}, AsDocument(pod), cancelled);
}

} // namespace

TPerlDocQuery PerlDocQueryAt(const std::string& line, int column) {
    const int size = static_cast<int>(line.size());
    if (column < 0 || column > size) return {};
    int at = column;
    // Just after a word counts as on it.
    if ((at == size || (!IsNameChar(line[at]) && !IsSigil(line[at]))) && at > 0 &&
        (IsNameChar(line[at - 1]) || IsSigil(line[at - 1])))
        --at;
    if (at >= size) return {};
    // A sigil with one punctuation character, the caret on either.
    if (IsSigil(line[at]) && at + 1 < size && IsPunctuationName(line[at + 1]))
        return {TPerlDocQuery::TKind::Variable, line.substr(at, 2)};
    if (at > 0 && line[at - 1] == '$' && IsPunctuationName(line[at]) && !IsNameChar(line[at]))
        return {TPerlDocQuery::TKind::Variable, line.substr(at - 1, 2)};
    if (IsSigil(line[at]) && at + 1 < size && IsNameChar(line[at + 1])) ++at;
    if (!IsNameChar(line[at])) return {};
    int start = at;
    int end = at;
    while (start > 0 && IsNameChar(line[start - 1]))
        --start;
    while (end < size && IsNameChar(line[end]))
        ++end;
    std::string name = line.substr(start, end - start);
    while (!name.empty() && name.back() == ':')
        name.pop_back();
    while (!name.empty() && name.front() == ':')
        name.erase(0, 1);
    if (name.empty()) return {};
    if (start > 0 && IsSigil(line[start - 1]))
        return {TPerlDocQuery::TKind::Variable, line[start - 1] + name};
    if (name.find("::") != std::string::npos) return {TPerlDocQuery::TKind::Module, name};
    return {TPerlDocQuery::TKind::Word, name};
}

std::string PerlDocumentationHtml(const TPerlDocQuery& query, const std::atomic<bool>& cancelled) {
    if (query.Kind == TPerlDocQuery::TKind::None) return {};
    std::string pod = RawPod(query, cancelled);
    // A word that is no function may be a module ("POSIX", "CGI").
    if (pod.empty() && query.Kind == TPerlDocQuery::TKind::Word)
        pod = RawPod({TPerlDocQuery::TKind::Module, query.Name}, cancelled);
    if (pod.empty()) return {};
    const std::string body = RenderPod(pod, cancelled);
    if (body.empty()) return {};
    const std::string title = HtmlEscaped(query.Name);
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
           "</title><style>body{font-family:sans-serif;max-width:50em;margin:1em 2em;"
           "line-height:1.4}pre{background:#f4f4f0;padding:.5em}</style></head><body>\n"
           "<p style=\"color:#666\">Perl documentation: " +
           title + "</p>\n" + body + "</body></html>\n";
}

} // namespace korvane
