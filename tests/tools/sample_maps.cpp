// Writes a folder of maps that look like a player's collection, for the screenshots: real-looking
// titles in more than one script, every player count and tileset, one folder deeper for some,
// and one file that is no map. Each map has start locations, minerals and geysers laid out as a
// melee map has them, so that the Maps window's preview shows something like a real map.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

constexpr const char* kLostTempleDescription =
    "Each player starts on high ground with a natural expansion below the ramp; island "
    "expansions in the corners and a temple in the middle.";

// The players' start locations on an ellipse around the middle, each with a line of minerals
// and a geyser on the side toward the middle, and an expansion between each two neighbours.
qrvl::test::Bytes meleeUnits(int players, int width, int height) {
    constexpr std::uint16_t kStart = 214;
    constexpr std::uint16_t kMineral = 176;
    constexpr std::uint16_t kGeyser = 188;
    constexpr double kPi = 3.14159265358979;
    const double cx = width * 16.0;
    const double cy = height * 16.0;
    qrvl::test::Bytes units;
    const auto add = [&units](std::uint16_t id, double x, double y, int owner) {
        const qrvl::test::Bytes entry = qrvl::test::unitEntries(
            {{id, static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y),
              static_cast<std::uint8_t>(owner)}});
        units.insert(units.end(), entry.begin(), entry.end());
    };
    const auto base = [&](double angle, double reach, int owner) {
        const double x = cx + std::cos(angle) * cx * reach;
        const double y = cy + std::sin(angle) * cy * reach;
        // Toward the middle: the minerals across that direction, the geyser beside them.
        const double inX = -std::cos(angle);
        const double inY = -std::sin(angle);
        for (int i = -3; i <= 3; ++i) {
            add(kMineral, x + inX * 200 - inY * i * 48, y + inY * 200 + inX * i * 48, 11);
        }
        add(kGeyser, x + inX * 120 + inY * 260, y + inY * 120 - inX * 260, 11);
        if (owner >= 0) {
            add(kStart, x, y, owner);
        }
    };
    for (int player = 0; player < players; ++player) {
        const double angle = kPi / 4 + 2 * kPi * player / players;
        base(angle, 0.78, player);
        base(angle + kPi / players, 0.45, -1);
    }
    return units;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (const Sample& sample : kSamples) {
        const std::filesystem::path path = folder / sample.file;
        std::filesystem::create_directories(path.parent_path());
        std::vector<qrvl::test::ChkSection> sections = qrvl::test::plainScenario(
            sample.title, sample.players, sample.width, sample.height, sample.era,
            std::string(sample.file).find("Lost Temple") != std::string::npos
                ? kLostTempleDescription
                : "A map");
        sections.push_back({"UNIT", meleeUnits(sample.players, sample.width, sample.height)});
        const qrvl::test::Bytes map = qrvl::test::simpleMap(qrvl::test::chkBytes(sections));
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(map.data()),
                   static_cast<std::streamsize>(map.size()));
    }
    std::ofstream(folder / "(2)unfinished.scm") << "not a map yet";
    return 0;
}
