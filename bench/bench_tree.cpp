// Generation of the benchmarks' standard tree.
#include "bench/bench_tree.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace qrvl::bench {
namespace {

constexpr int kTopDirectories = 100;
constexpr int kSubDirectoriesEach = 99;
constexpr int kFilesPerDirectory = 10;

// A prefix and a number; built by appending, which GCC 12's -Wrestrict at -O3 does not misread as
// it does "text" + std::to_string(n).
std::string numbered(const char* prefix, unsigned number) {
    std::string name = prefix;
    name += std::to_string(number);
    return name;
}

// The maps the tree's map files stand for; none makes them one-byte files.
using Corpus = std::vector<fs::path>;

void fill(const fs::path& directory, int& file, const Corpus& corpus) {
    fs::create_directories(directory);
    for (int i = 0; i < kFilesPerDirectory; ++i, ++file) {
        std::string name = numbered("file", static_cast<unsigned>(file));
        if (file % 10 == 0) {
            name += (file / 10) % 2 == 0 ? ".scm" : ".scx";
        } else {
            name += ".txt";
        }
        if (file % 10 == 0 && !corpus.empty()) {
            fs::create_hard_link(corpus[static_cast<std::size_t>(file / 10) % corpus.size()],
                                 directory / name);
        } else {
            std::ofstream(directory / name).put('x');
        }
    }
}

Corpus corpusMaps(const fs::path& corpus) {
    Corpus maps;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".scm" || extension == ".scx")) {
            maps.push_back(entry.path());
        }
    }
    std::sort(maps.begin(), maps.end());
    return maps;
}

fs::path makeTree(const fs::path& root, const Corpus& corpus) {
    const fs::path done = root / ".complete";
    if (fs::exists(done)) {
        return root;
    }
    std::error_code ec;
    fs::path partial = root;
    partial += numbered(".partial-", std::random_device{}());
    fs::remove_all(partial, ec);
    int file = 0;
    for (int top = 0; top < kTopDirectories; ++top) {
        const fs::path topPath = partial / numbered("d", static_cast<unsigned>(top));
        fill(topPath, file, corpus);
        for (int sub = 0; sub < kSubDirectoriesEach; ++sub) {
            fill(topPath / numbered("s", static_cast<unsigned>(sub)), file, corpus);
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

}  // namespace

fs::path benchTree(const fs::path& root) {
    return makeTree(root, {});
}

fs::path benchTree(const fs::path& root, const fs::path& corpus) {
    return makeTree(root, corpusMaps(corpus));
}

}  // namespace qrvl::bench
