#pragma once
// Which script a request path names, and what the path holds after it. The path is decoded and
// normalised first, and the script must lie in the CGI folder, so no request reaches a file
// outside it.
#include <string>
#include <string_view>

namespace korvane {

struct TCgiFolders {
    std::string CgiDir;         // the folder scripts are looked up in, absolute
    std::string LogicalCgiPath; // the address prefix of scripts, without separators ("cgi-bin")
    std::string DefaultDoc;     // appended to paths that end with "/"
};

enum class TCgiTargetKind {
    Leave,    // not a script under the prefix: the HTTP server maps it as a document
    Script,   // run File
    Missing,  // a script address with no such script in the CGI folder
    AddSlash, // a folder with an index script, named without its closing "/"
};

struct TCgiTarget {
    TCgiTargetKind Kind = TCgiTargetKind::Leave;
    std::string Path;       // the decoded, normalised request path, with the default document
    std::string File;       // the script (Script and Missing)
    std::string ScriptName; // the part of Path that names the script ("/cgi-bin/app.pl")
    std::string PathInfo;   // the part after it ("/extra/path"), "" for none
};

// ".cgi", ".pl" and ".php", in exactly this case.
bool IsCgiScriptExtension(std::string_view extension);

// A folder under the prefix runs its first index script (index.pl, index.cgi, index.php) before
// the default document; "/cgi-bin/app.pl/a/b" runs app.pl with the path information "/a/b".
TCgiTarget MapCgiRequest(const std::string& requestPath, const TCgiFolders& folders);

} // namespace korvane
