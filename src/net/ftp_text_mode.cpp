#include "net/ftp_text_mode.h"

namespace korvane {

std::string TLfLineEnds::Convert(std::string_view piece) {
    if (piece.empty()) return {}; // a held CR waits for what comes after it
    std::string out;
    out.reserve(piece.size() + 1);
    if (HeldCr && piece.front() != '\n') out.push_back('\r');
    HeldCr = false;
    for (size_t i = 0; i < piece.size(); ++i) {
        if (piece[i] == '\r') {
            if (i + 1 == piece.size()) {
                HeldCr = true;
                continue;
            }
            if (piece[i + 1] == '\n') continue;
        }
        out.push_back(piece[i]);
    }
    return out;
}

std::string TLfLineEnds::Finish() {
    const bool held = HeldCr;
    HeldCr = false;
    return held ? std::string(1, '\r') : std::string();
}

std::string TemporaryUploadName(const std::string& name) {
    return "." + name + ".part";
}

} // namespace korvane
