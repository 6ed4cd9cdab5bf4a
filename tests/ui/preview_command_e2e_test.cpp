// "qrvl.exe /preview" as a script runs it: the built exe in a folder with no config.ini, its exit
// status, its one line on standard error, and the PNG it writes read back by WIC.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "tests/mapfile/mpq_writer.h"
#include "tests/ui/gui_support.h"
#include "tests/ui/png_decoder.h"
#include "tests/ui/program_run.h"
#include "ui/pick_command.h"

namespace qrvl {
namespace {

using Colour = std::array<std::uint8_t, 3>;

void writeFile(const std::filesystem::path& path, const test::Bytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    const std::string text(bytes.begin(), bytes.end());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

Colour pixel(const RgbImage& image, int x, int y) {
    const auto at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                     static_cast<std::size_t>(x)) *
                    3;
    return {image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]};
}

class PreviewCommandE2E : public ::testing::Test {
  protected:
    PreviewCommandE2E() {
        EXPECT_TRUE(CopyFileW(gui_test::builtExe().c_str(), exe.c_str(), FALSE));
        // 64 × 64 tiles of Jungle (2,048 pixels a side), four players in the corners, minerals
        // in the middle and a geyser above them.
        std::vector<test::ChkSection> sections = test::plainScenario("Four Corners", 4, 64, 64, 4);
        sections.push_back({"UNIT", test::unitEntries({{214, 320, 320, 0},
                                                       {214, 1728, 320, 1},
                                                       {214, 320, 1728, 2},
                                                       {214, 1728, 1728, 3},
                                                       {176, 1024, 1024},
                                                       {188, 1024, 512}})});
        writeFile(map, test::simpleMap(test::chkBytes(sections)));
    }

    gui_test::ProgramRun run(const std::wstring& arguments) {
        return gui_test::runProgram(exe, L"/preview " + arguments);
    }

    gui_test::ScratchFolder app{L"preview-app"};
    gui_test::ScratchFolder maps{L"preview-maps"};
    const std::wstring exe = app.text() + L"\\qrvl.exe";
    const std::filesystem::path map = maps.path() / L"(4)Four Corners.scx";
    const std::filesystem::path out = maps.path() / L"pictures" / L"four corners.png";
};

TEST_F(PreviewCommandE2E, WritesTheMapsPictureWithoutConfigOrWindow) {
    std::filesystem::create_directories(out.parent_path());
    const gui_test::ProgramRun done =
        run(L"\"" + map.wstring() + L"\" \"" + out.wstring() + L"\" 128");
    EXPECT_EQ(done.status, 0u) << done.standardError;
    EXPECT_EQ(done.standardError, "");
    EXPECT_EQ(done.windowsCreated, 0);
    const std::string bytes = gui_test::fileBytes(out);
    const auto picture = test::decodePng(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->width, 128);
    ASSERT_EQ(picture->height, 128);
    // 16 map pixels to one picture pixel.
    const struct {
        const char* what;
        int x;
        int y;
        Colour colour;
    } expected[] = {
        {"player 1", 20, 20, {244, 4, 4}},     {"player 2", 108, 20, {12, 72, 204}},
        {"player 3", 20, 108, {44, 180, 148}}, {"player 4", 108, 108, {136, 64, 156}},
        {"minerals", 64, 64, {64, 160, 255}},  {"geyser", 64, 32, {0, 220, 120}},
        {"Jungle", 0, 0, {48, 88, 40}},        {"Jungle", 127, 64, {48, 88, 40}},
    };
    for (const auto& point : expected) {
        EXPECT_EQ(pixel(*picture, point.x, point.y), point.colour) << point.what;
    }
    // Nothing but the picture is left: no temporary file, no config.ini, no cache.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.parent_path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_EQ(app.entryCount(), 1u);
}

TEST_F(PreviewCommandE2E, SaysWhyOrGivesTheUsageLineAndWritesNothing) {
    const std::wstring m = L"\"" + map.wstring() + L"\" ";
    const std::wstring o = L"\"" + out.wstring() + L"\"";
    const std::wstring usage = kUsageLine;
    const struct {
        const char* what;
        std::wstring arguments;
        DWORD status;
        std::string line;  // how the one line on standard error starts
    } rows[] = {
        {"no such map", L"\"" + maps.text() + L"\\gone.scm\" " + o, 1,
         "qrvl: cannot read the map "},
        {"no folder for the picture", m + L"\"" + maps.text() + L"\\missing\\x.png\"", 1,
         "qrvl: cannot write "},
        {"size too small", m + o + L" 15", 2, std::string(usage.begin(), usage.end()) + "\n"},
        {"size not a number", m + o + L" big", 2, std::string(usage.begin(), usage.end()) + "\n"},
        {"no picture named", m, 2, std::string(usage.begin(), usage.end()) + "\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const gui_test::ProgramRun done = run(row.arguments);
        EXPECT_EQ(done.status, row.status);
        EXPECT_EQ(done.windowsCreated, 0);
        EXPECT_EQ(done.standardError.rfind(row.line, 0), 0u) << done.standardError;
        EXPECT_EQ(done.standardError.find('\n'), done.standardError.size() - 1)
            << done.standardError;
        EXPECT_FALSE(std::filesystem::exists(out.parent_path()));
        EXPECT_EQ(maps.entryCount(), 1u);
    }
}

}  // namespace
}  // namespace qrvl
