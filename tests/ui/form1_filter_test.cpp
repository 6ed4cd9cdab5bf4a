// Form1 with a map filter: which maps the updates draw, when nothing is written, the Filter
// window's OK and Cancel, and the tray tip.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "tests/ui/form1_fixture.h"
#include "tests/ui/mark_lines.h"
#include "ui/filter_form.h"

namespace qrvl::test {
namespace {

class Form1FilterTest : public Form1Test {
  protected:
    Form1FilterTest() {
        // c.scm is no map the reader can read.
        mapFiles->add(L"C:\\maps/b.scx", 2, Tileset::Ice);
        mapFiles->add(L"C:\\maps/a.scm", 4, Tileset::Jungle);
        random = std::make_shared<ScriptedRandom>(std::vector<float>{0.0f, 0.4f, 0.7f, 0.99f});
    }
    void writeFilter(const std::string& keys, const std::string& kinds = "scm=yes\nscx=yes\n") {
        writeConfig("[QRVL]\npath=C:\\maps\\\n" + kinds + keys);
    }
    // Hands the window every reading of the latest rebuild, as its posted messages would.
    void readAll() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        const auto allRead = [this] {
            for (const auto& entry : form->fittingMaps().entries()) {
                if (!entry.reading) {
                    return false;
                }
            }
            return true;
        };
        while (!allRead() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            form->MapsRead();
        }
        ASSERT_TRUE(allRead());
    }
    // The maps at the head of the game's list after a few ticks.
    std::set<std::wstring> heads(int ticks = 8) {
        std::set<std::wstring> seen;
        for (int i = 0; i < ticks; ++i) {
            form->Timer1_Timer();
            const std::wstring list = recent();
            if (!list.empty()) {
                seen.insert(list.substr(0, list.find(L'\0')));
            }
        }
        return seen;
    }
};

TEST_F(Form1FilterTest, WithoutAFilterNoMapIsOpenedAndNoFilterKeyIsWritten) {
    writeFilter("players=\ntilesets=nothing known\n");
    load();
    EXPECT_EQ(heads().size(), 3u);
    EXPECT_EQ(mapFiles->openedCount(), 0u);
    EXPECT_NE(config().find("players=\ntilesets=nothing known\n"), std::string::npos);
}

TEST_F(Form1FilterTest, EveryUpdateDrawsOnlyFromTheMapsThatFitAndNoneWritesNothing) {
    const std::wstring a = L"C:\\maps/a.scm";
    const std::wstring b = L"C:\\maps/b.scx";
    const std::wstring c = L"C:\\maps/sub/c.scm";  // no map the reader can read
    const struct {
        const char* keys;
        const char* kinds;
        std::string marks;
        std::set<std::wstring> heads;
    } rows[] = {
        {"players=2\n", "scm=yes\nscx=yes\n", "", {b}},
        {"tilesets=jungle\n", "scm=yes\nscx=yes\n", "", {a}},
        {"players=4,2\n", "scm=yes\nscx=yes\n", "", {a, b}},
        {"players=2\ntilesets=Ice\n", "scm=yes\nscx=no\n", "", {}},  // the kind boxes come first
        {"players=3\n", "scm=yes\nscx=yes\n", "", {}},
        // A "never" map is left out with no filter at all, and before any filter.
        {"", "scm=yes\nscx=yes\n", markLine("never", b), {a, c}},
        {"players=2,4\n", "scm=yes\nscx=yes\n", markLine("never", b), {a}},
        {"favourites=only\n", "scm=yes\nscx=yes\n", markLine("favourite", a), {a}},
        {"favourites=ONLY\nplayers=2\n", "scm=yes\nscx=yes\n", markLine("favourite", a), {}},
        {"favourites=only\n",
         "scm=yes\nscx=yes\n",
         markLine("favourite", a) + markLine("never", a) + markLine("favourite", c),
         {c}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.keys) + row.marks);
        std::ofstream(marksFile(), std::ios::binary | std::ios::trunc) << row.marks;
        // Each row starts from an empty list and a window of its own.
        store->RegDeleteKeyA(reg::kCurrentUser, "software\\Blizzard Entertainment\\Starcraft");
        reg::Handle key = 0;
        store->RegCreateKeyExA(reg::kCurrentUser, "software\\Blizzard Entertainment\\Starcraft", 0,
                               nullptr, 0, reg::kKeyAllAccess, nullptr, &key, nullptr);
        store->RegCloseKey(key);
        writeFilter(row.keys, row.kinds);
        load();
        readAll();
        EXPECT_EQ(heads(), row.heads);
    }
}

