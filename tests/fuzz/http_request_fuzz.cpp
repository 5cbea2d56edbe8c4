// Feeds arbitrary bytes through request parsing as a connection sees them: request line,
// header lines, the Range it asks for and the mapping of its path below a root.
#include "net/http_request.h"
#include "net/http_text.h"
#include "storage/url_coding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvane;
    const std::string input(reinterpret_cast<const char*>(data), size);
    THttpRequestHeader request;
    size_t start = 0;
    bool first = true;
    while (start <= input.size()) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string line(
            StripLineEnd(std::string_view(input).substr(start, end + 1 - start)));
        if (first)
            request.ParseRequestLine(line);
        else
            request.ParseHeaderLine(line, "80");
        first = false;
        start = end + 1;
    }
    for (const int64_t fileSize : {int64_t{0}, int64_t{1}, int64_t{1000}, int64_t{1} << 40}) {
        const TByteRange range = ResolveRange(request, fileSize);
        if (range.Result == TByteRange::Kind::Part &&
            (range.Offset < 0 || range.Count <= 0 || range.Offset + range.Count > fileSize))
            std::abort();
    }
    const std::string root = "/srv/www";
    const std::string document = NormalizeLocalPath(root + DecodeRequestPath(request.Path));
    // Whatever the path, the normalised result holds no ".." segment.
    if (document.find("/../") != std::string::npos || document.ends_with("/..")) std::abort();
    TextToHtmlText(request.Path);
    FormEncode(request.Params);
    return 0;
}
