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

struct ScenarioRow {
    const char* name;
    Bytes chk;
    std::optional<MapInfo> expected;
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
};

class ScenarioTable : public testing::TestWithParam<ScenarioRow> {};

TEST_P(ScenarioTable, ReadsWhatTheGameReads) {
    const ScenarioRow& row = GetParam();
    SpanSource chk(row.chk);
    EXPECT_EQ(readScenario(chk), row.expected);
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

TEST(ScenarioReader, NeverReadsTileOrVersionData) {
    const Sections sections = plainScenario("Big Game Hunters", 8, 256, 256, 0);
    const Bytes bytes = chkBytes(sections);
    WatchedSource chk(bytes);
    ASSERT_TRUE(readScenario(chk).has_value());
    for (const std::string tag : {"MTXM", "VER "}) {
        const auto [begin, end] = dataOf(sections, tag);
        for (const auto& [from, to] : chk.reads) {
            EXPECT_TRUE(to <= begin || from >= end) << tag << " read at " << from;
        }
    }
}

TEST(ScenarioReader, AnUnreadableNeededSectionFailsTheScenario) {
    const Sections sections = lostTemple();
    const Bytes bytes = chkBytes(sections);
    WatchedSource chk(bytes, dataOf(sections, "STR "));
    EXPECT_EQ(readScenario(chk), std::nullopt);
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
