// Saves and loads a project whose blocks are large (long history and environment lists, many
// file types and named schemes) and prints milliseconds per save and per load, each against
// the peer of writing and reading the same number of bytes as one plain file.
//
//   bench_project_file [rounds]
#include "exec/console_controller.h"
#include "model/global_settings.h"
#include "project/kor_project.h"
#include "storage/section_list.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace fs = std::filesystem;
using namespace korvane;

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename F> double Milliseconds(F work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void FillLargeBlocks(TKorProject& project) {
    std::mt19937 random(1);
    auto word = [&](size_t length) {
        std::string text(length, ' ');
        for (char& c : text)
            c = static_cast<char>('a' + random() % 26);
        return text;
    };
    TStringList history, env;
    for (int i = 0; i < 2000; ++i)
        history.push_back(word(40));
    for (int i = 0; i < 2000; ++i)
        env.push_back("Y" + word(12) + "=" + word(60));
    project.setSearchHistory(history);
    project.setReplaceHistory(history);
    project.setPropertyPageHistory(history);
    project.setProjectEnvVars(env);
    project.setNotes(word(30000));
    project.FileTypes().MakeDefault();
    for (int i = 0; i < 1000; ++i)
        project.FileTypes().Add({word(30), word(5), true, i % 2 == 0});
    for (int i = 0; i < 200; ++i)
        project.SchemeList().Add(std::make_unique<TAttribDetails>()).SetName(word(10));
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const fs::path dir =
        fs::temp_directory_path() / ("korvane-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir / "home" / "temp");
    ::setenv("KORVANE_HOME", (dir / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    CreateSectionList();
    {
        TGlobalSettings settings;
        TConsoleController console;
        TKorProject project(settings, console);
        FillLargeBlocks(project);
        const std::string file = (dir / "large.kvp").string();
        const std::string plain = (dir / "plain.bin").string();

        std::vector<double> save, load, rawWrite, rawRead;
        std::string bytes;
        for (int i = 0; i < rounds; ++i) {
            project.setModified(true);
            save.push_back(Milliseconds([&] { project.SaveToFile(file); }));
            TKorProject loaded(settings, console);
            load.push_back(Milliseconds([&] { loaded.LoadFromFile(file); }));

            std::ifstream in(file, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            rawWrite.push_back(Milliseconds([&] {
                std::FILE* out = std::fopen(plain.c_str(), "wb");
                std::fwrite(bytes.data(), 1, bytes.size(), out);
                std::fflush(out);
                ::fsync(fileno(out));
                std::fclose(out);
            }));
            rawRead.push_back(Milliseconds([&] {
                std::ifstream back(plain, std::ios::binary);
                std::string copy{std::istreambuf_iterator<char>(back),
                                 std::istreambuf_iterator<char>()};
                if (copy.size() != bytes.size()) std::abort();
            }));
        }
        std::printf("project file: %zu bytes, %d rounds (medians)\n", bytes.size(), rounds);
        std::printf(
            "save: %8.2f ms   plain write+fsync of the same bytes: %6.2f ms   ratio %6.1f\n",
            Median(save), Median(rawWrite), Median(save) / Median(rawWrite));
        std::printf(
            "load: %8.2f ms   plain read of the same bytes:        %6.2f ms   ratio %6.1f\n",
            Median(load), Median(rawRead), Median(load) / Median(rawRead));
    }
    FreeSectionList();
    fs::remove_all(dir);
    return 0;
}
