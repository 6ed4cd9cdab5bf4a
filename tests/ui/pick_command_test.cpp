// The one-pick command over the window's fakes: what it writes, and why it writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/ui/form1_fixture.h"
#include "tests/ui/mark_lines.h"
#include "ui/map_commands.h"
#include "ui/pick_command.h"

namespace qrvl::test {
namespace {

TEST(LaunchModeTest, OnlyAWholeSwitchLeavesTheWindowClosed) {
    const struct {
        std::vector<std::wstring> arguments;
        LaunchMode mode;
        std::wstring path = {};
        Mark mark = Mark::None;
    } rows[] = {
        {{}, LaunchMode::Window},
        {{L"/pick"}, LaunchMode::Pick},
        {{L"/PICK"}, LaunchMode::Pick},
        {{L"/pick", L"/pick"}, LaunchMode::PickMap, L"/pick"},
        {{L"/pick", L"C:\\m.scm", L"x"}, LaunchMode::Usage},
        {{L"pick"}, LaunchMode::Usage},
        {{L"/pickx"}, LaunchMode::Usage},
        {{L""}, LaunchMode::Usage},
        {{L"/List"}, LaunchMode::List},
        {{L"/list", L"/pick"}, LaunchMode::Usage},
        {{L"/mark", L"Favourite", L"m.scx"}, LaunchMode::Mark, L"m.scx", Mark::Favourite},
        {{L"/MARK", L"never", L"m.scx"}, LaunchMode::Mark, L"m.scx", Mark::Never},
        {{L"/mark", L"none", L"m.scx"}, LaunchMode::Mark, L"m.scx", Mark::None},
        {{L"/mark", L"favorite", L"m.scx"}, LaunchMode::Usage},
        {{L"/mark", L"never"}, LaunchMode::Usage},
        {{L"/Preview", L"a.scm", L"a.png", L"64"}, LaunchMode::Preview},
        {{L"/preview"}, LaunchMode::Preview},
        {{L"/previews", L"a.scm", L"a.png"}, LaunchMode::Usage},
    };
    for (const auto& row : rows) {
        const Launch launch = parseLaunch(row.arguments);
        EXPECT_EQ(launch.mode, row.mode)
            << (row.arguments.empty() ? "" : utf8Codec().encode(row.arguments[0]));
        EXPECT_EQ(launch.path, row.path);
        EXPECT_EQ(launch.mark, row.mark);
    }
}

class PickCommandTest : public Form1Test {
  protected:
    PickResult pick() {
        return pickOnce(
            host.appPath,
            [this](const std::wstring& path) { return host.OrdinaryFileExists(path); }, seams());
    }
    // The game's key made anew, empty, or removed.
    void gameKey(bool present) {
        store->RegDeleteKeyA(reg::kCurrentUser, "software\\Blizzard Entertainment\\Starcraft");
        reg::Handle key = 0;
        if (present &&
            store->RegCreateKeyExA(reg::kCurrentUser, "software\\Blizzard Entertainment\\Starcraft",
                                   0, nullptr, 0, reg::kKeyAllAccess, nullptr, &key,
                                   nullptr) == reg::kSuccess) {
            store->RegCloseKey(key);
        }
    }
};

TEST_F(PickCommandTest, WritesOneMapOfTheTickedKindsOrSaysWhyNot) {
    lister->tree.add(L"C:\\only-scx", {L"x.scx"});
    lister->tree.add(L"C:\\korean", {L"\uc9c0\ub3c4.scm"});
    // c.scm cannot be read.
    mapFiles->add(L"C:\\maps/b.scx", 2, Tileset::Ice);
    mapFiles->add(L"C:\\maps/a.scm", 4, Tileset::Jungle);
    const struct {
        const char* what;
        std::optional<std::string> config;
        bool gameKey;
        int status;
        const char* reason;  // a part of the one line
        std::wstring recent;
    } rows[] = {
        {"scm alone", "[QRVL]\npath=C:\\maps\\\nscm=yes\nscx=no\n", true, 0, "", L"C:\\maps/a.scm"},
        {"both kinds", "[QRVL]\npath=C:\\maps\\\nscm=yes\nscx=yes\n", true, 0, "",
         L"C:\\maps/b.scx"},
        {"no config.ini", std::nullopt, true, 1, "no config.ini at ", L""},
        {"no box ticked", "[QRVL]\npath=C:\\maps\\\nscm=Yes\nscx=no\n", true, 1,
         "ticks neither kind", L""},
        {"blank folder", "[QRVL]\npath=  \nscm=yes\n", true, 1, "names no maps folder", L""},
        {"missing folder", "[QRVL]\npath=C:\\gone\\\nscm=yes\n", true, 1,
         "cannot open the maps folder \"C:\\gone\\\"", L""},
        {"no map of the kind", "[QRVL]\npath=C:\\only-scx\\\nscm=yes\n", true, 1,
         "no maps (*.scm) under \"C:\\only-scx\\\"", L""},
        {"only maps the game cannot open", "[QRVL]\npath=C:\\korean\\\nscm=yes\n", true, 1,
         "; 1 left out, as the game could not open them", L""},
        {"no game key", "[QRVL]\npath=C:\\maps\\\nscm=yes\n", false, 1,
         "cannot write \"Recent Maps\"", L""},
        {"a filter", "[QRVL]\npath=C:\\maps\\\nscm=yes\nscx=yes\nplayers=4\n", true, 0, "",
         L"C:\\maps/a.scm"},
        {"a filter of unknown words", "[QRVL]\npath=C:\\maps\\\nscm=yes\nscx=yes\nplayers=9\n",
         true, 0, "", L"C:\\maps/b.scx"},
        {"no map fits", "[QRVL]\npath=C:\\maps\\\nscm=yes\nscx=yes\nplayers=2\ntilesets=jungle\n",
         true, 1, "no maps fit players 2 and tilesets Jungle (3 maps, 1 unreadable)", L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove(configFile());
        if (row.config) {
            writeConfig(*row.config);
        }
        gameKey(row.gameKey);

        const PickResult result = pick();
        EXPECT_EQ(result.status, row.status);
        const std::string reason = utf8Codec().encode(result.reason);
        if (row.status == 0) {
            EXPECT_EQ(reason, "");
        } else {
            EXPECT_EQ(reason.rfind("qrvl: ", 0), 0u) << reason;
            EXPECT_NE(reason.find(row.reason), std::string::npos) << reason;
            EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
        }
        EXPECT_EQ(recent(), row.recent);
        // config.ini is only read: no file made, nothing written back.
        EXPECT_EQ(std::filesystem::exists(configFile()), row.config.has_value());
        if (row.config) {
            EXPECT_EQ(config(), *row.config);
        }
    }
}

// "/mark" and "/pick PATH" over the same fakes: a path of this file system names each map.
TEST_F(PickCommandTest, MarkAndPickOfANamedMapCheckThatItIsAMapFirst) {
    const std::wstring map = (std::filesystem::current_path() / L"m.scx").wstring();
    mapFiles->add(map, 2, Tileset::Ice);
    const std::wstring broken = L"/nowhere/broken.scm";

    EXPECT_EQ(markMap(host.appPath, Mark::Never, L"m.scx", seams()).status, 0);
    EXPECT_EQ(marks(), markLine("never", map).substr(0, 64 + 11) + "\tm.scx\tm.scx\r\n");
    const PickResult refused = markMap(host.appPath, Mark::Favourite, broken, seams());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.reason, L"qrvl: \"/nowhere/broken.scm\" is not a readable map: not a map");
    EXPECT_EQ(markMap(host.appPath, Mark::None, map, seams()).status, 0);
    EXPECT_EQ(marks(), "");

    EXPECT_EQ(pickMap(L"m.scx", seams()).status, 0);
    EXPECT_EQ(recent(), map);
    EXPECT_EQ(pickMap(broken, seams()).status, 1);
    gameKey(false);
    const PickResult noKey = pickMap(map, seams());
    EXPECT_EQ(noKey.status, 1);
    EXPECT_NE(noKey.reason.find(L"start the game once"), std::wstring::npos);
}

}  // namespace
}  // namespace qrvl::test
