#include "help/help_pages.h"

#include "storage/text_utils.h"

#include <cctype>

namespace korvane {

std::string TagAttribute(const std::string& tag, const std::string& name) {
    const std::string lower = LowerText(tag);
    const std::string wanted = LowerText(name) + "=\"";
    for (size_t at = lower.find(wanted); at != std::string::npos; at = lower.find(wanted, at + 1)) {
        // The name must stand alone: "src" is not the end of "data-src".
        if (at > 0 && !std::isspace(static_cast<unsigned char>(lower[at - 1]))) continue;
        const size_t start = at + wanted.size();
        const size_t end = tag.find('"', start);
        if (end == std::string::npos) return {};
        return tag.substr(start, end - start);
    }
    return {};
}

std::string WithPicturesTaken(const std::string& page,
                              const std::function<bool(const std::string& src)>& taken) {
    const std::string lower = LowerText(page);
    std::string result;
    size_t done = 0;
    for (size_t at = lower.find("<img"); at != std::string::npos; at = lower.find("<img", at)) {
        const size_t end = page.find('>', at);
        if (end == std::string::npos) break;
        const std::string tag = page.substr(at, end + 1 - at);
        if (!taken(TagAttribute(tag, "src"))) {
            result += page.substr(done, at - done);
            result += "<span class=\"picture\">" + TagAttribute(tag, "alt") + "</span>";
            done = end + 1;
        }
        at = end + 1;
    }
    return result + page.substr(done);
}

} // namespace korvane
