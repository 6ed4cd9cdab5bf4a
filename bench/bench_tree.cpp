// Generation of the benchmarks' standard tree.
#include "bench/bench_tree.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace qrvl::bench {
namespace {

constexpr int kTopDirectories = 100;
constexpr int kSubDirectoriesEach = 99;
constexpr int kFilesPerDirectory = 10;

void fill(const fs::path& directory, int& file) {
    fs::create_directories(directory);
    for (int i = 0; i < kFilesPerDirectory; ++i, ++file) {
        std::string name = "file" + std::to_string(file);
        if (file % 10 == 0) {
            name += (file / 10) % 2 == 0 ? ".scm" : ".scx";
        } else {
            name += ".txt";
        }
        std::ofstream(directory / name).put('x');
    }
}

}  // namespace

fs::path benchTree(const fs::path& root) {
    const fs::path done = root / ".complete";
    if (fs::exists(done)) {
        return root;
    }
    std::error_code ec;
    fs::path partial = root;
    partial += ".partial-" + std::to_string(std::random_device{}());
    fs::remove_all(partial, ec);
    int file = 0;
    for (int top = 0; top < kTopDirectories; ++top) {
        const fs::path topPath = partial / ("d" + std::to_string(top));
        fill(topPath, file);
        for (int sub = 0; sub < kSubDirectoriesEach; ++sub) {
            fill(topPath / ("s" + std::to_string(sub)), file);
        }
    }
    std::ofstream(partial / ".complete").put('x');
    if (!fs::exists(done)) {
        // A tree left half-made by an older run has no mark; it gives way to the new one.
        fs::remove_all(root, ec);
        fs::rename(partial, root, ec);
    }
    fs::remove_all(partial, ec);
    if (!fs::exists(done)) {
        throw fs::filesystem_error("cannot make the benchmark tree", root, ec);
    }
    std::printf("generated %s\n", root.string().c_str());
    return root;
}

}  // namespace qrvl::bench
