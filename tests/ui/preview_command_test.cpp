// "/preview" over real files: the picture it writes, read back by the platform's decoder, and why
// it writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "common/text_codec.h"
#include "mapfile/map_layout.h"
#include "mapfile/map_preview.h"
#include "tests/mapfile/mpq_writer.h"
#include "tests/scratch_folder.h"
#include "tests/ui/png_decoder.h"
#include "ui/preview_command.h"

namespace qrvl::test {
namespace {

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::filesystem::path> entries(const std::filesystem::path& folder) {
    std::set<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename());
    }
    return names;
}

class PreviewCommandTest : public testing::Test {
  protected:
    PreviewCommandTest() {
        // 16 × 8 tiles of Ice: two players' starts, minerals and a geyser.
        std::vector<ChkSection> sections = plainScenario("Two Starts", 2, 16, 8, 6);
        sections.push_back(
            {"UNIT",
             unitEntries({{214, 64, 64, 0}, {214, 448, 192, 1}, {176, 100, 64}, {188, 400, 200}})});
        writeFile(map, simpleMap(chkBytes(sections)));
        writeFile(out, {'o', 'l', 'd'});
    }

    ScratchFolder folder{L"preview"};
    const std::filesystem::path map = folder.path() / L"(2)Two Starts.scx";
    const std::filesystem::path out = folder.path() / L"two starts.png";
};

TEST_F(PreviewCommandTest, WritesTheMapsPictureAtTheSizeAsked) {
    const MapLayoutReading reading = readMapLayoutFile(map.wstring());
    ASSERT_TRUE(reading.layout.has_value()) << reading.error;
    ASSERT_EQ(reading.layout->starts.size(), 2u);
    const struct {
        std::vector<std::wstring> size;
        int width;
    } rows[] = {{{}, 256}, {{L"16"}, 16}, {{L"2048"}, 2048}, {{L"0100"}, 100}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.width);
        std::vector<std::wstring> arguments = {map.wstring(), out.wstring()};
        arguments.insert(arguments.end(), row.size.begin(), row.size.end());
        const PickResult result = previewMap(arguments);
        EXPECT_EQ(result.status, kPickWroteStatus);
        EXPECT_EQ(result.reason, L"");
        const auto picture = decodePng(fileBytes(out));
        ASSERT_TRUE(picture.has_value());
        EXPECT_EQ(picture->width, row.width);
        EXPECT_TRUE(*picture == renderMapPreview(*reading.layout, row.width));
        EXPECT_EQ(entries(folder.path()),
                  (std::set<std::filesystem::path>{map.filename(), out.filename()}));
    }
}

TEST_F(PreviewCommandTest, BadArgumentsGiveTheUsageLineAndTouchNothing) {
    const std::wstring m = map.wstring();
    const std::wstring o = out.wstring();
    const std::vector<std::wstring> rows[] = {
        {},
        {m},
        {m, o, L"256", L"x"},
        {m, o, L"15"},
        {m, o, L"2049"},
        {m, o, L"abc"},
        {m, o, L""},
        {m, o, L"+256"},
        {m, o, L" 256"},
        {m, o, L"25.6"},
        {m, o, L"99999999999999999999"},
    };
    for (const auto& arguments : rows) {
        SCOPED_TRACE(arguments.size() > 2 ? utf8Codec().encode(arguments[2]) : "count");
        const PickResult result = previewMap(arguments);
        EXPECT_EQ(result.status, kUsageStatus);
        EXPECT_EQ(result.reason, kUsageLine);
        EXPECT_EQ(fileBytes(out), (Bytes{'o', 'l', 'd'}));
    }
}

TEST_F(PreviewCommandTest, SaysWhyAndLeavesTheFolderAsItWasWhenItCannotReadOrWrite) {
    const std::filesystem::path broken = folder.path() / L"broken.scm";
    writeFile(broken, {'M', 'P', 'Q', 0x1A, 'n', 'o'});
    const std::filesystem::path aFolder = folder.path() / L"a folder.png";
    std::filesystem::create_directory(aFolder);
    const std::filesystem::path missing = folder.path() / L"missing";
    const struct {
        std::filesystem::path map;
        std::filesystem::path out;
        std::wstring reason;
    } rows[] = {
        {folder.path() / L"gone.scm", out,
         L"qrvl: cannot read the map \"" + (folder.path() / L"gone.scm").wstring() +
             L"\": cannot open the file"},
        {broken, out,
         L"qrvl: cannot read the map \"" + broken.wstring() + L"\": not a map archive"},
        {map, missing / L"out.png",
         L"qrvl: cannot write \"" + (missing / L"out.png").wstring() + L"\""},
        {map, aFolder, L"qrvl: cannot write \"" + aFolder.wstring() + L"\""},
    };
    const auto before = entries(folder.path());
    for (const auto& row : rows) {
        SCOPED_TRACE(utf8Codec().encode(row.reason));
        const PickResult result = previewMap({row.map.wstring(), row.out.wstring(), L"64"});
        EXPECT_EQ(result.status, kPickFailedStatus);
        EXPECT_EQ(result.reason, row.reason);
        EXPECT_EQ(fileBytes(out), (Bytes{'o', 'l', 'd'}));
        EXPECT_EQ(entries(folder.path()), before);
        EXPECT_TRUE(std::filesystem::is_empty(aFolder));
    }
}

}  // namespace
}  // namespace qrvl::test
