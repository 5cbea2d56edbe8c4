#include "platform/os_version.h"

#include <sys/utsname.h>

#include <cctype>

namespace korvane {

void ParseKernelRelease(const std::string& release, TOsVersion& version) {
    int* const parts[] = {&version.Major, &version.Minor, &version.Build};
    size_t at = 0;
    for (int* part : parts) {
        *part = 0;
        if (at >= release.size() || !std::isdigit(static_cast<unsigned char>(release[at]))) break;
        while (at < release.size() && std::isdigit(static_cast<unsigned char>(release[at])) &&
               *part < 100000)
            *part = *part * 10 + (release[at++] - '0');
        if (at >= release.size() || release[at] != '.') break;
        ++at;
    }
}

TOsVersion OsVersion() {
    TOsVersion version;
    utsname names{};
    if (uname(&names) != 0) return version;
    version.Platform = names.sysname;
    version.Machine = names.machine;
    ParseKernelRelease(names.release, version);
    return version;
}

} // namespace korvane
