// The main window's behaviour: every decision behind its events, with the real window as host.
#include "ui/form1.h"

#include <optional>
#include <string>
#include <utility>

#include "common/error.h"
#include "map/ansi_path.h"
#include "map/catalogue.h"
#include "map/recent_maps.h"
#include "mapfile/map_reader.h"
#include "mapfile/map_reading_worker.h"
#include "settings/cini.h"
#include "ui/config_ini.h"
#include "ui/fitting_maps.h"
#include "ui/folders.h"

namespace qrvl {

namespace {

constexpr WindowHandle kNoOwner = 0;

// One step of a sequence that goes on past failures: a member's numbered error is passed over.
template <typename Step>
void skipOnFailure(Step&& step) {
    try {
        std::forward<Step>(step)();
    } catch (const Error&) {
    }
}

// The text to keep as "path": the box's text when the code page spells it; otherwise the short
// form of its directory followed by what the box adds after it (its "\" and any spaces), so
// that the same directory comes back at the next start. Unchanged when there is no such form.
std::wstring pathToSave(const AnsiPathApi& api, const std::wstring& text) {
    if (survivesAnsi(api.codec(), text)) {
        return text;
    }
    const std::size_t end = text.find_last_not_of(L"\\ ");
    if (end == std::wstring::npos) {
        return text;
    }
    const std::optional<std::wstring> spelled = ansiSpelling(api, text.substr(0, end + 1));
    return spelled ? *spelled + text.substr(end + 1) : text;
}

template <typename T, typename Make>
std::shared_ptr<T> orDefault(std::shared_ptr<T> given, Make make) {
    return given ? std::move(given) : make();
}

}  // namespace

struct Form1::Owned {
    Owned(Form1Seams seams, FollowerHost& host)
        : ini(orDefault(std::move(seams.profile), systemProfileApi)),
          update(orDefault(std::move(seams.registry), reg::systemRegistryApi),
                 orDefault(std::move(seams.random),
                           [] { return std::make_shared<ClockSeededRandom>(); })),
          ansiPaths(orDefault(std::move(seams.ansiPaths), systemAnsiPathApi)),
          catalogue(orDefault(std::move(seams.directories), systemDirectoryLister), ansiPaths),
          follower(catalogue, orDefault(std::move(seams.watch), systemDirectoryWatch), host),
          mapReader(seams.mapReader ? std::move(seams.mapReader) : MapFileReader(readMapFile)) {}

