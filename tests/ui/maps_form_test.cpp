// The Maps window's behaviour: the search in any script, the sort of every column, its actions
// over the main window (marks in their file, a map held for the next game, and resume), and its
// preview pane: the caption, the picture's fit, and the latest request winning.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "common/case_fold.h"
#include "tests/ui/form1_fixture.h"
#include "ui/map_preview_pane.h"
#include "ui/map_search.h"
#include "ui/maps_form.h"

namespace qrvl::test {
namespace {

TEST(MapSearchTest, FindsEveryWordInTheTitleOrTheFileWithoutRegardToCase) {
    const struct {
        const wchar_t* query;
        const wchar_t* title;
        const wchar_t* file;
        bool found;
    } rows[] = {
        {L"", L"Python", L"p.scx", true},
        {L"lost", L"Lost Temple", L"lt.scm", true},
        {L"TEMPLE  lost", L"Lost Temple", L"lt.scm", true},
        {L"temple python", L"Lost Temple", L"lt.scm", false},
        {L"(2)", L"Lost Temple", L"maps\\(2)Lost Temple.scm", true},
        {L"\u00E9COL", L"\u00C9cole", L"e.scm", true},  // accented Latin, either case
        {L"ecole", L"\u00C9cole", L"e.scm", false},     // an accent is a letter of its own
        {L"\u0442\u0435\u043C\u043F", L"\u0422\u0415\u041C\u041F", L"t.scm", true},  // Cyrillic
        {L"\uD22C\uD63C", L"\uD22C\uD63C 1.3", L"fs.scx", true},                     // Hangul
        {L"\uD22C\uD63C", L"Fighting Spirit", L"fs.scx", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MapSearch(row.query).matches(foldCase(row.title), foldCase(row.file)), row.found)
            << utf8Codec().encode(row.query) << " in " << utf8Codec().encode(row.title);
    }
}

class RecordingMapsHost final : public MapsHost {
  public:
    void RowsChanged(std::optional<std::size_t> selected) override {
        ++changes;
        this->selected = selected;
    }
    int changes = 0;
    std::optional<std::size_t> selected;
};

// Four maps as the sort sees them: read, read, not yet read, unreadable.
class FourMaps final : public MapsSource {
  public:
    FourMaps() {
        marks.set(content(L"B"), Mark::Favourite, L"", L"");
        marks.set(content(L"D"), Mark::Never, L"", L"");
        maps.setMarks(&marks);
        add(L"b\\(8)Python.scx", MapKind::BroodWar);
        add(L"a\\(2)LT.scm", MapKind::Starcraft);
        add(L"c\\new.scm", MapKind::Starcraft);
        add(L"d\\broken.scx", MapKind::BroodWar);
        maps.read(0, {MapInfo{L"Python", L"", 8, 64, 64, Tileset::Badlands}, {}}, std::nullopt,
                  content(L"A"));
        maps.read(
            1,
            {MapInfo{L"Lost Temple", L"Temple ruins.\r\nBy Blizzard", 2, 128, 96, Tileset::Jungle},
             {}},
            std::nullopt, content(L"B"));
        maps.read(3, {std::nullopt, "not a map archive"}, std::nullopt, content(L"D"));
    }
    static MapContent content(const wchar_t* name) {
        MapContent content;
        content.hash[0] = static_cast<std::uint8_t>(name[0]);
        content.size = 1000;
        return content;
    }
    void add(const std::wstring& below, MapKind kind) {
        const std::wstring path = L"C:\\maps\\" + below;
        DirectoryFile file{below, path};
        maps.add(CataloguedMap{path, file, kind});
    }

    const FittingMaps& Maps() override { return maps; }
    std::wstring MapsFolder() override { return L"C:\\maps\\ "; }
    std::optional<std::wstring> HeldMap() override { return std::nullopt; }
    bool PlayNext(std::size_t) override { return true; }
    void ResumeRandomPicks() override {}
    bool SetMark(std::size_t, Mark) override { return true; }
    void ShowInFolder(std::size_t) override {}
    std::wstring MarksProblem() override { return {}; }
    void LoadPlacement(FormWindow&) override {}
    void SavePlacement(FormWindow&) override {}

