// One sector decoded in steps, as the section walk reads it header by header, against the same
// sector decoded at once: every coding, encrypted or not, whole or cut.
#include "mapfile/mpq_sector_codec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "tests/mapfile/mpq_writer.h"

namespace qrvl::test {
namespace {

struct SectorRow {
    const char* name;
    SectorCompression compression;
    std::uint8_t methods;  // the method byte of a MaskedByte sector
    bool encrypted;
    bool cut;  // the file ends a third of the way before the sector's data do
};

// Runs and noise, and a length that is no whole number of words, so the last bytes of a stored
// encrypted sector stay as they are.
Bytes sectorContent() {
    Bytes bytes;
    std::mt19937 random(7);
    while (bytes.size() < 4093) {
        bytes.insert(bytes.end(), random() % 40 + 1, static_cast<std::uint8_t>(random() % 5));
        bytes.push_back(static_cast<std::uint8_t>(random()));
    }
    bytes.resize(4093);
    return bytes;
}

Bytes zlibOf(const Bytes& raw) {
    uLongf length = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(length);
    compress2(packed.data(), &length, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(length);
    return packed;
}

constexpr std::uint32_t kKey = 0x34A7E5E3;

Bytes storedSector(const SectorRow& row, const Bytes& content) {
    Bytes stored;
    if (row.compression == SectorCompression::None) {
        stored = content;
    } else if (row.compression == SectorCompression::Imploded) {
        stored = dclRunEncode(content);
    } else {
        stored = (row.methods & 0x02) != 0 ? zlibOf(content) : content;
        if ((row.methods & 0x08) != 0) {
            stored = dclRunEncode(stored);
        }
        stored.insert(stored.begin(), row.methods);
    }
    if (row.encrypted) {
        mpqEncrypt(stored, kKey);
    }
    if (row.cut) {
        stored.resize(stored.size() * 2 / 3);
    }
    return stored;
}

const SectorRow kRows[] = {
    {"Stored", SectorCompression::None, 0, false, false},
    {"StoredEncrypted", SectorCompression::None, 0, true, false},
    {"StoredCutEncrypted", SectorCompression::None, 0, true, true},
    {"Imploded", SectorCompression::Imploded, 0, false, false},
    {"ImplodedEncrypted", SectorCompression::Imploded, 0, true, false},
    {"ImplodedCut", SectorCompression::Imploded, 0, true, true},
    {"Dcl", SectorCompression::MaskedByte, 0x08, false, false},
    {"DclEncrypted", SectorCompression::MaskedByte, 0x08, true, false},
    {"Zlib", SectorCompression::MaskedByte, 0x02, false, false},
    {"ZlibEncrypted", SectorCompression::MaskedByte, 0x02, true, false},
    {"ZlibCutEncrypted", SectorCompression::MaskedByte, 0x02, true, true},
    {"ZlibThenDclEncrypted", SectorCompression::MaskedByte, 0x0A, true, false},
    {"NoMethodEncrypted", SectorCompression::MaskedByte, 0x00, true, false},
    {"NoMethodCutEncrypted", SectorCompression::MaskedByte, 0x00, true, true},
    {"Bzip2", SectorCompression::MaskedByte, 0x10, false, false},
};

class SectorSteps : public ::testing::TestWithParam<SectorRow> {};

TEST_P(SectorSteps, DecodeAsMuchInStepsAsAtOnce) {
    const SectorRow& row = GetParam();
    const Bytes content = sectorContent();
    const Bytes stored = storedSector(row, content);
    const std::optional<std::uint32_t> key = row.encrypted ? std::optional(kKey) : std::nullopt;

    SectorDecoder atOnce(stored, key, row.compression, content.size());
    Bytes whole;
    const bool decoded = atOnce.decodeTo(whole, content.size());
    if (!row.cut && row.methods != 0x10) {
        ASSERT_TRUE(decoded);
        EXPECT_EQ(whole, content);
    }

    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        SectorDecoder steps(stored, key, row.compression, content.size());
        Bytes out;
        bool ok = true;
        for (std::size_t limit = 0; ok && limit < content.size() && !steps.ended();) {
            // Steps of up to a word and of hundreds of bytes, so reads split encrypted words.
            limit += round % 2 ? random() % 7 : random() % 600;
            ok = steps.decodeTo(out, limit);
        }
        EXPECT_EQ(ok, decoded);
        if (decoded) {
            EXPECT_EQ(out, whole);
            EXPECT_EQ(steps.ended(), atOnce.ended());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Codings, SectorSteps, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qrvl::test
