#include "exec/perl_tools.h"

#include "storage/line_endings.h"

#include <filesystem>
#include <sstream>

namespace korvane {
namespace {

// Fields of one finding, apart; the message comes last as it may hold the separator.
constexpr const char* CriticFormat = "%l\t%c\t%s\t%p\t%m\n";

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<std::string_view> SplitFields(std::string_view line, size_t count) {
    std::vector<std::string_view> fields;
    while (fields.size() + 1 < count) {
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos) break;
        fields.push_back(line.substr(0, tab));
        line.remove_prefix(tab + 1);
    }
    fields.push_back(line);
    return fields;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

std::string FindPerlTidyRc(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path at = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    for (;;) {
        const fs::path candidate = at / ".perltidyrc";
        if (fs::is_regular_file(candidate, ec)) return candidate.string();
        if (!at.has_relative_path()) return {};
        at = at.parent_path();
    }
}

TCommandLine PerlTidyCommand(const std::string& program, const std::string& file,
                             const std::string& rcFile) {
    TCommandLine command(program);
    command.Add("--standard-output").Add("--standard-error-output");
    if (!rcFile.empty()) command.AddQuoted("--profile=" + rcFile);
    return command.AddQuoted(file);
}

TCommandLine PerlCriticCommand(const std::string& program, const std::string& file, int severity) {
    return TCommandLine(program)
        .Add("--severity")
        .Add(std::to_string(severity))
        .Add("--verbose")
        .AddQuoted(CriticFormat)
        .AddQuoted(file);
}

std::vector<TMessageLine> CritiqueMessages(std::string_view output, ConsoleTag page) {
    std::vector<TMessageLine> messages;
    for (std::string_view line : SplitLines(output)) {
        const std::vector<std::string_view> fields = SplitFields(line, 5);
        if (fields.size() == 5 && AllDigits(fields[0])) {
            std::ostringstream text;
            text << "Critique at line " << fields[0] << ", column " << fields[1] << ": "
                 << fields[4] << " [" << fields[3] << ", severity " << fields[2] << "]";
            messages.push_back({text.str(), page});
        } else if (!line.empty()) {
            messages.push_back({std::string(line), page});
        }
    }
    return messages;
}

std::vector<TMessageLine> TidyErrorMessages(std::string_view errors, std::string_view file,
                                            int firstLine, ConsoleTag page) {
    std::vector<TMessageLine> messages;
    for (std::string_view line : SplitLines(errors)) {
        // perltidy starts each line with the file's name, and a line number when it has one.
        if (line.starts_with(file) && line.substr(file.size()).starts_with(':')) {
            line.remove_prefix(file.size() + 1);
            const size_t digits = line.find_first_not_of("0123456789");
            if (digits > 0 && digits != std::string_view::npos && line[digits] == ':') {
                const int number = std::stoi(std::string(line.substr(0, digits)));
                std::string_view rest = line.substr(digits + 1);
                while (rest.starts_with(' '))
                    rest.remove_prefix(1);
                messages.push_back({"Tidy at line " + std::to_string(number + firstLine - 1) +
                                        ": " + std::string(rest),
                                    page});
                continue;
            }
        }
        while (line.starts_with(' '))
            line.remove_prefix(1);
        if (!line.empty()) messages.push_back({"Tidy: " + std::string(line), page});
    }
    return messages;
}

std::string ToToolText(std::string_view editorText) {
    std::string crLf;
    ConvertToCrLf(editorText, crLf);
    return ConvertFromCrLf(crLf, leLf);
}

std::string FromToolText(std::string_view toolText, std::string_view lineEnd, bool finalBreak) {
    if (!finalBreak && toolText.ends_with('\n')) toolText.remove_suffix(1);
    std::string text;
    text.reserve(toolText.size() + toolText.size() / 16);
    for (const char c : toolText) {
        if (c == '\n')
            text += lineEnd;
        else
            text += c;
    }
    return text;
}

} // namespace korvane