    MapMarks marks;
    FittingMaps maps;
};

std::wstring column(const frmMaps& window, MapsColumn column) {
    std::wstring cells;
    for (std::size_t row = 0; row < window.RowCount(); ++row) {
        cells += (row ? L"|" : L"") + window.CellText(row, column);
    }
    return cells;
}

TEST(MapsFormTest, EachColumnSortsAndASecondClickReverses) {
    FourMaps source;
    RecordingMapsHost host;
    frmMaps window(source, host);
    window.Form_Load();
    // Ties and maps without the column's value go by file, after the others.
    const struct {
        MapsColumn column;
        const wchar_t* files;
    } rows[] = {
        {MapsColumn::Title, L"d\\broken.scx|a\\(2)LT.scm|c\\new.scm|b\\(8)Python.scx"},
        {MapsColumn::Mark, L"a\\(2)LT.scm|b\\(8)Python.scx|c\\new.scm|d\\broken.scx"},
        {MapsColumn::Players, L"a\\(2)LT.scm|b\\(8)Python.scx|c\\new.scm|d\\broken.scx"},
        {MapsColumn::Size, L"b\\(8)Python.scx|a\\(2)LT.scm|c\\new.scm|d\\broken.scx"},
        {MapsColumn::Tileset, L"b\\(8)Python.scx|a\\(2)LT.scm|c\\new.scm|d\\broken.scx"},
        {MapsColumn::File, L"a\\(2)LT.scm|b\\(8)Python.scx|c\\new.scm|d\\broken.scx"},
    };
    for (const auto& row : rows) {
        if (window.SortColumn() != row.column) {
            window.Header_Click(row.column);
        }
        EXPECT_FALSE(window.SortDescending());
        EXPECT_EQ(column(window, MapsColumn::File), row.files);
        window.Header_Click(row.column);
        EXPECT_TRUE(window.SortDescending());
        std::wstring reversed;
        std::wstringstream parts(row.files);
        for (std::wstring part; std::getline(parts, part, L'|');) {
            reversed = part + (reversed.empty() ? L"" : L"|") + reversed;
        }
        EXPECT_EQ(column(window, MapsColumn::File), reversed);
        window.Header_Click(row.column);
    }
}

TEST(MapsFormTest, RowsShowWhatEachMapSaidAndTheBoxKeepsOnlyThoseToPick) {
    FourMaps source;
    RecordingMapsHost host;
    frmMaps window(source, host);
    window.Form_Load();
    window.Header_Click(MapsColumn::File);
    EXPECT_EQ(column(window, MapsColumn::Mark), L"\u2605|||\u2715");
    EXPECT_EQ(column(window, MapsColumn::Title), L"Lost Temple|Python|new.scm|not a map archive");
    EXPECT_EQ(column(window, MapsColumn::Players), L"2|8|reading\u2026|");
    EXPECT_EQ(column(window, MapsColumn::Size), L"128 \u00D7 96|64 \u00D7 64||");
    EXPECT_EQ(column(window, MapsColumn::Tileset), L"Jungle|Badlands||");
    EXPECT_TRUE(window.RowGreyed(3));
    EXPECT_FALSE(window.RowGreyed(2));
    EXPECT_EQ(
        window.Status.Caption(),
        L"4 maps \u00B7 1 favourite \u00B7 1 never \u00B7 1 unreadable \u00B7 1 still to read");

    window.Select(1);
    window.OnlyFit.UserValue(CheckBox::kChecked);
    EXPECT_EQ(column(window, MapsColumn::File), L"a\\(2)LT.scm|b\\(8)Python.scx");
    // The selection follows its map as rows come and go.
    EXPECT_EQ(host.selected, 1u);
    window.Search.UserText(L"pyth");
    EXPECT_EQ(column(window, MapsColumn::File), L"b\\(8)Python.scx");
    EXPECT_EQ(host.selected, 0u);
}

TEST(MapsFormTest, ThePreviewCaptionSaysWhatTheSelectedMapSaid) {
    FourMaps source;
    RecordingMapsHost host;
    frmMaps window(source, host);
    window.Form_Load();
    window.Header_Click(MapsColumn::File);
    const PreviewCaption rows[] = {
        {L"Lost Temple", L"2 players \u00B7 128 \u00D7 96 \u00B7 Jungle",
         L"Temple ruins.\r\nBy Blizzard"},
        {L"Python", L"8 players \u00B7 64 \u00D7 64 \u00B7 Badlands", L""},
        {L"new.scm", L"reading\u2026", L""},
        {L"broken.scx", L"not a map archive", L""},
    };
    for (std::size_t row = 0; row < std::size(rows); ++row) {
        window.Select(row);
        const std::size_t entry = window.EntryOf(window.SelectedRow().value());
        EXPECT_EQ(previewCaption(source.maps.entries()[entry]), rows[row]) << row;
    }
}

TEST(MapsFormTest, ThePictureFillsThePaneOneWayAndKeepsItsProportions) {
    const struct {
        int width, height;
        PixelSize area, fit;
    } rows[] = {
        {128, 112, {200, 300}, {200, 175}},  // wider than the pane: the width fills it
        {64, 256, {200, 300}, {75, 300}},    // taller: the height does
        {128, 128, {200, 200}, {200, 200}},  // square in square
        {256, 3, {200, 300}, {200, 2}},      // 2.34 rounds down
        {256, 1, {100, 100}, {100, 1}},      // never under a pixel
        {4, 2, {3, 300}, {3, 2}},            // 1.5 rounds up
        {128, 128, {0, 300}, {0, 0}},        // a pane with no room draws nothing
    };
    for (const auto& row : rows) {
        const PixelSize fit = fitInside(row.width, row.height, row.area);
        EXPECT_EQ(fit, row.fit) << row.width << "x" << row.height << " in " << row.area.width << "x"
                                << row.area.height << ": " << fit.width << "x" << fit.height;
    }
}

TEST(MapsFormTest, TheLatestPreviewRequestWinsAndAStaleOneIsDropped) {
    PreviewRequests requests;
    const auto a = requests.ask(L"a.scm", {100, 100});
    ASSERT_TRUE(a);
    EXPECT_FALSE(requests.ask(L"a.scm", {100, 100}));  // nothing changed: nothing to draw
    const auto resized = requests.ask(L"a.scm", {120, 100});
    ASSERT_TRUE(resized);
    EXPECT_FALSE(requests.latest(a->number));
    EXPECT_FALSE(requests.ask(L"", {120, 100}));  // nothing selected: every picture is stale
    EXPECT_FALSE(requests.latest(resized->number));

    // The worker holds the first map's reading until told; two requests come meanwhile.
    std::mutex mutex;
    std::condition_variable changed;
    bool release = false;
    int ready = 0;
    std::vector<std::wstring> read;
    PreviewWorker worker(
        [&] {
            const std::lock_guard lock(mutex);
            ++ready;
            changed.notify_all();
        },
        [&](const std::wstring& path) {
            std::unique_lock lock(mutex);
            read.push_back(path);
            changed.notify_all();
            changed.wait(lock, [&] { return release; });
            return MapLayoutReading{MapLayout{128, 64, Tileset::Ice, {}, {}, {}}, {}};
        });
    const auto wait = [&](const std::function<bool()>& done) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), done);
    };
    worker.request({1, L"one.scm", {100, 100}});
    ASSERT_TRUE(wait([&] { return read.size() == 1; }));
    worker.request({2, L"two.scm", {100, 100}});
    worker.request({3, L"three.scm", {100, 100}});
    {
        const std::lock_guard lock(mutex);
        release = true;
    }
    changed.notify_all();
    ASSERT_TRUE(wait([&] { return ready == 1; }));
    const std::optional<PreviewPicture> picture = worker.take();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->number, 3u);
    EXPECT_EQ(picture->image.width, 100);
    EXPECT_EQ(picture->image.height, 50);
    const std::lock_guard lock(mutex);
    EXPECT_EQ(read, (std::vector<std::wstring>{L"one.scm", L"three.scm"}));
}

