#pragma once
// What a browser run shows: the program's output turned into the page the browser view
// loads, and the address under which a page's file is browsed.
#include "storage/html_colours.h"

#include <string>
#include <string_view>

namespace korvane {

// What the browser view loads for a run: the bytes, and the file extension that tells the
// view their type.
struct TBrowserPage {
    std::string Extension; // with its dot: ".html", ".txt", ".png", ...
    std::string Bytes;
};

// The page for a run's output. A CGI header at the top (up to and with the first empty line)
// is dropped and the type it declares decides how the rest shows: HTML as a page, images as
// images, any other type as plain text. Output without a header is HTML. SQL output is
// wrapped into a page of its own whose tables are coloured with sqlEditorColour.
TBrowserPage BrowserPageFor(std::string_view output, bool sqlOutput, TColor sqlEditorColour);

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
