// korvane-dump: prints the section tree of a stored file (project, templates, help tree).
#include "storage/section_dump.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv) {
    korvane::TDumpOptions options;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hex") == 0) {
            options.Hex = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << "usage: korvane-dump [--hex] FILE\n"
                         "Prints the sections of a Korvane project, template or help tree file:\n"
                         "name, stored length and, for compressed bodies, the engine and the\n"
                         "decompressed length. --hex adds the bytes of the values.\n"
                         "Exit status 1 when the file is damaged, 2 on usage or I/O errors.\n";
            return 0;
        } else if (!path && argv[i][0] != '-') {
            path = argv[i];
        } else {
            std::cerr << "korvane-dump: unexpected argument '" << argv[i] << "' (try --help)\n";
            return 2;
        }
    }
    if (!path) {
        std::cerr << "usage: korvane-dump [--hex] FILE\n";
        return 2;
    }
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
    return korvane::DumpStoredFile(bytes, std::cout, options) ? 0 : 1;
}
