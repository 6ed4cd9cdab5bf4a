// The listing over the window's fakes: its lines, and why it lists nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/ui/form1_fixture.h"
#include "tests/ui/mark_lines.h"
#include "ui/list_command.h"

namespace qrvl::test {
namespace {

class ListCommandTest : public Form1Test {
  protected:
    PickResult list() {
        lines.clear();
        Form1Seams listSeams = seams();
        listSeams.mapReader = [this](const std::wstring& path) {
            read.push_back(path);
            if (path.ends_with(L".scx")) {
                return MapReading{std::nullopt, "no scenario in the archive"};
            }
            return MapReading{MapInfo{L"Lost\tTemple", L"", 4, 128, 128, Tileset::Ice}, {}};
        };
        return listMaps(
            host.appPath,
            [this](const std::wstring& path) { return host.OrdinaryFileExists(path); },
            [this](const std::wstring& line) { lines.push_back(line); }, listSeams);
    }
    std::vector<std::wstring> lines;
    std::vector<std::wstring> read;
};

TEST_F(ListCommandTest, ListsEveryMapOfBothKindsInCatalogueOrderWhateverTheBoxesSay) {
    writeConfig("[QRVL]\npath=C:\\maps\\\nscm=no\nscx=no\n");
    const PickResult result = list();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(lines, (std::vector<std::wstring>{
                         L"path\ttitle\tplayers\twidth\theight\ttileset\tmark\terror",
                         L"C:\\maps/b.scx\t\t\t\t\t\t\tno scenario in the archive",
                         L"C:\\maps/a.scm\tLost Temple\t4\t128\t128\tIce\t",
                         L"C:\\maps/sub/c.scm\tLost Temple\t4\t128\t128\tIce\t",
                     }));
    // A marked map names its mark, unreadable or not; only maps of a marked size are hashed.
    const std::string never = markLine("never", L"C:\\maps/b.scx");
    std::ofstream(marksFile(), std::ios::binary)
        << markLine("favourite", L"C:\\maps/a.scm") << never;
    list();
    EXPECT_EQ(lines[1], L"C:\\maps/b.scx\t\t\t\t\t\tnever\tno scenario in the archive");
    EXPECT_EQ(lines[2], L"C:\\maps/a.scm\tLost Temple\t4\t128\t128\tIce\tfavourite");
    EXPECT_EQ(lines[3], L"C:\\maps/sub/c.scm\tLost Temple\t4\t128\t128\tIce\t");
}

TEST_F(ListCommandTest, SaysWhyAndListsNothingWithoutAFolderToScan) {
    const struct {
        const char* what;
        std::optional<std::string> config;
        const char* reason;
    } rows[] = {
        {"no config.ini", std::nullopt, "qrvl: no config.ini at "},
        {"blank folder", "[QRVL]\npath=  \nscm=yes\n", "qrvl: config.ini names no maps folder"},
        {"missing folder", "[QRVL]\npath=C:\\gone\\\nscm=yes\n",
         "qrvl: cannot open the maps folder \"C:\\gone\\\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove(configFile());
        if (row.config) {
            writeConfig(*row.config);
        }
        const PickResult result = list();
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(utf8Codec().encode(result.reason).rfind(row.reason, 0), 0u);
        EXPECT_TRUE(lines.empty());
        EXPECT_TRUE(read.empty());
    }
}

}  // namespace
}  // namespace qrvl::test
