#include "publish/unix_permissions.h"

namespace korvane {

std::string PadPermissionValue(std::string value) {
    if (value.size() > 3) return value.substr(value.size() - 3);
    return std::string(3 - value.size(), '0') + value;
}

TPermissionBits PermissionBits(const std::string& value) {
    const std::string digits = PadPermissionValue(value);
    TPermissionBits bits{};
    for (size_t who = 0; who < 3; ++who) {
        const char c = digits[who];
        const int digit = c >= '0' && c <= '7' ? c - '0' : 0;
        bits[who * 3] = digit & 4;
        bits[who * 3 + 1] = digit & 2;
        bits[who * 3 + 2] = digit & 1;
    }
    return bits;
}

std::string PermissionValue(const TPermissionBits& bits) {
    std::string value;
    for (size_t who = 0; who < 3; ++who)
        value +=
            static_cast<char>('0' + 4 * bits[who * 3] + 2 * bits[who * 3 + 1] + bits[who * 3 + 2]);
    return value;
}

std::string UnixAttribsText(const std::string& value) {
    const TPermissionBits bits = PermissionBits(value);
    std::string text = "Unix Attribs: -";
    for (size_t i = 0; i < bits.size(); ++i)
        text += bits[i] ? "rwx"[i % 3] : '-';
    return text;
}

} // namespace korvane
