// Loading and saving a large text file with line-ending conversion, against plain whole-file
// reads and writes of the same bytes (the floor any loader stands on). Times are processor
// time of this process (user + system), which a busy machine disturbs less than wall time.
//   bench_line_endings [megabytes] [runs]
#include "storage/line_endings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace korvane;

namespace {

double MedianSeconds(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const std::clock_t start = std::clock();
        work();
        times.push_back(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string RawRead(const std::string& path) {
    std::string bytes;
    bytes.reserve(std::filesystem::file_size(path));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    char buffer[1 << 16];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, count);
    std::fclose(file);
    return bytes;
}

void RawWrite(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

} // namespace

int main(int argc, char** argv) {
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 50;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string path =
        (std::filesystem::temp_directory_path() / "korvane-bench-lines.txt").string();

    std::string unix;
    const std::string line = "    my $value = $hash{'key'} + compute($x, $y); # comment text\n";
    while (unix.size() < static_cast<size_t>(megabytes) * 1024 * 1024)
        unix += line;
    RawWrite(path, unix);

    std::string sink;
    const double raw = MedianSeconds(runs, [&] { sink = RawRead(path); });
    const double text = MedianSeconds(runs, [&] { LoadConvertedText(path, sink); });
    TEditorText editorText;
    const double forEditor = MedianSeconds(runs, [&] { LoadEditorText(path, editorText); });
    std::vector<std::string> lines;
    const double asLines = MedianSeconds(runs, [&] { LoadLines(path, lines); });
    std::string converted;
    LoadConvertedText(path, converted);
    const double rawWrite = MedianSeconds(runs, [&] { RawWrite(path, unix); });
    const double save =
        MedianSeconds(runs, [&] { SaveConvertedText(path, converted, leLf, leLf); });
    std::filesystem::remove(path);

    std::printf("%ld MB, %zu lines, median processor time of %d runs\n", megabytes, lines.size(),
                runs);
    std::printf("plain read          %8.3f s\n", raw);
    std::printf("LoadConvertedText   %8.3f s  x%.2f of plain read\n", text, text / raw);
    std::printf("LoadEditorText      %8.3f s  x%.2f of plain read\n", forEditor, forEditor / raw);
    std::printf("LoadLines           %8.3f s  x%.2f of plain read\n", asLines, asLines / raw);
    std::printf("plain write         %8.3f s\n", rawWrite);
    std::printf("SaveConvertedText   %8.3f s  x%.2f of plain write\n", save, save / rawWrite);
    return 0;
}
