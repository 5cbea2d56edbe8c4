// Writes the shipped template file from its readable outline:
//
//   korvane-make-templates <data>/templates/codetmpl.txt <output codetmpl.kvt>
//
// It is written by the template code of this very build, so it always matches the format
// this build reads. The file holds no dates or paths: it comes out the same on every build.
#include "storage/errors.h"
#include "storage/section_list.h"
#include "templates/code_template.h"
#include "templates/template_outline.h"

#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    using namespace korvane;
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " <outline .txt> <output .kvt>\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in) throw handledException(std::string("Cannot read ") + argv[1]);
        std::ostringstream text;
        text << in.rdbuf();
        TCodeTemplate root;
        root.SetDescription("Code Templates");
        ReadOutline(text.str(), root);
        TSectionList stream;
        root.SaveTemplateFile(stream, argv[2]);
    } catch (const std::exception& e) {
        std::cerr << argv[0] << ": " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
