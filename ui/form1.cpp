// The main window's behaviour: every decision behind its events, with the real window as host.
#include "ui/form1.h"

#include "ui/form1_owned.h"

#include <optional>
#include <string>
#include <utility>

#include "common/error.h"
#include "map/ansi_path.h"
#include "map/catalogue.h"
#include "map/recent_maps.h"
#include "settings/cini.h"
#include "ui/config_ini.h"
#include "ui/fitting_maps.h"
#include "ui/folders.h"
#include "ui/map_library.h"
#include "ui/skip_on_failure.h"

namespace qrvl {

namespace {

constexpr WindowHandle kNoOwner = 0;

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

}  // namespace

Form1::Form1(Form1Host& host, ShellApi& shell, Form1Seams seams)
    : host_(host),
      shell_(shell),
      tray_(shell, host),
      owned_(std::make_unique<Owned>(std::move(seams), host, [&host] { host.PostMapsRead(); })) {
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
        owned_->library.handOverMaps();
        host_.DoEvents();
    });
    owned_->update.setPickCheck(
        [this](const std::wstring& map) { return owned_->follower.mayPick(map); });
    mapFilter.Click = [this] { mapFilter_Click(); };
    maps.Click = [this] { maps_Click(); };
    resume.Click = [this] { resume_Click(); };
    owned_->catalogue.setRebuildObserver([this](bool started) {
        owned_->library.rebuildStep(started);
        if (MapsChanged) {
            MapsChanged();
        }
    });
    owned_->catalogue.setMapObserver(
        [this](const CataloguedMap& map) { owned_->library.mapFound(map); });
}

Form1::~Form1() = default;

void Form1::Form_Load() {
    CINI& ini = owned_->ini;
    skipOnFailure([&] { ini.path(configFile(*owned_->ansiPaths, host_.AppPath())); });
    skipOnFailure([&] { ini.Section(kConfigSection); });

    // The marks and the filter before the folder, so that its maps are read while the scan
    // goes on.
    owned_->library.open(host_.AppPath());
    skipOnFailure([&] {
        ini.Key(kPlayersKey);
        const std::wstring players = ini.Value();
        ini.Key(kTilesetsKey);
        const std::wstring tilesets = ini.Value();
        ini.Key(kFavouritesKey);
        owned_->library.setFilter(parseMapFilter(players, tilesets, ini.Value()));
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
    if (held_) {
        // The player chose the next game's map: it stays at the head of the list.
        return;
    }
    const bool scmTicked = scm.Value() != CheckBox::kUnchecked;
    const bool scxTicked = scx.Value() != CheckBox::kUnchecked;
    FittingMaps& maps = owned_->library.maps();
    if (!maps.rulesActive()) {
        skipOnFailure([&] { owned_->update.chooseList(scmTicked, scxTicked, owned_->catalogue); });
        return;
    }
    MapCollection* fitting = maps.chosenList(scmTicked, scxTicked);
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
    tellWindows();
}

void Form1::tellWindows() {
    if (FilterChanged) {
        FilterChanged();
    }
    if (MapsChanged) {
        MapsChanged();
    }
}

std::wstring Form1::trayTip() const {
    if (held_) {
        return std::wstring(kTrayTip) + L"\nNext: " + held_->second;
    }
    const std::wstring& pick = owned_->update.lastPick();
    const MapReading* reading = pick.empty() ? nullptr : owned_->library.maps().readingOf(pick);
    if (!reading || !reading->info) {
        return kTrayTip;
    }
    return std::wstring(kTrayTip) + L"\n" + reading->info->title;
}

void Form1::MapsRead() {
    const bool scmTicked = scm.Value() != CheckBox::kUnchecked;
    const bool scxTicked = scx.Value() != CheckBox::kUnchecked;
    // At start the scan runs before the boxes are ticked: any map to pick counts then.
    if (owned_->library.takeReadings(scmTicked || !scxTicked, scxTicked || !scmTicked) &&
        owned_->updateWaiting) {
        // The update that found nothing is made now, rather than a tick later.
        chooseList();
    }
    tellWindows();
}

MapFilter Form1::CurrentFilter() {
    return owned_->library.maps().filter();
}

FitCounts Form1::Counts(const MapFilter& filter) {
    return owned_->library.maps().counts(filter, scm.Value() != CheckBox::kUnchecked,
                                         scx.Value() != CheckBox::kUnchecked);
}

std::optional<MapInfo> Form1::LastPick() {
    const std::wstring& pick = owned_->update.lastPick();
    const MapReading* reading = pick.empty() ? nullptr : owned_->library.maps().readingOf(pick);
    return reading ? reading->info : std::nullopt;
}

void Form1::ApplyFilter(const MapFilter& filter) {
    CINI& ini = owned_->ini;
    skipOnFailure([&] { ini.Key(kPlayersKey); });
    skipOnFailure([&] { ini.Value(playersValue(filter)); });
    skipOnFailure([&] { ini.Key(kTilesetsKey); });
    skipOnFailure([&] { ini.Value(tilesetsValue(filter)); });
    // Written only once the player has asked for it, so that older files keep their keys.
    if (filter.favouritesOnly || owned_->library.maps().filter().favouritesOnly) {
        skipOnFailure([&] { ini.Key(kFavouritesKey); });
        skipOnFailure([&] { ini.Value(favouritesValue(filter)); });
    }
    // The next update draws with it; the maps already read need no second reading.
    owned_->library.setFilter(filter);
    if (!owned_->library.maps().rulesActive()) {
        owned_->updateWaiting = false;
    }
    tellWindows();
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
    return owned_->library.maps();
}

void Form1::TaskbarCreated() {
    if (inTray_) {
        tray_.AddTrayIcon(trayTip());
    }
}

}  // namespace qrvl
