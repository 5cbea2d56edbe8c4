// Writes the shipped help tree file from its readable outline:
//
//   korvane-make-help <data>/help_tree.txt <output kv2_1_0.kvh>
//
// Written by the help code of this very build, so it always matches what this build reads.
#include "help/help_file.h"
#include "help/help_outline.h"
#include "storage/errors.h"
#include "storage/section_list.h"

#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    using namespace korvane;
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " <outline .txt> <output .kvh>\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in) throw handledException(std::string("Cannot read ") + argv[1]);
        std::ostringstream text;
        text << in.rdbuf();
        TSectionList list;
        SaveHelpFile(list, argv[2], *ReadHelpOutline(text.str()), {});
    } catch (const std::exception& e) {
        std::cerr << argv[0] << ": " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
