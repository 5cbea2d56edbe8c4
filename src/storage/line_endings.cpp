#include "storage/line_endings.h"

#include "storage/errors.h"
#include "storage/file_utils.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace korvane {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    struct stat info {};
    if (::fstat(fileno(file.get()), &info) != 0 || S_ISDIR(info.st_mode)) return false;
    if (S_ISREG(info.st_mode)) bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[1 << 16];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, count);
    return !std::ferror(file.get());
}

[[noreturn]] void RaiseWriteError(const std::string& path, int error) {
    throw handledException("Cannot create file \"" + path + "\". " + std::strerror(error));
}

// ConvertToCrLf that also sets one bit (1 << format) in kinds for each kind of line end seen,
// in the same pass.
int ConvertNotingKinds(std::string_view raw, std::string& converted, unsigned& kinds) {
    converted.clear();
    converted.reserve(raw.size() + raw.size() / 16);
    kinds = 0;
    int format = NewFileLineEndingFormat;
    size_t runStart = 0;
    const size_t size = raw.size();
    for (size_t i = 0; i < size; ++i) {
        const char c = raw[i];
        if (c != '\r' && c != '\n') continue;
        converted.append(raw.data() + runStart, i - runStart);
        if (c == '\r') {
            converted.append("\r\n");
            format = leCr;
            kinds |= 1u << (i + 1 < size && raw[i + 1] == '\n' ? leCrLf : leCr);
        } else if (i > 0 && raw[i - 1] == '\r') {
            format = leCrLf; // its CR already gave the CR LF
        } else {
            converted.append("\r\n");
            format = leLf;
            kinds |= 1u << leLf;
        }
        runStart = i + 1;
    }
    converted.append(raw.data() + runStart, size - runStart);
    return format;
}

// Everything of loaded but the text of mixed line ends, which the callers take from raw.
void NoteEditorText(std::string_view raw, TEditorText& loaded) {
    unsigned kinds = 0;
    loaded.Format = ConvertNotingKinds(raw, loaded.Text, kinds);
    loaded.MixedLineEnds = (kinds & (kinds - 1)) != 0; // more than one bit set
    loaded.HasNulBytes = raw.find('\0') != std::string_view::npos;
}

} // namespace

int EffectiveLineEndingFormat(int format, int fallback) {
    if (format != leDefault) return format;
    return fallback != leDefault ? fallback : NewFileLineEndingFormat;
}

int ConvertToCrLf(std::string_view raw, std::string& converted) {
    unsigned kinds = 0;
    return ConvertNotingKinds(raw, converted, kinds);
}

std::string ConvertFromCrLf(std::string_view text, int format) {
    const std::string_view lineEnd = format == leLf ? "\n" : format == leCr ? "\r" : "\r\n";
    std::string result;
    result.reserve(text.size());
    size_t runStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') continue;
        result.append(text.data() + runStart, i - runStart);
        if (i + 1 < text.size() && text[i + 1] == '\n') {
            result.append(lineEnd);
            ++i;
        }
        runStart = i + 1;
    }
    result.append(text.data() + runStart, text.size() - runStart);
    return result;
}

std::vector<std::string> SplitCrLfLines(std::string_view text) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string JoinCrLfLines(const std::vector<std::string>& lines) {
    size_t total = 0;
    for (const std::string& line : lines)
        total += line.size() + 2;
    std::string text;
    text.reserve(total);
    for (const std::string& line : lines) {
        text.append(line);
        text.append("\r\n");
    }
    return text;
}

TEditorText ToEditorText(std::string_view raw) {
    TEditorText loaded;
    NoteEditorText(raw, loaded);
    if (loaded.MixedLineEnds) loaded.Text.assign(raw);
    return loaded;
}

bool LoadEditorText(const std::string& path, TEditorText& loaded) {
    std::string raw;
    if (!ReadWholeFile(path, raw)) {
        loaded = TEditorText();
        return false;
    }
    NoteEditorText(raw, loaded);
    if (loaded.MixedLineEnds) loaded.Text = std::move(raw);
    return true;
}

int LoadConvertedText(const std::string& path, std::string& text) {
    std::string raw;
    if (!ReadWholeFile(path, raw)) {
        text.clear();
        return leDefault;
    }
    return ConvertToCrLf(raw, text);
}

int LoadLines(const std::string& path, std::vector<std::string>& lines) {
    std::string text;
    const int format = LoadConvertedText(path, text);
    lines = SplitCrLfLines(text);
    return format;
}

void SaveConvertedText(const std::string& path, std::string_view text, int format, int fallback) {
    // The answer does not stop the save: a file still read-only then fails below.
    EnsureWritable(path);
    if (IsReadOnly(path)) RaiseWriteError(path, EACCES);
    format = EffectiveLineEndingFormat(format, fallback);
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file) RaiseWriteError(path, errno);
    // Converted a piece at a time, so a large file is not held twice in memory. A piece ends
    // after a CR LF (or at the end), so no line end is split between two pieces.
    constexpr size_t PieceSize = 1 << 20;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = std::min(text.size(), start + PieceSize);
        if (end < text.size()) {
            const size_t lineEnd = text.find("\r\n", end - 1);
            end = lineEnd == std::string_view::npos ? text.size() : lineEnd + 2;
        }
        const std::string bytes = ConvertFromCrLf(text.substr(start, end - start), format);
        if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
            RaiseWriteError(path, errno);
        start = end;
    }
    if (std::fflush(file.get()) != 0) RaiseWriteError(path, errno);
    if (std::fclose(file.release()) != 0) RaiseWriteError(path, errno);
}

void SaveLines(const std::string& path, const std::vector<std::string>& lines, int format,
               int fallback) {
    SaveConvertedText(path, JoinCrLfLines(lines), format, fallback);
}

std::string LineEndingName(int format) {
    switch (format) {
    case leDefault:
        return "Default";
    case leCrLf:
        return "Windows / DOS";
    case leLf:
        return "Unix";
    case leCr:
        return "Macintosh";
    default:
        return "Unknown";
    }
}

} // namespace korvane
