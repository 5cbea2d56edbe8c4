#include "storage/section_dump.h"

#include "storage/lzrw1.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <string>

namespace korvane {
namespace {

constexpr int MaxDepth = 10;
constexpr size_t MaxNameLength = 64;
constexpr size_t MaxShownText = 60;

int16_t Short(const uint8_t* p) {
    return static_cast<int16_t>(p[0] | p[1] << 8);
}
int32_t Int(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                uint32_t{p[3]} << 24);
}

// A string value at pos, when the bytes there hold one of printable text.
std::optional<std::string> StringAt(const std::vector<uint8_t>& body, size_t pos, size_t& next) {
    if (body.size() - pos < 2) return std::nullopt;
    const int16_t length = Short(&body[pos]);
    if (length < 0 || body.size() - pos - 2 < static_cast<size_t>(length)) return std::nullopt;
    std::string text(body.begin() + pos + 2, body.begin() + pos + 2 + length);
    for (const unsigned char c : text)
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') return std::nullopt;
    next = pos + 2 + length;
    return text;
}

struct TCandidate {
    std::string Name;
    size_t BodyStart = 0;
    int64_t Length = 0; // as stored; may exceed what remains in a damaged file
};

std::optional<TCandidate> SectionAt(const std::vector<uint8_t>& body, size_t pos) {
    size_t next = 0;
    const auto name = StringAt(body, pos, next);
    if (!name || name->empty() || name->size() > MaxNameLength ||
        !std::isalpha(static_cast<unsigned char>((*name)[0])))
        return std::nullopt;
    for (const unsigned char c : *name)
        if (c < 0x20 || c > 0x7E) return std::nullopt;
    if (body.size() - next < 4) return std::nullopt;
    return TCandidate{*name, next + 4, Int(&body[next])};
}

class TDumper {
public:
    TDumper(std::ostream& out, const TDumpOptions& options) : Out(out), Options(options) {}

    bool Run(const std::vector<uint8_t>& file) {
        Out << "file of " << file.size() << " bytes";
        size_t pos = 0;
        if (const auto first = SectionAt(file, 0); first && first->Name == "VersionInfo") {
            Out << ", project or template (\"VersionInfo\" first)\n";
            if (!Fits(file, *first)) return Stopped("", 0, Overlong(file, *first));
            if (!Section(file, *first, 0, false, 0, "")) return false;
            pos = first->BodyStart + static_cast<size_t>(first->Length);
            return Root(file, pos, true);
        }
        size_t next = 0;
        std::vector<std::string> lead;
        for (int i = 0; i < 5; ++i) {
            const auto text = StringAt(file, next, next);
            if (!text) break;
            lead.push_back(*text);
        }
        if (lead.size() == 5 && lead[4] == "Help Manager") {
            Out << ", help tree (\"Help Manager\")\n";
            Values(file, 0, next, 0);
            return Root(file, next, true);
        }
        Out << ", kind not recognised: read from the start\n";
        return Root(file, 0, false);
    }

private:
    // The top level after the identification: with compressed bodies, only sections may follow
    // the first one, so anything else there is damage.
    bool Root(const std::vector<uint8_t>& file, size_t pos, bool compressed) {
        if (compressed) Out << "sections below are stored compressed\n";
        bool seenSection = false;
        size_t runStart = pos;
        while (pos < file.size()) {
            const auto candidate = SectionAt(file, pos);
            const bool fits = candidate && Fits(file, *candidate);
            if (compressed && candidate && (seenSection || fits)) {
                Values(file, runStart, pos, 0);
                if (!fits) return Stopped("", pos, Overlong(file, *candidate));
                if (!Section(file, *candidate, 0, true, pos, "")) return false;
                seenSection = true;
                pos = runStart = candidate->BodyStart + static_cast<size_t>(candidate->Length);
                continue;
            }
            if (compressed && seenSection) return Stopped("", pos, "no section starts here");
            if (!compressed && fits) {
                Values(file, runStart, pos, 0);
                // Unknown files: a body that starts with a magic is taken as compressed.
                if (!Section(file, *candidate, 0, HasMagic(file, *candidate), pos, ""))
                    return false;
                pos = runStart = candidate->BodyStart + static_cast<size_t>(candidate->Length);
                continue;
            }
            ++pos;
        }
        Values(file, runStart, pos, 0);
        return true;
    }

    static bool Fits(const std::vector<uint8_t>& body, const TCandidate& c) {
        return c.Length >= 0 && static_cast<uint64_t>(c.Length) <= body.size() - c.BodyStart;
    }

