// What a map tells about itself: the facts a player chooses a map by.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qrvl {

// The eight tilesets, numbered as the scenario's ERA section numbers them.
enum class Tileset : std::uint8_t {
    Badlands,
    SpacePlatform,
    Installation,
    Ashworld,
    Jungle,
    Desert,
    Ice,
    Twilight,
};

// "Badlands", "Space Platform", "Installation", "Ashworld", "Jungle", "Desert", "Ice", "Twilight".
std::wstring_view tilesetName(Tileset tileset);
// The tileset so named, without regard to ASCII case; nullopt for any other text.
std::optional<Tileset> tilesetNamed(std::wstring_view name);

struct MapInfo {
    // As the game shows it: decoded, colour and layout codes stripped, trimmed. The file name
    // without its extension when the map names no title.
    std::wstring title;
    std::wstring description;
    // Slots of players 1 to 8 in use (owner neither inactive, closed nor invalid).
    int players = 0;
    // In 32-pixel tiles.
    int width = 0;
    int height = 0;
    Tileset tileset = Tileset::Badlands;

    bool operator==(const MapInfo&) const = default;
};

// A reader's reason for a map it cannot read is a short ASCII phrase: widened as it is.
inline std::wstring reasonText(std::string_view reason) {
    return {reason.begin(), reason.end()};
}

}  // namespace qrvl
