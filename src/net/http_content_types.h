#pragma once
// The content type of a document by its file name: the system's table (/etc/mime.types, in the
// format every Unix web server reads), the server's own entries where they differ, and a small
// built-in table when the system has none. Text types carry "; charset=utf-8"; a name the table
// does not know is "application/octet-stream".
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace korvane {

class THttpContentTypes {
public:
    // The table made from text in the mime.types format: "type ext ext ..." per line, "#"
    // starting a comment.
    static THttpContentTypes FromMimeTypes(std::string_view text);
    // The table of the most common types, for a system without /etc/mime.types.
    static THttpContentTypes BuiltIn();
    // /etc/mime.types, or the built-in table when it cannot be read; read once.
    static const THttpContentTypes& System();

    // The type for fileName: the longest extension the table knows ("tar.gz" before "gz"),
    // without regard to letter case.
    std::string_view TypeOf(std::string_view fileName) const;
    size_t Size() const { return Types.size(); }

    static constexpr std::string_view Unknown = "application/octet-stream";

private:
    // Adds a type from the table; an extension listed under two types keeps the more standard
    // of the two, or, when neither is, says nothing sure (application/octet-stream).
    void Add(std::string_view extension, std::string_view type);
    // The server's own entries and the charset of text types.
    void Finish();

    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };
    std::unordered_map<std::string, std::string, Hash, std::equal_to<>> Types;
};

} // namespace korvane
