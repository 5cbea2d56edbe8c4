#pragma once
// The parsed request of one HTTP connection: request line, recognised header values, the
// header list, and the byte range a Range header asks for. Plain data, no sockets.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct THttpRequestHeader {
    std::string Method;  // upper case
    std::string Version; // upper case, "HTTP/1.0" when the request line has none
    std::string Path;    // URL path without the query
    std::string Params;  // text after the first "?"
    std::string RequestContentType;
    int32_t RequestContentLength = 0;
    std::string RequestAccept;
    std::string RequestReferer;
    std::string RequestAcceptLanguage;
    std::string RequestAcceptEncoding;
    std::string RequestUserAgent;
    std::string RequestAuth;
    std::string RequestCookie;
    std::string RequestHost;
    std::string RequestHostName;
    std::string RequestHostPort;
    std::string RequestConnection;
    std::string RequestRangeText;
    bool HasRange = false;
    int64_t RequestRangeFirst = 0;          // -1: absent ("-500" asks for the last 500 bytes)
    int64_t RequestRangeLast = 0;           // -1: absent ("500-" runs to the end)
    bool RangeValid = false;                // one well-formed byte range
    std::vector<std::string> RequestHeader; // every non-empty header line, as received
    size_t HeaderBytes = 0;

    // Empties every field.
    void Clear();
    // Clears everything and reads a request line.
    void ParseRequestLine(std::string_view line);
    // Stores one non-empty header line; serverPort is the host port when Host names none.
    void ParseHeaderLine(std::string_view line, const std::string& serverPort);
    // True for HTTP/1.0 or "Connection: close": the reply ends the connection.
    bool ClosesAfterReply() const;
};

// The bytes a range selects from a file of the given size.
struct TByteRange {
    enum class Kind { Whole, Part, Unsatisfiable } Result = Kind::Whole;
    int64_t Offset = 0;
    int64_t Count = 0;
};
// Whole when the request has no usable Range header (ignored as HTTP allows), Part for the
// bytes to send with 206, Unsatisfiable for 416.
TByteRange ResolveRange(const THttpRequestHeader& request, int64_t fileSize);

// Strips the line end ("\n" and one "\r" before it) from a received line.
std::string_view StripLineEnd(std::string_view line);

} // namespace korvane