class MapsOverForm1 : public Form1Test {
  protected:
    MapsOverForm1() {
        mapFiles->add(L"C:\\maps/b.scx", 2, Tileset::Ice);
        mapFiles->add(L"C:\\maps/a.scm", 4, Tileset::Jungle);
        writeConfig("[QRVL]\npath=C:\\maps\\\nscm=yes\nscx=yes\n");
    }
    // Opens the Maps window over the loaded main window and waits for every map to be read.
    frmMaps& open() {
        load();
        form->maps_Click();
        window = std::make_unique<frmMaps>(*host.mapsSource, mapsHost);
        form->MapsChanged = [this] { window->Refresh(); };
        window->Form_Load();
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (window->Status.Caption().find(L"to read") != std::wstring::npos &&
               std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            form->MapsRead();
        }
        return *window;
    }

    RecordingMapsHost mapsHost;
    std::unique_ptr<frmMaps> window;
};

TEST_F(MapsOverForm1, PlayNextHoldsTheMapAtTheHeadUntilResumed) {
    frmMaps& maps = open();
    maps.Search.UserText(L"B.SCX");
    ASSERT_EQ(maps.RowCount(), 1u);
    maps.Select(0);
    maps.PlayNext_Click();
    const std::wstring held = recent();
    EXPECT_EQ(held.substr(0, held.find(L'\0')), L"C:\\maps/b.scx");
    for (int tick = 0; tick < 3; ++tick) {
        form->Timer1_Timer();
    }
    EXPECT_EQ(recent(), held);
    EXPECT_TRUE(maps.Holding());
    host.WindowState(kWindowMinimised);
    EXPECT_STREQ(shell.notifies.back().record.szTip, "Quorvel picker\nNext: b.scx");

    maps.Resume_Click();
    EXPECT_FALSE(maps.Holding());
    // The tip names the last pick again, which the held map was.
    EXPECT_STREQ(shell.notifies.back().record.szTip, "Quorvel picker\nb.scx");
    form->Timer1_Timer();
    EXPECT_NE(recent(), held);
}

TEST_F(MapsOverForm1, MarksToggleAndLandInTheirFile) {
    frmMaps& maps = open();
    maps.Search.UserText(L"a.scm");
    maps.Select(0);
    maps.Favourite_Click();
    EXPECT_EQ(maps.CellText(0, MapsColumn::Mark), L"\u2605");
    EXPECT_EQ(marks().rfind("favourite\t", 0), 0u) << marks();
    // The title and the file name as last seen, for people reading the file.
    EXPECT_NE(marks().find("\t1000\ta.scm\ta.scm\r\n"), std::string::npos) << marks();
    maps.Never_Click();
    EXPECT_EQ(maps.CellText(0, MapsColumn::Mark), L"\u2715");
    EXPECT_EQ(marks().rfind("never\t", 0), 0u);
    // A "never" map is never picked.
    for (int tick = 0; tick < 8; ++tick) {
        form->Timer1_Timer();
        EXPECT_NE(recent().substr(0, recent().find(L'\0')), L"C:\\maps/a.scm");
    }
    maps.Never_Click();
    EXPECT_EQ(maps.CellText(0, MapsColumn::Mark), L"");
    EXPECT_EQ(marks(), "");
}

}  // namespace
}  // namespace qrvl::test
