#pragma once
// What a text ("ASCII") upload means here, on FTP and SFTP alike: the file arrives with LF
// line ends. FTP servers differ in what they do with ASCII mode (some strip the CR of each
// CR LF, some store the bytes as they come), so the client sends LF ends itself and every
// server stores them unchanged. A CR that is not part of a CR LF is kept.
#include <string>
#include <string_view>

namespace korvane {

class TLfLineEnds {
public:
    // The converted form of the next piece of the file. A CR at the end of a piece is held
    // until the next piece shows whether an LF follows it.
    std::string Convert(std::string_view piece);
    // What is still held at the end of the file.
    std::string Finish();

private:
    bool HeldCr = false;
};

// The name an upload is written under beside its target until it is complete: hidden, and
// tied to the target's name so that a later upload of the same file replaces a leftover.
std::string TemporaryUploadName(const std::string& name);

} // namespace korvane
