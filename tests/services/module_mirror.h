#pragma once
// A private CPAN mirror (file://) with tiny distributions of the tests' own, and a private
// local::lib that installs go to, both in a temp dir; nothing reaches the network.
#include "temp_dir.h"

#include <string>
#include <vector>

namespace korvane::test {

struct TAdapterRun {
    std::vector<std::string> Lines; // output and errors together
    int ExitCode = -1;
};

class ModuleMirror {
public:
    ModuleMirror();

    // True when perl and cpanm are installed.
    static bool ToolsInstalled();
    // Korvane's adapter in the source tree.
    static std::string Adapter();
    static std::string Perl();

    std::string MirrorUrl() const {
        return Mirror.empty() ? "file://" + Dir.File("mirror") : Mirror;
    }
    // Points the runs at another mirror (one out of reach).
    void SetMirrorUrl(const std::string& url) { Mirror = url; }
    std::string LocalLib() const { return Dir.File("locallib"); }
    std::string File(const std::string& relative) const { return Dir.File(relative); }

    // Adds distributions, "Name::Space=1.00" or "Name::Space=0.1:broken" (fails to build), and
    // lists them in the index.
    void Publish(const std::vector<std::string>& specs) const;
    // NAME=value lines of a run: a plain PATH, a private HOME, the mirror and the local::lib.
    std::vector<std::string> Environment() const;
    // perl, or the adapter, with these arguments (one text, split as command lines are).
    TAdapterRun RunPerl(const std::vector<std::string>& arguments) const;
    TAdapterRun RunAdapter(const std::string& arguments) const;

private:
    TempDir Dir;
    std::string Mirror;
};

} // namespace korvane::test
