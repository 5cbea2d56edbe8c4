// The template editor's drop handler.
#include "project/drop_text.h"
#include "project/kor_project.h"

#include "platform/qt_strings.h"

#include <Qsci/qsciscintilla.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace korvane {
namespace {

std::vector<std::string> FileLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

} // namespace

std::string DroppedFilesText(const std::vector<std::string>& paths, const std::string& lineEnd) {
    std::string text;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string heading = "#  Text From " + paths[i] + "  #";
        const std::string rule(heading.size(), '#');
        text += rule + lineEnd + heading + lineEnd + rule + lineEnd + lineEnd;
        std::error_code ec;
        if (std::filesystem::is_regular_file(paths[i], ec))
            for (const std::string& line : FileLines(paths[i]))
                text += line + lineEnd;
        text += lineEnd;
        if (i + 1 < paths.size()) text += lineEnd;
    }
    return text;
}

void TKorProject::EditorDropFiles(QsciScintilla& editor, const TStringList& paths) {
    const std::string lineEnd = editor.eolMode() == QsciScintilla::EolWindows ? "\r\n"
                                : editor.eolMode() == QsciScintilla::EolMac   ? "\r"
                                                                              : "\n";
    editor.replaceSelectedText(ToQString(DroppedFilesText(paths, lineEnd)));
    HostWindow->BringToFront();
}

} // namespace korvane