    CINI ini;
    RecentMapsUpdate update;
    std::shared_ptr<AnsiPathApi> ansiPaths;
    Catalogue catalogue;
    CatalogueFollower follower;
    MapFileReader mapReader;
    // Every map of the latest rebuild, what each said and which fit: kept without a filter too,
    // so that a filter chosen later applies without a rescan.
    FittingMaps maps;
    // Only while a filter is set.
    std::unique_ptr<MapReadingWorker> worker;
    // Maps the scan found since it last yielded: handed to the worker together.
    std::vector<MapToRead> found;
    bool rebuildDone = false;
    // An update found no fitting map: the first one read makes the update then.
    bool updateWaiting = false;
};

Form1::Form1(Form1Host& host, ShellApi& shell, Form1Seams seams)
    : host_(host),
      shell_(shell),
      tray_(shell, host),
      owned_(std::make_unique<Owned>(std::move(seams), host)) {
    Text1.Change = [this] { Text1_Change(); };
    scm.Click = [this] { scm_Click(); };
    scx.Click = [this] { scx_Click(); };
    Timer1.OnTimer = [this] { Timer1_Timer(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    leave.Click = [this] { leave_Click(); };
    leave2.Click = [this] { leave2_Click(); };
    info.Click = [this] { info_Click(); };
    owned_->catalogue.setYield([this] {
        handOverMaps();
        host_.DoEvents();
    });
    owned_->update.setPickCheck(
        [this](const std::wstring& map) { return owned_->follower.mayPick(map); });
    mapFilter.Click = [this] { mapFilter_Click(); };
    owned_->catalogue.setRebuildObserver([this](bool started) { rebuildStep(started); });
    owned_->catalogue.setMapObserver([this](const CataloguedMap& map) { mapFound(map); });
}

Form1::~Form1() = default;

void Form1::Form_Load() {
    CINI& ini = owned_->ini;
    skipOnFailure([&] { ini.path(configFile(*owned_->ansiPaths, host_.AppPath())); });
    skipOnFailure([&] { ini.Section(kConfigSection); });

    // The filter before the folder, so that its maps are read while the scan goes on.
    skipOnFailure([&] {
        ini.Key(kPlayersKey);
        const std::wstring players = ini.Value();
        ini.Key(kTilesetsKey);
        useFilter(parseMapFilter(players, ini.Value()));
    });

    bool firstRun = false;
    skipOnFailure([&] { firstRun = !host_.OrdinaryFileExists(ini.path()); });
    if (firstRun) {
        skipOnFailure([&] { ini.Key(kScmKey); });
        skipOnFailure([&] { ini.Value(kYes); });
        skipOnFailure([&] { ini.Key(kScxKey); });
        skipOnFailure([&] { ini.Value(kYes); });
        skipOnFailure([&] { ini.Key(kPathKey); });
        skipOnFailure([&] { Command1_Click(); });
    }

    skipOnFailure([&] { ini.Key(kPathKey); });
    skipOnFailure([&] { Text1.Text(ini.Value()); });
    // Ticking a box raises its click, which saves it back and runs an update at once.
    skipOnFailure([&] { ini.Key(kScmKey); });
    skipOnFailure([&] {
        if (ini.Value() == kYes) {
            scm.Value(CheckBox::kChecked);
        }
    });
    skipOnFailure([&] { ini.Key(kScxKey); });
    skipOnFailure([&] {
        if (ini.Value() == kYes) {
            scx.Value(CheckBox::kChecked);
        }
    });
}

void Form1::Form_Resize() {
    if (host_.WindowState() == kWindowMinimised) {
        host_.Visible(false);
        inTray_ = true;
        tray_.AddTrayIcon(trayTip());
    } else {
        host_.Visible(true);
        inTray_ = false;
        tray_.RemoveTrayIcon();
    }
}

void Form1::Form_QueryUnload() {
    exitProgram();
}
void Form1::Command2_Click() {
    exitProgram();
}
void Form1::leave_Click() {
    exitProgram();
}
void Form1::leave2_Click() {
    exitProgram();
}

void Form1::exitProgram() {
    // Nothing else needs doing: every setting was saved when it changed.
    tray_.RemoveTrayIcon();
    host_.End();
}

void Form1::Command1_Click() {
    const std::wstring chosen = BrowseForFolder(shell_, kNoOwner);
    // A cancel still changes the text, so the catalogue of the same directory is rebuilt.
    const std::wstring text = chosen.empty() ? Text1.Text() + L" " : chosen + L"\\";
    if (text == Text1.Text()) {
        // The folder in the box chosen again leaves the text as it is, yet the player asks for
        // its maps afresh: a share whose watch ended when it dropped its connection is watched
        // and read again only so.
        skipOnFailure([&] { owned_->follower.follow(text); });
        return;
    }
    Text1.Text(text);
}

void Form1::info_Click() {
    host_.ShowAbout();
}

void Form1::mapFilter_Click() {
    // One Filter window at a time: the menus stay reachable while it is open only through
    // nested loops, and a second would save over the first.
    if (filterOpen_) {
        return;
    }
    filterOpen_ = true;
    host_.ShowFilter(*this);
    filterOpen_ = false;
    FilterChanged = nullptr;
}

void Form1::Text1_Change() {
    // A copy: handlers run inside the scan may change the box while it walks.
    const std::wstring text = Text1.Text();
    CINI& ini = owned_->ini;
    skipOnFailure([&] { ini.Key(kPathKey); });
    skipOnFailure([&] { ini.Value(pathToSave(*owned_->ansiPaths, text)); });
    // The watch moves with the text, and the catalogue is rebuilt for it.
    skipOnFailure([&] { owned_->follower.follow(text); });
}

void Form1::scm_Click() {
    saveCheckBox(kScmKey, scm);
}
void Form1::scx_Click() {
    saveCheckBox(kScxKey, scx);
}

void Form1::saveCheckBox(const wchar_t* key, const CheckBox& box) {
    CINI& ini = owned_->ini;
    skipOnFailure([&] { ini.Key(key); });
    skipOnFailure([&] { ini.Value(box.Value() == CheckBox::kUnchecked ? kNo : kYes); });
    chooseList();
}

void Form1::Timer1_Timer() {
    chooseList();
}

void Form1::chooseList() {
    const bool scmTicked = scm.Value() != CheckBox::kUnchecked;
    const bool scxTicked = scx.Value() != CheckBox::kUnchecked;
    if (!owned_->maps.filter().active()) {
        skipOnFailure([&] { owned_->update.chooseList(scmTicked, scxTicked, owned_->catalogue); });
        return;
    }
    MapCollection* fitting = owned_->maps.chosenList(scmTicked, scxTicked);
    if (!fitting) {
        return;
    }
    owned_->updateWaiting = fitting->Count() < 1;
    bool wrote = false;
    skipOnFailure([&] { wrote = owned_->update.modifyReg(*fitting); });
    if (wrote) {
        showPick();
    }
}

void Form1::showPick() {
    if (inTray_) {
        tray_.SetTip(trayTip());
    }
    if (FilterChanged) {
        FilterChanged();
    }
}

std::wstring Form1::trayTip() const {
    const std::wstring& pick = owned_->update.lastPick();
    const MapReading* reading = pick.empty() ? nullptr : owned_->maps.readingOf(pick);
    if (!reading || !reading->info) {
        return kTrayTip;
    }
    return std::wstring(kTrayTip) + L"\n" + reading->info->title;
}

void Form1::rebuildStep(bool started) {
    if (!started) {
        owned_->rebuildDone = true;
        handOverMaps();
        if (owned_->worker) {
            owned_->worker->allGiven();
        }
        return;
    }
    owned_->maps.startOver();
    owned_->found.clear();
    owned_->rebuildDone = false;
    if (owned_->worker) {
        owned_->worker->startOver();
    }
}

void Form1::mapFound(const CataloguedMap& map) {
    owned_->maps.add(map);
    if (owned_->worker) {
        owned_->found.push_back({*map.file.path, map.file.stamp});
    }
}

void Form1::startReading() {
    owned_->worker = std::make_unique<MapReadingWorker>(
        owned_->mapReader, mapCacheFile(host_.AppPath()), [this] { host_.PostMapsRead(); });
    // The maps the latest rebuild found so far; the rest follow as its scan finds them.
    owned_->found.clear();
    for (const FittingMaps::Entry& entry : owned_->maps.entries()) {
        owned_->found.push_back({entry.fullPath, entry.stamp});
    }
    handOverMaps();
    if (owned_->rebuildDone) {
        owned_->worker->allGiven();
    }
}

void Form1::handOverMaps() {
    if (owned_->worker && !owned_->found.empty()) {
        owned_->worker->add(std::exchange(owned_->found, {}));
    }
}

void Form1::useFilter(const MapFilter& filter) {
    owned_->maps.setFilter(filter);
    if (!filter.active()) {
        // Without a filter no map is opened: the reading stops after the map in hand.
        owned_->worker.reset();
        owned_->updateWaiting = false;
    } else if (!owned_->worker) {
        startReading();
    }
}

void Form1::MapsRead() {
    if (!owned_->worker) {
        return;
    }
    for (MapRead& read : owned_->worker->take()) {
        owned_->maps.read(read.index, std::move(read.reading));
    }
    const bool scmTicked = scm.Value() != CheckBox::kUnchecked;
    const bool scxTicked = scx.Value() != CheckBox::kUnchecked;
    // At start the scan runs before the boxes are ticked: any map that fits counts then.
    const MapCollection* fitting =
        owned_->maps.chosenList(scmTicked || !scxTicked, scxTicked || !scmTicked);
    if (fitting->Count() > 0) {
        if (!owned_->rebuildDone) {
            // A map to pick is known: the rest are read once the scan is over, rather than
            // slowing it down.
            owned_->worker->holdUntilAllGiven();
        }
        if (owned_->updateWaiting) {
            // The update that found nothing is made now, rather than a tick later.
            chooseList();
        }
    }
    if (FilterChanged) {
        FilterChanged();
    }
}

MapFilter Form1::CurrentFilter() {
    return owned_->maps.filter();
}

FitCounts Form1::Counts(const MapFilter& filter) {
    return owned_->maps.counts(filter, scm.Value() != CheckBox::kUnchecked,
                               scx.Value() != CheckBox::kUnchecked);
}

std::optional<MapInfo> Form1::LastPick() {
    const std::wstring& pick = owned_->update.lastPick();
    const MapReading* reading = pick.empty() ? nullptr : owned_->maps.readingOf(pick);
    return reading ? reading->info : std::nullopt;
}

void Form1::ApplyFilter(const MapFilter& filter) {
    CINI& ini = owned_->ini;
    skipOnFailure([&] { ini.Key(kPlayersKey); });
    skipOnFailure([&] { ini.Value(playersValue(filter)); });
    skipOnFailure([&] { ini.Key(kTilesetsKey); });
    skipOnFailure([&] { ini.Value(tilesetsValue(filter)); });
    // The next update draws with it; the maps already read need no second reading.
    useFilter(filter);
}

void Form1::TrayCallback(std::intptr_t lParam) {
    const auto message = static_cast<std::uint32_t>(lParam) & 0xFFFFu;
    if (message == kWmLButtonUp) {
        // The resize that follows shows the window and removes the icon.
        host_.WindowState(kWindowNormal);
        host_.Visible(true);
        host_.SetFocus();
    } else if (message == kWmRButtonUp) {
        // Without this the menu stays open when the user clicks elsewhere.
        host_.SetForegroundWindow();
        host_.PopupYESNO(kTpmRightAlign);
    }
}

void Form1::WatchChanges() {
    skipOnFailure([&] { owned_->follower.changesWaiting(); });
}

void Form1::WatchSettled() {
    skipOnFailure([&] { owned_->follower.settled(); });
}

Catalogue& Form1::catalogue() noexcept {
    return owned_->catalogue;
}

const FittingMaps& Form1::fittingMaps() const noexcept {
    return owned_->maps;
}

void Form1::TaskbarCreated() {
    if (inTray_) {
        tray_.AddTrayIcon(trayTip());
    }
}

}  // namespace qrvl
