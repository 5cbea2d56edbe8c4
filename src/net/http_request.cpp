#include "net/http_request.h"

#include "storage/text_utils.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string_view>
#include <strings.h>

namespace korvane {

namespace {

std::string_view TrimView(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string Trim(const std::string& text) {
    return std::string(TrimView(text));
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const size_t length = std::char_traits<char>::length(prefix);
    return text.size() >= length && strncasecmp(text.data(), prefix, length) == 0;
}

// A whole decimal number without sign or garbage; false leaves value alone.
template <typename Int> bool ParseNumber(const std::string& text, Int& value) {
    const std::string digits = Trim(text);
    if (digits.empty()) return false;
    Int parsed{};
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (error != std::errc() || end != digits.data() + digits.size() || parsed < 0) return false;
    value = parsed;
    return true;
}

} // namespace

std::string_view StripLineEnd(std::string_view line) {
    size_t length = line.size();
    if (length > 0 && line[length - 1] == '\n') --length;
    if (length > 0 && line[length - 1] == '\r') --length;
    return line.substr(0, length);
}

void THttpRequestHeader::Clear() {
    // Field by field, so the texts keep their storage for the next request.
    for (std::string* text :
         {&Method, &Version, &Path, &Params, &RequestContentType, &RequestAccept, &RequestReferer,
          &RequestAcceptLanguage, &RequestAcceptEncoding, &RequestUserAgent, &RequestAuth,
          &RequestCookie, &RequestHost, &RequestHostName, &RequestHostPort, &RequestConnection,
          &RequestRangeText})
        text->clear();
    RequestContentLength = 0;
    HasRange = false;
    RequestRangeFirst = RequestRangeLast = 0;
    RangeValid = false;
    RequestHeader.clear();
    HeaderBytes = 0;
}

void THttpRequestHeader::ParseRequestLine(std::string_view line) {
    Clear();
    size_t i = line.find(' ');
    Method = UpperText(line.substr(0, i));
    auto skipSpaces = [&] {
        while (i < line.size() && line[i] == ' ')
            ++i;
    };
    if (i == std::string_view::npos) i = line.size();
    skipSpaces();
    size_t end = line.find(' ', i);
    if (end == std::string_view::npos) end = line.size();
    const std::string_view target = line.substr(i, end - i);
    const size_t question = target.find('?');
    Path = target.substr(0, question);
    if (question != std::string_view::npos) Params = target.substr(question + 1);
    i = end;
    skipSpaces();
    end = line.find(' ', i);
    if (end == std::string_view::npos) end = line.size();
    Version = UpperText(TrimView(line.substr(i, end - i)));
    if (Version.empty()) Version = "HTTP/1.0";
}

void THttpRequestHeader::ParseHeaderLine(std::string_view line, const std::string& serverPort) {
    if (line.empty()) return;
    RequestHeader.emplace_back(line);
    HeaderBytes += line.size();
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return;
    size_t start = colon + 1;
    while (start < line.size() && line[start] == ' ')
        ++start;
    const std::string value(line.substr(start));
    // The name is all before the first colon; only names of the same length are compared.
    const std::string_view name = line.substr(0, colon);
    const auto named = [&name](std::string_view wanted) {
        return name.size() == wanted.size() &&
               strncasecmp(name.data(), wanted.data(), wanted.size()) == 0;
    };

    if (named("content-type"))
        RequestContentType = value;
    else if (named("content-length"))
        ParseNumber(value, RequestContentLength);
    else if (named("Accept"))
        RequestAccept = value;
    else if (named("Referer"))
        RequestReferer = value;
    else if (named("Accept-Language"))
        RequestAcceptLanguage = value;
    else if (named("Accept-Encoding"))
        RequestAcceptEncoding = value;
    else if (named("User-Agent"))
        RequestUserAgent = value;
    else if (named("Authorization"))
        RequestAuth = value;
    else if (named("Cookie"))
        RequestCookie = value;
    else if (named("Host")) {
        RequestHost = value;
        const size_t hostColon = value.find(':');
        RequestHostName = value.substr(0, hostColon);
        RequestHostPort = hostColon == std::string::npos ? serverPort : value.substr(hostColon + 1);
    } else if (named("Connection"))
        RequestConnection = value;
    else if (named("Range")) {
        RequestRangeText = Trim(value);
        HasRange = true;
        RangeValid = false;
        RequestRangeFirst = RequestRangeLast = 0;
        // One range "bytes=first-last"; either end may be missing, not both.
        if (!StartsWithNoCase(RequestRangeText, "bytes=")) return;
        const std::string rangeSet = RequestRangeText.substr(6);
        const size_t dash = rangeSet.find('-');
        if (dash == std::string::npos || rangeSet.find(',') != std::string::npos) return;
        const std::string first = Trim(rangeSet.substr(0, dash));
        const std::string last = Trim(rangeSet.substr(dash + 1));
        int64_t firstValue = -1, lastValue = -1;
        if (!first.empty() && !ParseNumber(first, firstValue)) return;
        if (!last.empty() && !ParseNumber(last, lastValue)) return;
        if (first.empty() && last.empty()) return;
        if (firstValue >= 0 && lastValue >= 0 && lastValue < firstValue) return;
        RequestRangeFirst = firstValue;
        RequestRangeLast = lastValue;
        RangeValid = true;
    }
}

bool THttpRequestHeader::ClosesAfterReply() const {
    return Version == "HTTP/1.0" || strcasecmp(Trim(RequestConnection).c_str(), "close") == 0;
}

TByteRange ResolveRange(const THttpRequestHeader& request, int64_t fileSize) {
    TByteRange range;
    if (!request.HasRange || !request.RangeValid) return range;
    if (request.RequestRangeFirst < 0) { // suffix: the last N bytes
        if (request.RequestRangeLast == 0 || fileSize == 0) {
            range.Result = TByteRange::Kind::Unsatisfiable;
            return range;
        }
        range.Result = TByteRange::Kind::Part;
        range.Count = std::min(request.RequestRangeLast, fileSize);
        range.Offset = fileSize - range.Count;
        return range;
    }
    if (request.RequestRangeFirst >= fileSize) {
        range.Result = TByteRange::Kind::Unsatisfiable;
        return range;
    }
    const int64_t last = request.RequestRangeLast < 0
                             ? fileSize - 1
                             : std::min(request.RequestRangeLast, fileSize - 1);
    range.Result = TByteRange::Kind::Part;
    range.Offset = request.RequestRangeFirst;
    range.Count = last - request.RequestRangeFirst + 1;
    return range;
}

} // namespace korvane
