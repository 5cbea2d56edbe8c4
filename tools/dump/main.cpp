// korvane-dump: prints the section tree of a stored file (project, templates, help tree).
#include "storage/command_options.h"
#include "storage/section_dump.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv) {
    korvane::TDumpOptions dump;
    korvane::TCommandOptions options(
        "korvane-dump", {"[--hex] FILE"},
        "Prints the sections of a Korvane project, template or help tree file: name, stored\n"
        "length and, for compressed bodies, the engine and the decompressed length.\n"
        "Exit status 1 when the file is damaged, 2 on usage or I/O errors.");
    options.Flag("--hex", "add the bytes of the values", dump.Hex).Operands("FILE", 1, 1);
    const auto parsed = options.Parse(argc, argv, std::cout, std::cerr);
    if (parsed.ExitStatus) return *parsed.ExitStatus;

    const std::string& path = parsed.Operands.front();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "korvane-dump: cannot open " << path << ": " << std::strerror(errno) << "\n";
        return 2;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::cerr << "korvane-dump: error reading " << path << "\n";
        return 2;
    }
    return korvane::DumpStoredFile(bytes, std::cout, dump) ? 0 : 1;
}
