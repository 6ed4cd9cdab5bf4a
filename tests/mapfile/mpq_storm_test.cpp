// The archive reader against the reference library: the same scenario bytes from archives the
// tests build, and from archives the reference library writes with each of its options.
#include <StormLib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "mapfile/map_reader.h"
#include "mapfile/mpq_archive.h"
#include "tests/mapfile/archive_fixtures.h"

namespace qrvl::test {
namespace {

namespace fs = std::filesystem;

fs::path scratchFile(const std::string& name) {
    return fs::temp_directory_path() / ("qrvl_storm_" + std::to_string(getpid()) + "_" + name);
}

Bytes oursScenario(const Bytes& archive) {
    ScenarioCandidates candidates(archive);
    std::unique_ptr<ByteSource> scenario = candidates.next();
    if (!scenario) {
        return {};
    }
    Bytes bytes(scenario->size());
    return scenario->read(0, bytes) ? bytes : Bytes{};
}

// The scenario read front to back in pieces of random length, as the section walk reads it: each
// sector is decoded in steps, taken up where the last read left it.
Bytes oursScenarioInPieces(const Bytes& archive) {
    ScenarioCandidates candidates(archive);
    std::unique_ptr<ByteSource> scenario = candidates.next();
    if (!scenario) {
        return {};
    }
    std::mt19937 random(5);
    Bytes bytes(scenario->size());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t piece = std::min<std::size_t>(bytes.size() - at, random() % 700 + 1);
        if (!scenario->read(static_cast<std::uint32_t>(at), {bytes.data() + at, piece})) {
            return {};
        }
        at += piece;
    }
    return bytes;
}

Bytes stormScenario(const fs::path& path) {
    HANDLE archive = nullptr;
    Bytes bytes;
    if (!SFileOpenArchive(path.c_str(), 0, MPQ_OPEN_READ_ONLY, &archive)) {
        return bytes;
    }
    HANDLE file = nullptr;
    if (SFileOpenFileEx(archive, kScenarioName, 0, &file)) {
        bytes.resize(SFileGetFileSize(file, nullptr));
        DWORD got = 0;
        SFileReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        bytes.resize(got);
        SFileCloseFile(file);
    }
    SFileCloseArchive(archive);
    return bytes;
}

void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(ArchiveAgainstReference, GivesTheSameScenarioBytesForEveryFixtureItReads) {
    for (const ArchiveRow& row : archiveRows()) {
        if (!row.storm || row.title.empty()) {
            continue;
        }
        const Bytes archive = buildMpq(row.layout);
        const fs::path path = scratchFile(row.name + ".scx");
        writeFile(path, archive);
        const Bytes reference = stormScenario(path);
        fs::remove(path);
        ASSERT_FALSE(reference.empty()) << row.name;
        EXPECT_EQ(oursScenario(archive), reference) << row.name;
        EXPECT_EQ(oursScenarioInPieces(archive), reference) << row.name;
    }
}

struct StormWrite {
    const char* name;
    DWORD flags;
    DWORD compression;
};

class ReferenceWrittenArchives : public ::testing::TestWithParam<StormWrite> {};

TEST_P(ReferenceWrittenArchives, ReadAsTheReferenceReadsThem) {
    const StormWrite& how = GetParam();
    const Bytes chk = realChk();
    const fs::path path = scratchFile(std::string(how.name) + ".scx");
    fs::remove(path);
    HANDLE archive = nullptr;
    ASSERT_TRUE(SFileCreateArchive(path.c_str(), MPQ_CREATE_ARCHIVE_V1, 16, &archive));
    HANDLE file = nullptr;
    ASSERT_TRUE(SFileCreateFile(archive, kScenarioName, 0, static_cast<DWORD>(chk.size()), 0,
                                how.flags, &file));
    ASSERT_TRUE(SFileWriteFile(file, chk.data(), static_cast<DWORD>(chk.size()), how.compression));
    ASSERT_TRUE(SFileFinishFile(file));
    ASSERT_TRUE(SFileCloseArchive(archive));

    std::ifstream in(path, std::ios::binary);
    const Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove(path);
    EXPECT_EQ(oursScenario(written), chk);
    EXPECT_EQ(oursScenarioInPieces(written), chk);
    const MapReading reading = readMapBytes(written, L"x.scx");
    ASSERT_TRUE(reading.info) << reading.error;
    EXPECT_EQ(reading.info->title, L"Real");
}

INSTANTIATE_TEST_SUITE_P(
    Options, ReferenceWrittenArchives,
    ::testing::Values(
        StormWrite{"imploded", MPQ_FILE_IMPLODE, 0},
        StormWrite{"dcl", MPQ_FILE_COMPRESS, MPQ_COMPRESSION_PKWARE},
        StormWrite{"zlib", MPQ_FILE_COMPRESS, MPQ_COMPRESSION_ZLIB},
        StormWrite{"dcl_encrypted", MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED, MPQ_COMPRESSION_PKWARE},
        StormWrite{"imploded_fix_key", MPQ_FILE_IMPLODE | MPQ_FILE_ENCRYPTED | MPQ_FILE_FIX_KEY, 0},
        StormWrite{"zlib_fix_key", MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED | MPQ_FILE_FIX_KEY,
                   MPQ_COMPRESSION_ZLIB}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qrvl::test
