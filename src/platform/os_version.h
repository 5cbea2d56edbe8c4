#pragma once
// The operating system's version as the log reports it: major, minor and build numbers from
// the kernel release ("6.1.0-18-amd64" gives 6, 1, 0), the system's name and its machine.
#include <string>

namespace korvane {

struct TOsVersion {
    int Major = 0;
    int Minor = 0;
    int Build = 0;
    std::string Platform; // "Linux"
    std::string Machine;  // "x86_64"
};

TOsVersion OsVersion();
// The numbers of a kernel release text; missing ones are 0.
void ParseKernelRelease(const std::string& release, TOsVersion& version);

} // namespace korvane
