// The benchmark corpus: 2,000 valid maps written by the reference library into a tree of the
// standard tree's shape, made once and kept on disk.
#include <StormLib.h>

#include "bench/bench_tree.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kTopDirectories = 20;
constexpr int kSubDirectoriesEach = 9;
constexpr int kMapsPerDirectory = 10;
constexpr int kSizes[] = {64, 96, 128, 192, 256};

// Built by appending: GCC 12's -Wrestrict at -O3 misreads "text" + std::to_string(n).
std::string numbered(const char* prefix, int number, const char* suffix = "") {
    std::string text = prefix;
    text += std::to_string(number);
    text += suffix;
    return text;
}

void put(Bytes& out, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void section(Bytes& chk, const char* tag, const Bytes& data) {
    chk.insert(chk.end(), tag, tag + 4);
    put(chk, data.size(), 4);
    chk.insert(chk.end(), data.begin(), data.end());
}

// Tiles as editors leave them: runs of a few terrain types, which compress as real ones do.
Bytes terrain(std::mt19937& random, std::size_t bytes) {
    Bytes out;
    std::uniform_int_distribution<int> run(1, 24);
    std::uniform_int_distribution<int> tile(0, 0x3FF);
    while (out.size() < bytes) {
        const auto value = static_cast<std::uint16_t>(tile(random) & 0x3F7);
        for (int i = run(random); i > 0 && out.size() < bytes; --i) {
            put(out, value + static_cast<std::uint16_t>(i % 3), 2);
        }
    }
    out.resize(bytes);
    return out;
}

Bytes noise(std::mt19937& random, std::size_t bytes) {
    Bytes out(bytes);
    for (auto& b : out) {
        b = static_cast<std::uint8_t>(random() % 7 == 0 ? random() : 0);
    }
    return out;
}

Bytes strings(int index, std::mt19937& random) {
    std::vector<std::string> texts = {
        numbered("(", 2 + index % 7, ")Bench ") + std::to_string(index),
        "A map for measuring the reader."};
    for (int i = 0; i < 200; ++i) {
        texts.push_back(numbered("Trigger text ", static_cast<int>(random() % 100000)));
    }
    Bytes out;
    put(out, texts.size(), 2);
    std::size_t offset = 2 + 2 * texts.size();
    for (const auto& t : texts) {
        put(out, offset, 2);
        offset += t.size() + 1;
    }
    for (const auto& t : texts) {
        out.insert(out.end(), t.begin(), t.end());
        out.push_back(0);
    }
    return out;
}

// The sections an editor writes, in its order; tile, doodad and trigger data make up most bytes.
// Without `units`, the UNIT section is noise, which only the picture of a map ever reads.
Bytes scenario(int index, std::mt19937& random, const Bytes* units = nullptr) {
    const int width = kSizes[index % 5];
    const int height = kSizes[(index / 5) % 5];
    const auto tiles = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const int players = 2 + index % 7;
    Bytes chk;
    section(chk, "TYPE", {'R', 'A', 'W', 'B'});
    section(chk, "VER ", {205, 0});
    section(chk, "IVE2", {11, 0});
    section(chk, "VCOD", noise(random, 1040));
    Bytes owners(12, 0);
    for (int i = 0; i < 12; ++i) {
        owners[static_cast<std::size_t>(i)] = i < players ? 6 : i < 8 ? 0 : 7;
    }
    section(chk, "IOWN", owners);
    section(chk, "OWNR", owners);
    Bytes era;
    put(era, static_cast<std::uint64_t>(index % 8), 2);
    section(chk, "ERA ", era);
    Bytes dim;
    put(dim, static_cast<std::uint64_t>(width), 2);
    put(dim, static_cast<std::uint64_t>(height), 2);
    section(chk, "DIM ", dim);
    section(chk, "SIDE", Bytes(12, 5));
    section(chk, "MTXM", terrain(random, tiles * 2));
    section(chk, "PUNI", noise(random, 5700));
    section(chk, "UPGR", noise(random, 1748));
    section(chk, "PTEC", noise(random, 912));
    section(chk, "UNIT",
            units ? *units : noise(random, 36 * static_cast<std::size_t>(20 + index % 200)));
    section(chk, "ISOM",
            terrain(random, (static_cast<std::size_t>(width) / 2 + 1) *
                                (static_cast<std::size_t>(height) + 1) * 8));
    section(chk, "TILE", terrain(random, tiles * 2));
    section(chk, "DD2 ", noise(random, 8 * static_cast<std::size_t>(100 + index % 300)));
    section(chk, "THG2", noise(random, 10 * static_cast<std::size_t>(50 + index % 100)));
    section(chk, "MASK", Bytes(tiles, 0xFF));
    section(chk, "STR ", strings(index, random));
    section(chk, "UPRP", noise(random, 1280));
    section(chk, "MRGN", noise(random, 20 * 255));
    section(chk, "TRIG", noise(random, 2400 * static_cast<std::size_t>(index % 40)));
    section(chk, "MBRF", noise(random, 2400 * static_cast<std::size_t>(index % 3)));
    section(chk, "SPRP", {1, 0, 2, 0});
    section(chk, "FORC", noise(random, 20));
    section(chk, "UNIS", noise(random, 4048));
    section(chk, "COLR", {0, 1, 2, 3, 4, 5, 6, 7});
    return chk;
}

bool writeMap(const fs::path& path, const Bytes& chk) {
    HANDLE archive = nullptr;
    if (!SFileCreateArchive(path.c_str(), MPQ_CREATE_ARCHIVE_V1, 16, &archive)) {
        return false;
    }
    HANDLE file = nullptr;
    // Compressed with DCL and encrypted, as most real maps store their scenario.
    const bool written =
        SFileCreateFile(archive, "staredit\\scenario.chk", 0, static_cast<DWORD>(chk.size()), 0,
                        MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED, &file) &&
        SFileWriteFile(file, chk.data(), static_cast<DWORD>(chk.size()), MPQ_COMPRESSION_PKWARE) &&
        SFileFinishFile(file);
    return SFileCloseArchive(archive) && written;
}

// A heavy map for the picture's benchmark: 128 × 128 tiles of Jungle with 7 players, and 2,000
// units inside it: a start location for each of 8 slots (one of them unused), 8 minerals and a
// geyser beside each, and buildings, critters and doodads everywhere else.
int makePreviewMap(const fs::path& path) {
    constexpr int kIndex = 12;  // 128 × 128, 7 players, Jungle
    std::mt19937 random(2026);
    std::uniform_int_distribution<int> anywhere(0, 128 * 32 - 1);
    std::uniform_int_distribution<int> anyUnit(0, 227);
    std::uniform_int_distribution<int> anyOwner(0, 11);
    Bytes units;
    int serial = 0;
    const auto unit = [&](int id, int x, int y, int owner) {
        put(units, static_cast<std::uint64_t>(++serial), 4);
        put(units, static_cast<std::uint64_t>(x), 2);
        put(units, static_cast<std::uint64_t>(y), 2);
        put(units, static_cast<std::uint64_t>(id), 2);
        units.resize(units.size() + 6, 0);
        units.push_back(static_cast<std::uint8_t>(owner));
        units.resize(units.size() + 19, 0);
    };
    for (int player = 0; player < 8; ++player) {
        const int x = 400 + (player % 4) * 1100;
        const int y = player < 4 ? 400 : 3600;
        unit(214, x, y, player);
        for (int m = 0; m < 8; ++m) {
            unit(176 + m % 3, x - 200 + m * 48, y + 240, 11);
        }
        unit(188, x + 240, y - 100, 11);
    }
    while (serial < 2000) {
        const int id = anyUnit(random);
        unit(id == 214 ? 215 : id, anywhere(random), anywhere(random), anyOwner(random));
    }
    const fs::path parent = path.parent_path();
    if (!parent.empty()) {
        fs::create_directories(parent);
    }
    if (!writeMap(path, scenario(kIndex, random, &units))) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("made %s\n", path.c_str());
    return 0;
}

// Makes the corpus unless a complete one is there; 0 when it is there at the end.
int makeCorpus(const fs::path& root) {
    if (fs::exists(root / ".complete")) {
        return 0;
    }
    fs::remove_all(root);
    std::mt19937 random(2026);
    int index = 0;
    for (int top = 0; top < kTopDirectories; ++top) {
        for (int sub = 0; sub <= kSubDirectoriesEach; ++sub) {
            fs::path directory = root / numbered("d", top);
            if (sub > 0) {
                directory /= numbered("s", sub);
            }
            fs::create_directories(directory);
            std::ofstream(directory / "readme.txt") << "not a map\n";
            for (int m = 0; m < kMapsPerDirectory; ++m, ++index) {
                const fs::path map =
                    directory / numbered("map", index, index % 2 ? ".scx" : ".scm");
                if (!writeMap(map, scenario(index, random))) {
                    std::fprintf(stderr, "cannot write %s\n", map.c_str());
                    return 1;
                }
            }
        }
    }
    std::ofstream(root / ".complete").put('x');
    std::printf("made %d maps under %s\n", index, root.c_str());
    return 0;
}

}  // namespace

// make_map_corpus [root] [tree]: makes the corpus unless a complete one is there; with a tree,
// lays it out as the standard tree there too.
// make_map_corpus --preview <file>: writes the picture benchmark's map.
int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--preview") {
        return makePreviewMap(argv[2]);
    }
    const fs::path root = argc > 1 ? argv[1] : "/tmp/qrvl-bench-corpus";
    const int made = makeCorpus(root);
    if (made == 0 && argc > 2) {
        qrvl::bench::benchTree(argv[2], root);
    }
    return made;
}
