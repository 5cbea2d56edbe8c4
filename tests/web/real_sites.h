#pragma once
// Two CGI applications nobody here wrote, from their Debian packages, set up in a folder of
// their own as a user would serve them: gitweb (Perl) over a small repository, and DokuWiki
// (PHP) with one user. Both live below the CGI folder www/cgi-bin, so their static files are
// documents at the same addresses as their scripts.
#include <string>
#include <vector>

namespace korvane::test {

struct TRealSites {
    // The packages missing for the sites, "" when all are there.
    static std::string MissingPackages();

    // Sets both sites up below folder.
    explicit TRealSites(const std::string& folder);

    std::string Root; // the document root, www
    std::string Cgi;  // www/cgi-bin
    // What the server's scripts need in their environment (check-list lines): where gitweb
    // finds its configuration.
    std::vector<std::string> EnvVars;

    // A file of random bytes committed to the repository "test.git", and its bytes.
    static constexpr const char* RepositoryFile = "logo.bin";
    std::string RepositoryBytes;
    // A picture of DokuWiki's own media, as its media id and the bytes of its file.
    static constexpr const char* WikiMedia = "wiki:dokuwiki-128.png";
    std::string WikiMediaBytes;

    static constexpr const char* WikiUser = "admin";
    static constexpr const char* WikiPassword = "secret";
    static constexpr const char* WikiUserName = "Wiki Admin";

    // A standards-mode page in the root that loads each address in a frame and writes, for each,
    // its document's compatibility mode and the computed value of property on the first element
    // matching selector: "address mode selector value" lines in the element with id "out".
    struct TStyleProbe {
        std::string Address;
        std::string Selector;
        std::string Property; // a CSSStyleDeclaration member: "backgroundColor"
    };
    std::string WriteStyleProbe(const std::vector<TStyleProbe>& probes) const;
};

// Runs a program to its end and returns its standard output; fails the test when it does not
// end with status 0.
std::string RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workDir = {});

// Headless Chromium's rendering of url after its scripts ran (--dump-dom), in a new profile
// below profileFolder.
std::string ChromiumDom(const std::string& url, const std::string& profileFolder);

} // namespace korvane::test
