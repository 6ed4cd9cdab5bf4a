// The scenario reader against CHKs with one quirk each, as real and protected maps carry them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "mapfile/map_layout.h"
#include "mapfile/scenario_reader.h"
#include "tests/mapfile/chk_builder.h"

namespace qrvl {

void PrintTo(const MapInfo& info, std::ostream* out) {
    *out << testing::PrintToString(info.title) << " / " << testing::PrintToString(info.description)
         << ", " << info.players << " players, " << info.width << "x" << info.height << ", tileset "
         << static_cast<int>(info.tileset);
}

namespace test {
namespace {

using Sections = std::vector<ChkSection>;

Sections lostTemple() {
    return plainScenario("Lost Temple", 4, 4, 4, 4);
}

MapInfo info(std::wstring title, std::wstring description, int players, int width, int height,
             Tileset tileset) {
    return {std::move(title), std::move(description), players, width, height, tileset};
}

const MapInfo kLostTemple = info(L"Lost Temple", L"A map", 4, 4, 4, Tileset::Jungle);

Bytes withSections(Sections sections, const Sections& more) {
    sections.insert(sections.end(), more.begin(), more.end());
    return chkBytes(sections);
}

Bytes edited(const std::function<void(Sections&)>& change) {
    Sections sections = lostTemple();
    change(sections);
    return chkBytes(sections);
}

ChkSection& sectionTagged(Sections& sections, const std::string& tag) {
    return *std::find_if(sections.begin(), sections.end(),
                         [&](const ChkSection& s) { return s.tag == tag; });
}

Bytes without(const std::string& tag) {
    return edited([&](Sections& s) {
        std::erase_if(s, [&](const ChkSection& section) { return section.tag == tag; });
    });
}

// Sections read out of another section's data: a protector hides the real scenario inside a
// section and jumps back to it from the end.
Bytes hiddenBehindBackwardJump() {
    const Bytes inner = chkBytes(lostTemple());
    return chkBytes({{"JUNK", inner}, {"JMP ", {}, -static_cast<std::int32_t>(8 + inner.size())}});
}

// Lost Temple, 4 × 4 tiles (128 × 128 pixels) with players 1 to 4 human, and `units` as its
// UNIT sections' data, each piece a section of its own after the others.
Bytes withUnits(std::initializer_list<Bytes> units, std::optional<std::int32_t> lastSize = {}) {
    Sections sections = lostTemple();
    for (const Bytes& data : units) {
        sections.push_back({"UNIT", data});
    }
    sections.back().storedSize = lastSize;
    return chkBytes(sections);
}

Bytes concat(std::initializer_list<Bytes> pieces) {
    Bytes out;
    for (const Bytes& piece : pieces) {
        out.insert(out.end(), piece.begin(), piece.end());
    }
    return out;
}

Bytes firstBytes(Bytes bytes, std::size_t count) {
    bytes.resize(count);
    return bytes;
}

const Bytes kThreeUnits = unitEntries({{214, 16, 16, 0}, {176, 40, 8}, {188, 64, 100, 11}});
const std::vector<StartLocation> kPlayerOneStart = {{{16, 16}, 0}};

MapLayout layout(std::vector<StartLocation> starts, std::vector<MapPoint> minerals = {},
                 std::vector<MapPoint> geysers = {}) {
    return {4, 4, Tileset::Jungle, std::move(starts), std::move(minerals), std::move(geysers)};
}

// More UNIT entries than the reader takes: the last it takes is a mineral, the first it leaves
// a start location.
Bytes unitsPastTheCap() {
    Bytes units = concat({Bytes((kMaxLayoutUnits - 1) * 36, 0), unitEntries({{176, 8, 8}}),
                          unitEntries({{214, 16, 16}})});
    return withUnits({units});
}

struct ScenarioRow {
    const char* name;
    Bytes chk;
    std::optional<MapInfo> expected;
    // What readScenarioLayout gives, where the row is about units.
    std::optional<MapLayout> layout = std::nullopt;
};

const ScenarioRow kScenarioRows[] = {
    {"PlainMap", chkBytes(lostTemple()), kLostTemple},
    {"RepeatedSectionsLastWins",
     withSections(lostTemple(), {{"DIM ", u16s({8, 6})},
                                 {"ERA ", u16s({2})},
                                 {"OWNR", ownrSection(2)},
                                 {"SPRP", u16s({2, 1})},
                                 {"VER ", u16s({59})}}),
     info(L"A map", L"Lost Temple", 2, 8, 6, Tileset::Installation)},
    {"SectionsBelowTheirMinimumIgnored",
     withSections(lostTemple(), {{"DIM ", {8, 0, 6}},
                                 {"ERA ", {2}},
                                 {"OWNR", Bytes(11, 6)},
                                 {"SPRP", {2, 0, 1}},
                                 {"STR ", {0}}}),
     kLostTemple},
    {"OversizedSectionsCut", edited([](Sections& s) {
         sectionTagged(s, "DIM ").data = u16s({8, 6, 99});
         sectionTagged(s, "ERA ").data = u16s({2, 0xFFFF});
         sectionTagged(s, "OWNR").data.push_back(6);
         sectionTagged(s, "SPRP").data = u16s({2, 1, 1});
     }),
     info(L"A map", L"Lost Temple", 4, 8, 6, Tileset::Installation)},
    {"SizePastTheEndClamped", edited([](Sections& s) { s.back().storedSize = 0x7FFFFFFF; }),
     kLostTemple},
    {"ShortHeaderAtTheEndIgnored", withSections(lostTemple(), {{"UNI", {}}}), kLostTemple},
    {"BackwardJumpReadsSectionsInsideEarlierData", hiddenBehindBackwardJump(), kLostTemple},
    {"JumpToItselfDoesNotLoop", edited([](Sections& s) {
         s.insert(s.begin() + 2, {"LOOP", {}, -8});
     }),
     kLostTemple},
    {"JumpBeforeTheStartIgnored", edited([](Sections& s) {
         s.insert(s.begin() + 2, {"BACK", {}, -0x7FFFFFF0});
     }),
     kLostTemple},
    {"StrxPreferredOverStr", edited([](Sections& s) {
         s.insert(s.begin(), {"STRx", strxSection({"Lost Temple SC:R", "Remastered"})});
     }),
     info(L"Lost Temple SC:R", L"Remastered", 4, 4, 4, Tileset::Jungle)},
    {"LaterShortStrOverwritesOnlyTheCount", withSections(lostTemple(), {{"STR ", u16s({1})}}),
     info(L"Lost Temple", L"", 4, 4, 4, Tileset::Jungle)},
    {"TitleIndexZeroGivesNoTitle", edited([](Sections& s) {
         sectionTagged(s, "SPRP").data = u16s({0, 2});
     }),
     info(L"", L"A map", 4, 4, 4, Tileset::Jungle)},
    {"TitleIndexPastTheCountGivesNoTitle", edited([](Sections& s) {
         sectionTagged(s, "SPRP").data = u16s({3, 2});
     }),
     info(L"", L"A map", 4, 4, 4, Tileset::Jungle)},
    {"TitleOffsetPastTheEndGivesNoTitle",
     edited([](Sections& s) { sectionTagged(s, "STR ").data[3] = 0x7F; }),
     info(L"", L"A map", 4, 4, 4, Tileset::Jungle)},
    {"StringWithoutFinalNulRunsToTheEnd", edited([](Sections& s) {
         sectionTagged(s, "STR ").data.pop_back();
         sectionTagged(s, "SPRP").data = u16s({2, 1});
     }),
     info(L"A map", L"Lost Temple", 4, 4, 4, Tileset::Jungle)},
    {"NoStringSectionGivesNoTitle", without("STR "), info(L"", L"", 4, 4, 4, Tileset::Jungle)},
    {"NoSprpGivesNoTitle", without("SPRP"), info(L"", L"", 4, 4, 4, Tileset::Jungle)},
    {"EraHighBitsIgnored", chkBytes(plainScenario("Lost Temple", 4, 4, 4, 0xFFF9)),
     info(L"Lost Temple", L"A map", 4, 4, 4, Tileset::SpacePlatform)},
    {"ColourCodesStripped", chkBytes(plainScenario("\x03Lost \x04Temple\x06 ", 4, 4, 4, 4)),
     kLostTemple},
    {"InvalidOwnersNotCounted", edited([](Sections& s) {
         sectionTagged(s, "OWNR").data = {3, 3, 0xA2, 0xAA, 0x3D, 0x31, 0xAB, 0x92, 7, 7, 7, 7};
     }),
     info(L"Lost Temple", L"A map", 2, 4, 4, Tileset::Jungle)},
    {"InactiveAndClosedSlotsNotCounted", edited([](Sections& s) {
         sectionTagged(s, "OWNR").data = {1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0};
     }),
     info(L"Lost Temple", L"A map", 7, 4, 4, Tileset::Jungle)},
    {"MissingDimFails", without("DIM "), std::nullopt},
    {"MissingEraFails", without("ERA "), std::nullopt},
    {"MissingOwnrFails", without("OWNR"), std::nullopt},
    {"OneByteGarbageFails", {0x5A}, std::nullopt},
    {"UnitsOfThePicture",
     withUnits({unitEntries({{0, 30, 30},
                             {214, 16, 16, 0},
                             {176, 1, 2},
                             {177, 3, 4},
                             {178, 5, 6},
                             {188, 7, 8},
                             {214, 112, 112, 3},
                             {189, 9, 9},
                             {175, 9, 9}})}),
     kLostTemple, layout({{{16, 16}, 0}, {{112, 112}, 3}}, {{1, 2}, {3, 4}, {5, 6}}, {{7, 8}})},
    {"UnitSectionsAppendAndEntriesSpanThem",
     withUnits({firstBytes(kThreeUnits, 50), Bytes(kThreeUnits.begin() + 50, kThreeUnits.end())}),
     kLostTemple, layout(kPlayerOneStart, {{40, 8}}, {{64, 100}})},
    {"UnitSectionsAppendAcrossOtherSections", edited([](Sections& s) {
         s.insert(s.begin() + 1, {"UNIT", unitEntries({{176, 40, 8}})});
         s.push_back({"UNIT", unitEntries({{214, 16, 16, 0}})});
     }),
     kLostTemple, layout(kPlayerOneStart, {{40, 8}})},
    {"UnitEntryCutAtTheEndIgnored",
     withUnits({concat({kThreeUnits, firstBytes(unitEntries({{214, 112, 112, 1}}), 35)})},
               0x7FFFFFFF),
     kLostTemple, layout(kPlayerOneStart, {{40, 8}}, {{64, 100}})},
    {"UnitsOutsideTheMapDropped",
     withUnits({unitEntries(
         {{176, 128, 0}, {176, 0, 128}, {176, 127, 127}, {188, 0xFFFF, 5}, {214, 16, 128, 0}})}),
     kLostTemple, layout({}, {{127, 127}})},
    {"StartsOfSlotsNotInUseDropped", edited([](Sections& s) {
         sectionTagged(s, "OWNR").data = {6, 0, 8, 9, 5, 6, 6, 6, 7, 7, 7, 7};
         s.push_back({"UNIT", unitEntries({{214, 8, 8, 0},
                                           {214, 9, 9, 1},
                                           {214, 10, 10, 2},
                                           {214, 11, 11, 3},
                                           {214, 12, 12, 4},
                                           {214, 13, 13, 8},
                                           {214, 14, 14, 11},
                                           {214, 15, 15, 255}})});
     }),
     info(L"Lost Temple", L"A map", 5, 4, 4, Tileset::Jungle),
     layout({{{8, 8}, 0}, {{12, 12}, 4}})},
    {"UnitEntriesPastTheCapIgnored", unitsPastTheCap(), kLostTemple, layout({}, {{8, 8}})},
};

class ScenarioTable : public testing::TestWithParam<ScenarioRow> {};

TEST_P(ScenarioTable, ReadsWhatTheGameReads) {
    const ScenarioRow& row = GetParam();
    SpanSource chk(row.chk);
    EXPECT_EQ(readScenario(chk), row.expected);
}

// The layout is read by the same walk and the same rules: it parses where the scenario does and
// agrees on size and tileset.
TEST_P(ScenarioTable, LayoutReadsWhatTheGameReads) {
    const ScenarioRow& row = GetParam();
    SpanSource chk(row.chk);
    const std::optional<MapLayout> layout = readScenarioLayout(chk);
    ASSERT_EQ(layout.has_value(), row.expected.has_value());
    if (row.layout) {
        EXPECT_EQ(layout, row.layout);
    } else if (layout) {
        EXPECT_EQ(layout->width, row.expected->width);
        EXPECT_EQ(layout->height, row.expected->height);
        EXPECT_EQ(layout->tileset, row.expected->tileset);
    }
}

INSTANTIATE_TEST_SUITE_P(Quirks, ScenarioTable, testing::ValuesIn(kScenarioRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Notes the byte ranges asked for, and fails reads that touch `unreadable`.
class WatchedSource final : public ByteSource {
  public:
    WatchedSource(std::span<const std::uint8_t> bytes,
                  std::pair<std::uint32_t, std::uint32_t> unreadable = {0, 0})
        : inner_(bytes), unreadable_(unreadable) {}

    std::uint32_t size() const override { return inner_.size(); }
    bool read(std::uint32_t offset, std::span<std::uint8_t> out) override {
        const auto end = offset + static_cast<std::uint32_t>(out.size());
        reads.emplace_back(offset, end);
        if (offset < unreadable_.second && unreadable_.first < end) {
            return false;
        }
        return inner_.read(offset, out);
    }

    std::vector<std::pair<std::uint32_t, std::uint32_t>> reads;

  private:
    SpanSource inner_;
    std::pair<std::uint32_t, std::uint32_t> unreadable_;
};

// Where the data of the first section tagged `tag` lie in `chk`.
std::pair<std::uint32_t, std::uint32_t> dataOf(const Sections& sections, const std::string& tag) {
    std::uint32_t at = 0;
    for (const ChkSection& s : sections) {
        if (s.tag == tag) {
            return {at + 8, at + 8 + static_cast<std::uint32_t>(s.data.size())};
        }
        at += 8 + static_cast<std::uint32_t>(s.data.size());
    }
    return {0, 0};
}

// Listing and picking never pay for units, nor a picture for titles: each reader asks only for
// its own sections' data.
TEST(ScenarioReader, EachReaderReadsOnlyTheDataItNeeds) {
    Sections sections = plainScenario("Big Game Hunters", 8, 256, 256, 0);
    sections.insert(sections.begin() + 4, {"UNIT", unitEntries({{214, 16, 16, 0}})});
    const Bytes bytes = chkBytes(sections);
    const struct {
        const char* reader;
        std::function<bool(ByteSource&)> read;
        std::vector<std::string> unread;
    } rows[] = {
        {"readScenario",
         [](ByteSource& chk) { return readScenario(chk).has_value(); },
         {"MTXM", "VER ", "UNIT"}},
        {"readScenarioLayout",
         [](ByteSource& chk) { return readScenarioLayout(chk).has_value(); },
         {"MTXM", "VER ", "STR ", "SPRP"}},
    };
    for (const auto& row : rows) {
        WatchedSource chk(bytes);
        ASSERT_TRUE(row.read(chk)) << row.reader;
        for (const std::string& tag : row.unread) {
            const auto [begin, end] = dataOf(sections, tag);
            for (const auto& [from, to] : chk.reads) {
                EXPECT_TRUE(to <= begin || from >= end)
                    << row.reader << ": " << tag << " read at " << from;
            }
        }
    }
}

TEST(ScenarioReader, AnUnreadableNeededSectionFailsTheScenario) {
    Sections sections = lostTemple();
    sections.push_back({"UNIT", kThreeUnits});
    const Bytes bytes = chkBytes(sections);
    WatchedSource strings(bytes, dataOf(sections, "STR "));
    EXPECT_EQ(readScenario(strings), std::nullopt);
    WatchedSource units(bytes, dataOf(sections, "UNIT"));
    EXPECT_EQ(readScenarioLayout(units), std::nullopt);
}

TEST(TilesetNames, ReadBackWithoutRegardToAsciiCaseOnly) {
    EXPECT_EQ(tilesetNamed(L"space PLATFORM"), Tileset::SpacePlatform);
    EXPECT_EQ(tilesetNamed(tilesetName(Tileset::Twilight)), Tileset::Twilight);
    EXPECT_EQ(tilesetNamed(L"Space\u00A0Platform"), std::nullopt);
    EXPECT_EQ(tilesetNamed(L"Ice "), std::nullopt);
}

}  // namespace
}  // namespace test
}  // namespace qrvl