TEST_F(Form1FilterTest, AnUpdateThatFoundNoFittingMapIsMadeOnceTheFirstIsRead) {
    writeFilter("players=4\n");
    load();  // ticking the boxes made an update before any map was read
    EXPECT_EQ(recent(), L"");
    readAll();
    EXPECT_EQ(recent().substr(0, recent().find(L'\0')), L"C:\\maps/a.scm");
}

TEST_F(Form1FilterTest, ANewFolderForgetsTheOldMapsAndReadsTheNewOnes) {
    lister->tree.add(L"C:\\other", {L"d.scm"});
    mapFiles->add(L"C:\\other/d.scm", 2, Tileset::Desert);
    writeFilter("players=2\n");
    load();
    readAll();
    form->Text1.Text(L"C:\\other\\");
    readAll();
    EXPECT_EQ(heads(), std::set<std::wstring>{L"C:\\other/d.scm"});
}

class FakeFilterHost final : public FilterHost {
  public:
    void Unload() override { ++unloads; }
    int unloads = 0;
};

TEST_F(Form1FilterTest, TheFilterWindowSavesItsBoxesOnOkOnlyAndTheNextTickDrawsWithThem) {
    writeFilter("");
    load();
    FakeFilterHost filterHost;
    std::wstring countBefore;
    std::wstring countAfter;
    const auto open = [&](bool ok) {
        host.onFilter = [&](FilterSource& source) {
            frmFilter window(source, filterHost);
            window.Form_Load();
            countBefore = window.Count.Caption();
            window.Tilesets[6].UserValue(CheckBox::kChecked);  // Ice
            window.Players[1].UserValue(CheckBox::kChecked);   // 2
            countAfter = window.Count.Caption();
            ok ? window.OK_Click() : window.Cancel_Click();
        };
        form->mapFilter_Click();
    };
    open(false);
    EXPECT_EQ(config().find("tilesets"), std::string::npos);
    EXPECT_EQ(countBefore, L"3 of 3 maps fit (0 unreadable)");
    // No map is read until a filter is set.
    EXPECT_EQ(countAfter, L"0 of 3 maps fit (0 unreadable), 3 still to read");

    open(true);
    EXPECT_NE(config().find("players=2\ntilesets=Ice\n"), std::string::npos);
    EXPECT_EQ(filterHost.unloads, 2);
    readAll();
    EXPECT_EQ(heads(), std::set<std::wstring>{L"C:\\maps/b.scx"});

    open(false);
    EXPECT_EQ(countBefore, L"1 of 3 maps fit (1 unreadable)");
}

TEST_F(Form1FilterTest, OnlyMyFavouritesIsSavedOnOkAndDrawsFromTheFavouritesAlone) {
    std::ofstream(marksFile(), std::ios::binary) << markLine("favourite", L"C:\\maps/a.scm");
    writeFilter("");
    load();
    FakeFilterHost filterHost;
    const auto tick = [&](std::int32_t value) {
        host.onFilter = [&](FilterSource& source) {
            frmFilter window(source, filterHost);
            window.Form_Load();
            window.Favourites.UserValue(value);
            window.OK_Click();
        };
        form->mapFilter_Click();
        readAll();
    };
    tick(CheckBox::kChecked);
    EXPECT_NE(config().find("favourites=only\n"), std::string::npos);
    EXPECT_EQ(heads(), std::set<std::wstring>{L"C:\\maps/a.scm"});
    tick(CheckBox::kUnchecked);
    EXPECT_NE(config().find("favourites=\n"), std::string::npos);
    EXPECT_EQ(heads().size(), 3u);
}

TEST_F(Form1FilterTest, TheTrayTipNamesTheLastPickOnASecondLineWhenItWasRead) {
    writeFilter("players=2,4\n");
    load();
    readAll();
    form->Timer1_Timer();
    host.WindowState(kWindowMinimised);
    ASSERT_FALSE(shell.notifies.empty());
    const std::string tip = shell.notifies.back().record.szTip;
    EXPECT_TRUE(tip == "Quorvel picker\na.scm" || tip == "Quorvel picker\nb.scx") << tip;
    // Each pick while in the tray changes the tip, when it names another map.
    const std::size_t before = shell.notifies.size();
    heads(8);
    for (std::size_t i = before; i < shell.notifies.size(); ++i) {
        EXPECT_EQ(shell.notifies[i].message, kNimModify);
    }
    EXPECT_GT(shell.notifies.size(), before);
}

}  // namespace
}  // namespace qrvl::test
