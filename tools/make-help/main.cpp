// Writes the shipped help from its readable sources:
//
//   korvane-make-help <data>/help_tree.txt <output kv2_1_0.kvh>
//       the help tree file, from its outline;
//   korvane-make-help --pages <source folder> <output folder> [picture...]
//       every page (*.htm) of the source folder, each picture not named replaced by its alt
//       text (the pictures are taken of the program where the build can start it).
//
// Written by the help code of this very build, so it always matches what this build reads.
#include "help/help_file.h"
#include "help/help_outline.h"
#include "help/help_pages.h"
#include "storage/errors.h"
#include "storage/section_list.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw korvane::handledException("Cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) throw korvane::handledException("Cannot write " + path.string());
}

void WritePages(const std::filesystem::path& source, const std::filesystem::path& output,
                const std::vector<std::string>& pictures) {
    std::filesystem::create_directories(output);
    const auto taken = [&pictures](const std::string& src) {
        return std::find(pictures.begin(), pictures.end(), src) != pictures.end();
    };
    for (const auto& entry : std::filesystem::directory_iterator(source))
        if (entry.path().extension() == ".htm")
            WriteFile(output / entry.path().filename(),
                      korvane::WithPicturesTaken(ReadFile(entry.path()), taken));
}

} // namespace

int main(int argc, char** argv) {
    using namespace korvane;
    const bool pages = argc >= 4 && std::string(argv[1]) == "--pages";
    if (!pages && argc != 3) {
        std::cerr << "usage: " << argv[0] << " <outline .txt> <output .kvh>\n"
                  << "       " << argv[0]
                  << " --pages <source folder> <output folder> [picture...]\n";
        return 2;
    }
    try {
        if (pages) {
            std::vector<std::string> pictures;
            for (int i = 4; i < argc; ++i)
                pictures.push_back(std::string("images/") + argv[i]);
            WritePages(argv[2], argv[3], pictures);
        } else {
            TSectionList list;
            SaveHelpFile(list, argv[2], *ReadHelpOutline(ReadFile(argv[1])), {});
        }
    } catch (const std::exception& e) {
        std::cerr << argv[0] << ": " << argv[pages ? 2 : 1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
