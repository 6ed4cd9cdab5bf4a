// Writes a folder of maps that look like a player's collection, for the screenshots: real-looking
// titles in more than one script, every player count and tileset, one folder deeper for some,
// and one file that is no map.
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/mapfile/mpq_writer.h"

namespace {

struct Sample {
    const char* file;
    const char* title;
    int players;
    int width;
    int height;
    int era;  // the scenario's tileset number
};

constexpr Sample kSamples[] = {
    {"(2)Lost Temple.scm", "Lost Temple", 2, 128, 128, 4},
    {"(4)Python.scx", "Python", 4, 128, 128, 0},
    {"(2)Fighting Spirit.scx", "\xED\x88\xAC\xED\x98\xBC Fighting Spirit", 2, 128, 128, 4},
    {"(3)Power Bond.scx", "Power Bond", 3, 128, 112, 1},
    {"(4)Circuit Breaker.scx", "Circuit Breaker", 4, 128, 128, 0},
    {"(2)Destination.scx", "Destination", 2, 96, 128, 0},
    {"(3)Neo Sylphid.scx", "Neo Sylphid", 3, 128, 128, 3},
    {"(4)Andromeda.scx", "Andromeda", 4, 128, 128, 6},
    {"(2)Blue Storm.scx", "Blue Storm", 2, 128, 128, 1},
    {"(8)Big Game Hunters.scm", "Big Game Hunters", 8, 256, 256, 4},
    {"ladder/(2)Heartbreak Ridge.scx", "Heartbreak Ridge", 2, 128, 96, 0},
    {"ladder/(4)Tau Cross.scx", "Tau Cross", 4, 128, 128, 1},
    {"ladder/(2)Icarus.scx", "Icarus", 2, 128, 128, 7},
    {"ladder/(3)Medusa.scx", "\xD0\x9C\xD0\xB5\xD0\xB4\xD1\x83\xD0\xB7\xD0\xB0", 3, 128, 128, 2},
    {"ladder/(6)Desert Storm.scm", "Desert Storm", 6, 192, 128, 5},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (const Sample& sample : kSamples) {
        const std::filesystem::path path = folder / sample.file;
        std::filesystem::create_directories(path.parent_path());
        const qrvl::test::Bytes map =
            qrvl::test::simpleMap(qrvl::test::chkBytes(qrvl::test::plainScenario(
                sample.title, sample.players, sample.width, sample.height, sample.era)));
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(map.data()),
                   static_cast<std::streamsize>(map.size()));
    }
    std::ofstream(folder / "(2)unfinished.scm") << "not a map yet";
    return 0;
}
