// Compression and decompression speed of the two stored-file engines against zlib, measured in
// the same run on the same data: Perl module source text and random bytes.
#include "storage/lzrw1.h"

#include <malloc.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace korvane;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr size_t Target = 20u << 20;

int Runs() {
    const char* text = std::getenv("KORVANE_BENCH_RUNS");
    const int runs = text ? std::atoi(text) : 0;
    return runs > 0 ? runs : 5;
}

// CPU time of this thread: on a machine shared with other work, wall time mostly measures the
// wait for a core, and that wait differs between two engines measured one after the other.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

Bytes PerlSource() {
    std::vector<std::filesystem::path> files;
    for (const char* root : {"/usr/share/perl", "/usr/share/perl5"}) {
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->is_regular_file() && it->path().extension() == ".pm")
                files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    Bytes text;
    while (text.size() < Target && !files.empty()) {
        for (const auto& f : files) {
            std::ifstream in(f, std::ios::binary);
            text.insert(text.end(), std::istreambuf_iterator<char>(in),
                        std::istreambuf_iterator<char>());
            if (text.size() >= Target) break;
        }
    }
    text.resize(std::min(text.size(), Target));
    return text;
}

Bytes RandomBytes() {
    std::mt19937_64 rng(42);
    Bytes out(Target);
    for (size_t i = 0; i < out.size(); i += 8) {
        const uint64_t v = rng();
        std::copy_n(reinterpret_cast<const uint8_t*>(&v), 8, out.data() + i);
    }
    return out;
}

struct Engine {
    const char* Name;
    std::function<Bytes(const Bytes&)> Pack;
    std::function<Bytes(const Bytes&, size_t)> Unpack;
};

Engine Ours(const char* name, TCompressMode mode) {
    return {name,
            [mode](const Bytes& in) {
                Tlzrw1 z;
                z.SetCompressMode(mode);
                TSpanStream src(in.data(), in.size());
                TMemoryStream dst;
                z.SetInputStream(&src);
                z.SetOutputStream(&dst);
                z.Compress();
                return dst.TakeBytes();
            },
            [](const Bytes& in, size_t) {
                Tlzrw1 z;
                TSpanStream src(in.data(), in.size());
                TMemoryStream dst;
                z.SetInputStream(&src);
                z.SetOutputStream(&dst);
                z.Decompress();
                return dst.TakeBytes();
            }};
}

Engine Zlib(const char* name, int level) {
    return {name,
            [level](const Bytes& in) {
                uLongf size = compressBound(in.size());
                Bytes out(size);
                compress2(out.data(), &size, in.data(), in.size(), level);
                out.resize(size);
                return out;
            },
            [](const Bytes& in, size_t original) {
                Bytes out(original);
                uLongf size = original;
                uncompress(out.data(), &size, in.data(), in.size());
                out.resize(size);
                return out;
            }};
}

template <typename Fn> double MedianSeconds(Fn fn) {
    std::vector<double> times;
    fn(); // warm-up: the buffers of the timed runs come from memory this run has touched
    for (int i = 0, runs = Runs(); i < runs; ++i) {
        const double start = ThreadSeconds();
        fn();
        times.push_back(ThreadSeconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    // Keep freed buffers in the heap instead of giving them back to the system: on virtual
    // machines a first touch of fresh memory can cost more than the coding itself, and which
    // engine happens to get fresh pages depends only on the order of allocations.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    const std::vector<std::pair<const char*, Bytes>> inputs = {{"Perl source", PerlSource()},
                                                               {"random bytes", RandomBytes()}};
    const std::vector<Engine> engines = {Ours("LZRW1/KH", TCompressMode::Fast),
                                         Ours("LZHUF", TCompressMode::Good), Zlib("zlib -1", 1),
                                         Zlib("zlib -6", 6)};
    std::printf(
        "median of %d runs (KORVANE_BENCH_RUNS) of thread CPU time; speeds in MB/s of uncompressed "
        "data; x = speed / zlib -1\n",
        Runs());
    for (const auto& [label, data] : inputs) {
        const double mb = static_cast<double>(data.size()) / (1 << 20);
        struct Row {
            const char* Name;
            double Ratio, Pack, Unpack;
        };
        std::vector<Row> rows;
        for (const Engine& e : engines) {
            Bytes packed, back;
            const double pack = MedianSeconds([&] { packed = e.Pack(data); });
            const double unpack = MedianSeconds([&] { back = e.Unpack(packed, data.size()); });
            if (back != data) {
                std::fprintf(stderr, "%s: round trip failed on %s\n", e.Name, label);
                return 1;
            }
            rows.push_back({e.Name,
                            static_cast<double>(packed.size()) / static_cast<double>(data.size()),
                            mb / pack, mb / unpack});
        }
        const Row& peer = rows[2]; // zlib -1
        std::printf("\n%s: %.1f MB\n%-10s %8s %9s %7s %9s %7s\n", label, mb, "engine", "size",
                    "pack", "x", "unpack", "x");
        for (const Row& r : rows)
            std::printf("%-10s %7.1f%% %9.1f %6.2fx %9.1f %6.2fx\n", r.Name, 100.0 * r.Ratio,
                        r.Pack, r.Pack / peer.Pack, r.Unpack, r.Unpack / peer.Unpack);
    }
    return 0;
}
