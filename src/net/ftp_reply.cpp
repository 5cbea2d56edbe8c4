#include "net/ftp_reply.h"

#include <algorithm>

namespace korvane {

int LeadingNumber(std::string_view line, size_t* digits) {
    size_t n = 0;
    long value = 0;
    while (n < line.size() && line[n] >= '0' && line[n] <= '9') {
        if (value < 100000000) value = value * 10 + (line[n] - '0');
        ++n;
    }
    if (digits) *digits = n;
    return n == 0 ? -1 : static_cast<int>(value);
}

void TFtpReplyReader::Reset() {
    Partial.clear();
    MultiCode.clear();
    ReplyBytes = 0;
    CurrentFault = Fault::None;
}

TFtpReplyLine TFtpReplyReader::Classify(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    TFtpReplyLine line;
    size_t digits = 0;
    const int code = LeadingNumber(text, &digits);
    if (!MultiCode.empty()) {
        // Inside a multi-line reply only the same code followed by a space (or nothing) ends
        // it; other lines, even ones starting with digits, are text of the reply.
        const std::string_view head(text.data(), std::min(text.size(), MultiCode.size() + 1));
        if (head == MultiCode || head == MultiCode + " ") {
            line.Final = true;
            line.Code = code;
            MultiCode.clear();
        }
    } else if (code >= 0) {
        if (digits < text.size() && text[digits] == '-') {
            MultiCode = text.substr(0, digits);
        } else {
            line.Final = true;
            line.Code = code;
        }
    }
    line.Text = std::move(text);
    return line;
}

std::vector<TFtpReplyLine> TFtpReplyReader::Feed(std::string_view bytes) {
    std::vector<TFtpReplyLine> lines;
    while (!bytes.empty() && CurrentFault == Fault::None) {
        const size_t lf = bytes.find('\n');
        const size_t take = lf == std::string_view::npos ? bytes.size() : lf + 1;
        if (Partial.size() + take > LineLimit) {
            CurrentFault = Fault::LineTooLong;
            break;
        }
        Partial.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (lf == std::string_view::npos) break;
        // Without AcceptLF a bare LF belongs to the line; only CR LF ends it.
        if (!AcceptLF && (Partial.size() < 2 || Partial[Partial.size() - 2] != '\r')) continue;
        ReplyBytes += Partial.size();
        if (ReplyBytes > ReplyLimit) {
            CurrentFault = Fault::ReplyTooLong;
            break;
        }
        TFtpReplyLine line = Classify(std::move(Partial));
        Partial.clear();
        if (line.Final) ReplyBytes = 0;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string QuotedPath(std::string_view reply) {
    const size_t open = reply.find('"');
    if (open == std::string_view::npos) return {};
    std::string path;
    for (size_t at = open + 1; at < reply.size(); ++at) {
        if (reply[at] != '"') {
            path += reply[at];
        } else if (at + 1 < reply.size() && reply[at + 1] == '"') {
            path += '"';
            ++at;
        } else {
            return path;
        }
    }
    return {}; // never closed
}

int ListedFileMode(std::string_view reply) {
    static constexpr std::string_view Letters = "rwxrwxrwx";
    while (!reply.empty()) {
        const size_t end = reply.find('\n');
        std::string_view line = reply.substr(0, end);
        reply.remove_prefix(end == std::string_view::npos ? reply.size() : end + 1);
        while (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
        if (line.size() < 11 || line[0] != '-' || line[10] != ' ') continue;
        int mode = 0;
        bool valid = true;
        for (size_t bit = 0; bit < 9 && valid; ++bit) {
            const char c = line[1 + bit];
            // The set-id and sticky letters stand in the execute places.
            const bool execute = bit % 3 == 2;
            if (c == Letters[bit] || (execute && (c == 's' || c == 't')))
                mode |= 1 << (8 - bit);
            else if (c != '-' && !(execute && (c == 'S' || c == 'T')))
                valid = false;
        }
        if (valid) return mode;
    }
    return -1;
}

} // namespace korvane