    static std::string Overlong(const std::vector<uint8_t>& body, const TCandidate& c) {
        return "section \"" + c.Name + "\" claims " + std::to_string(c.Length) + " bytes, " +
               std::to_string(body.size() - c.BodyStart) + " remain";
    }

    static bool HasMagic(const std::vector<uint8_t>& body, const TCandidate& c) {
        if (c.Length < static_cast<int64_t>(CompressedHeaderSize)) return false;
        const uint32_t magic = static_cast<uint32_t>(Int(&body[c.BodyStart]));
        return magic == Lzrw1KHMagic || magic == LzhMagic;
    }

    bool Section(const std::vector<uint8_t>& parent, const TCandidate& c, int depth,
                 bool compressed, size_t offset, const std::string& path) {
        const std::string where = path + "/" + c.Name;
        Indent(depth);
        Out << "section \"" << c.Name << "\" @" << offset << ": stored " << c.Length << " bytes";
        const auto begin = parent.begin() + static_cast<std::ptrdiff_t>(c.BodyStart);
        std::vector<uint8_t> body(begin, begin + static_cast<std::ptrdiff_t>(c.Length));
        std::string fault;
        if (compressed) {
            TMemoryStream in(std::move(body)), out;
            Lzrw1.SetInputStream(&in);
            Lzrw1.SetOutputStream(&out);
            Lzrw1.Decompress();
            fault = Lzrw1.LastError();
            Out << ", " << (Lzrw1.LastEngine() == TCompressMode::Fast ? "LZRW1/KH" : "LZHUF")
                << ", " << out.Size() << " bytes decompressed";
            body = out.TakeBytes();
        }
        Out << "\n";
        Body(body, depth + 1, where);
        if (!fault.empty()) return Stopped(where, 0, fault + " (the body above is what decoded)");
        return true;
    }

    // A plain body: nested sections by their shape, the rest as values.
    void Body(const std::vector<uint8_t>& body, int depth, const std::string& path) {
        size_t pos = 0, runStart = 0;
        while (pos < body.size() && depth <= MaxDepth) {
            const auto c = SectionAt(body, pos);
            if (c && Fits(body, *c)) {
                Values(body, runStart, pos, depth);
                Section(body, *c, depth, false, pos, path);
                pos = runStart = c->BodyStart + static_cast<size_t>(c->Length);
            } else {
                ++pos;
            }
        }
        Values(body, runStart, body.size(), depth);
    }

    void Values(const std::vector<uint8_t>& body, size_t from, size_t to, int depth) {
        if (from >= to) return;
        const std::vector<uint8_t> run(body.begin() + from, body.begin() + to);
        std::vector<std::string> strings;
        size_t pos = 0;
        while (pos < run.size()) {
            const auto text = StringAt(run, pos, pos);
            if (!text) break;
            strings.push_back(*text);
        }
        Indent(depth);
        if (pos == run.size()) {
            Out << "strings:";
            for (const auto& s : strings) {
                if (s.size() <= MaxShownText)
                    Out << " \"" << s << "\"";
                else
                    Out << " \"" << s.substr(0, MaxShownText) << "\"... (" << s.size() << " bytes)";
            }
        } else {
            Out << "values: " << run.size() << " bytes";
        }
        Out << "\n";
        if (Options.Hex) Hex(run, depth);
    }

    void Hex(const std::vector<uint8_t>& run, int depth) {
        char line[32];
        for (size_t at = 0; at < run.size(); at += 16) {
            Indent(depth);
            std::snprintf(line, sizeof line, "%06zx:", at);
            Out << line;
            std::string text;
            for (size_t i = at; i < at + 16; ++i) {
                if (i < run.size()) {
                    std::snprintf(line, sizeof line, " %02x", run[i]);
                    Out << line;
                    text += std::isprint(run[i]) ? static_cast<char>(run[i]) : '.';
                } else {
                    Out << "   ";
                }
            }
            Out << "  |" << text << "|\n";
        }
    }

    bool Stopped(const std::string& path, size_t offset, const std::string& why) {
        if (path.empty())
            Out << "stopped at file offset " << offset << ": " << why << "\n";
        else
            Out << "stopped in section " << path << ": " << why << "\n";
        return false;
    }

    void Indent(int depth) { Out << std::string(static_cast<size_t>(depth) * 2, ' '); }

    std::ostream& Out;
    const TDumpOptions& Options;
    Tlzrw1 Lzrw1;
};

} // namespace

bool DumpStoredFile(const std::vector<uint8_t>& file, std::ostream& out,
                    const TDumpOptions& options) {
    return TDumper(out, options).Run(file);
}

} // namespace korvane
