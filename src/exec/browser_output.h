#pragma once
// What a browser run shows: the program's output turned into the page the browser view
// loads, and the address under which a page's file is browsed.
#include "storage/html_colours.h"

#include <string>
#include <vector>

namespace korvane {

// The output lines without a leading CGI header (a first line "Content-type:" up to and with
// the first empty line). SQL output is wrapped into a page of its own whose tables are
// coloured with sqlEditorColour.
std::vector<std::string> BrowserPageLines(std::vector<std::string> output, bool sqlOutput,
                                          TColor sqlEditorColour);

// The local web server as a page's address needs it.
struct TWebAddressBase {
    bool Started = false;
    std::string Host;          // the name the local machine reaches its own server under
    std::string Port;          // "" or "80": left out of the address
    std::string RootPath;      // documents
    std::string CgiBinPath;    // scripts, physically
    std::string LogicalCgiBin; // scripts, in addresses
};

// The address at which the browser view shows file: through the local web server when it is
// started and serves the file (documents under the root, scripts under the CGI folder),
// otherwise the file itself.
std::string HttpFileName(const std::string& file, const TWebAddressBase& web);

} // namespace korvane
