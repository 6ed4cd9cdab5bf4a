// The filter as config.ini spells it, and which readings fit it.
#include <gtest/gtest.h>

#include "mapfile/map_filter.h"

namespace qrvl::test {
namespace {

TEST(MapFilterTest, HandEditedValuesNarrowThePickButNeverStopIt) {
    const struct {
        const wchar_t* players;
        const wchar_t* tilesets;
        const wchar_t* playersBack;  // as written back
        const wchar_t* tilesetsBack;
    } rows[] = {
        {L"", L"", L"", L""},
        {L"2,4", L"Jungle,Ice", L"2,4", L"Jungle,Ice"},
        {L" 4 , 2 ,2", L"ice, JUNGLE ", L"2,4", L"Jungle,Ice"},
        {L"0,9,10,-1,02,+2,2.5,two", L"Ice Age,Snow", L"", L""},  // nothing known: any
        {L",,3,", L",space platform,", L"3", L"Space Platform"},
        {L"1,2,3,4,5,6,7,8",
         L"badlands,space platform,installation,ashworld,jungle,desert,"
         L"ice,twilight",
         L"1,2,3,4,5,6,7,8",
         L"Badlands,Space Platform,Installation,Ashworld,Jungle,Desert,Ice,Twilight"},
        {L"8\t", L"\tTwilight", L"8", L"Twilight"},
    };
    for (const auto& row : rows) {
        const MapFilter filter = parseMapFilter(row.players, row.tilesets);
        EXPECT_EQ(playersValue(filter), row.playersBack) << row.players;
        EXPECT_EQ(tilesetsValue(filter), row.tilesetsBack) << row.tilesets;
        EXPECT_EQ(filter.active(), *row.playersBack || *row.tilesetsBack);
        EXPECT_EQ(parseMapFilter(playersValue(filter), tilesetsValue(filter)), filter);
    }
}

TEST(MapFilterTest, AMapFitsWhenEveryGroupSetAcceptsItAndNoUnreadableMapFits) {
    const auto map = [](int players, Tileset tileset) {
        return MapReading{MapInfo{L"t", L"", players, 64, 64, tileset}, {}};
    };
    const MapReading unreadable{std::nullopt, "no scenario"};
    const struct {
        const wchar_t* players;
        const wchar_t* tilesets;
        MapReading reading;
        bool fits;
    } rows[] = {
        {L"2", L"", map(2, Tileset::Ice), true},
        {L"2", L"", map(3, Tileset::Ice), false},
        {L"2,4", L"", map(4, Tileset::Badlands), true},
        {L"", L"Ice", map(8, Tileset::Ice), true},
        {L"", L"Ice", map(8, Tileset::Jungle), false},
        {L"2", L"Ice", map(2, Tileset::Jungle), false},
        {L"2", L"Ice,Jungle", map(2, Tileset::Jungle), true},
        {L"1,2,3,4,5,6,7,8", L"", map(0, Tileset::Ice), false},  // no player slot in use
        {L"2", L"", unreadable, false},
        {L"", L"Ice", unreadable, false},
        {L"", L"", map(0, Tileset::Ice), true},
        {L"", L"", unreadable, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(parseMapFilter(row.players, row.tilesets).fits(row.reading), row.fits)
            << "players=" << testing::PrintToString(std::wstring(row.players))
            << " tilesets=" << testing::PrintToString(std::wstring(row.tilesets));
    }
}

TEST(MapFilterTest, DescribesTheFilterForTheOnePickCommandsReason) {
    EXPECT_EQ(describeFilter(parseMapFilter(L"2", L"Ice")), L"players 2 and tilesets Ice");
    EXPECT_EQ(describeFilter(parseMapFilter(L"4,2", L"")), L"players 2,4");
    EXPECT_EQ(describeFilter(parseMapFilter(L"", L"jungle,ice")), L"tilesets Jungle,Ice");
}

}  // namespace
}  // namespace qrvl::test
