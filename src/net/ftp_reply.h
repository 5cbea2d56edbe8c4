#pragma once
// Cuts the bytes of an FTP control connection into reply lines and tells which line ends a
// reply. Memory stays bounded whatever the server sends: an over-long line or a reply that
// never ends is reported as a fault instead of being collected.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct TFtpReplyLine {
    std::string Text;   // without its line end
    bool Final = false; // ends a reply; Code is then its status code
    int Code = 0;
};

class TFtpReplyReader {
public:
    static constexpr size_t LineLimit = 4096;   // the receive buffer of the control connection
    static constexpr size_t ReplyLimit = 65536; // all lines of one reply together

    enum class Fault { None, LineTooLong, ReplyTooLong };

    // acceptLF: a line ends at LF (a CR before it is dropped); otherwise only at CR LF.
    explicit TFtpReplyReader(bool acceptLF = true) : AcceptLF(acceptLF) {}

    void SetAcceptLF(bool on) { AcceptLF = on; }
    void Reset();

    // Appends received bytes and returns the lines they complete, in order. After a fault
    // nothing more is read until Reset.
    std::vector<TFtpReplyLine> Feed(std::string_view bytes);
    Fault GetFault() const { return CurrentFault; }

private:
    TFtpReplyLine Classify(std::string text);

    bool AcceptLF;
    std::string Partial;   // bytes of the line not yet complete
    std::string MultiCode; // the code of an open multi-line reply ("" when none)
    size_t ReplyBytes = 0; // bytes of the reply in progress
    Fault CurrentFault = Fault::None;
};

// Leading decimal digits of a line, or -1 when it does not start with a digit.
int LeadingNumber(std::string_view line, size_t* digits = nullptr);

// The folder a 257 reply names ("257 \"/www/a \"\"b\"\"\" is the current directory"): the text
// between the first quote and its closing one, with doubled quotes as one. Empty when the
// reply has none.
std::string QuotedPath(std::string_view reply);

// The permission bits of the regular file a STAT reply lists in "ls -l" form
// ("-rwxr-xr-x 1 owner group ..."); -1 when the reply lists none.
int ListedFileMode(std::string_view reply);

} // namespace korvane
