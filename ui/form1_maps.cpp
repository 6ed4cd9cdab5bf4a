// The main window's side of the Maps window: the map held for the next game, the marks, and
// the Maps window's place in config.ini.
#include <utility>

#include "map/ansi_path.h"
#include "settings/cini.h"
#include "ui/config_ini.h"
#include "ui/form1.h"
#include "ui/form1_owned.h"
#include "ui/map_library.h"
#include "ui/skip_on_failure.h"

namespace qrvl {

namespace {

// The Maps window's place and size, in a section of its own so that its keys stay apart from
// the settings.
constexpr wchar_t kMapsWindowSection[] = L"Maps window";
constexpr double kMapsMinWidthTwips = 6000;
constexpr double kMapsMinHeightTwips = 4000;

}  // namespace

void Form1::maps_Click() {
    if (!mapsOpen_) {
        mapsOpen_ = true;
        // The list fills as the maps are read.
        owned_->library.setWatched(true);
    }
    host_.ShowMaps(*this);
}

void Form1::MapsClosed() {
    mapsOpen_ = false;
    MapsChanged = nullptr;
    owned_->library.setWatched(false);
}

void Form1::resume_Click() {
    ResumeRandomPicks();
}

const FittingMaps& Form1::Maps() {
    return owned_->library.maps();
}

std::wstring Form1::MapsFolder() {
    return Text1.Text();
}

std::optional<std::wstring> Form1::HeldMap() {
    return held_ ? std::optional<std::wstring>(held_->second) : std::nullopt;
}

bool Form1::PlayNext(std::size_t index) {
    const auto& entries = owned_->library.maps().entries();
    if (index >= entries.size()) {
        return false;
    }
    const FittingMaps::Entry& entry = entries[index];
    bool wrote = false;
    skipOnFailure([&] { wrote = owned_->update.writeFirst(entry.gamePath); });
    if (!wrote) {
        return false;
    }
    held_ = {entry.gamePath, entry.title()};
    showPick();
    return true;
}

void Form1::ResumeRandomPicks() {
    if (!held_) {
        return;
    }
    held_.reset();
    if (inTray_) {
        tray_.SetTip(trayTip());
    }
    tellWindows();
}

bool Form1::SetMark(std::size_t index, Mark mark) {
    const bool set = owned_->library.setMark(index, mark);
    tellWindows();
    return set;
}

void Form1::ShowInFolder(std::size_t index) {
    const auto& entries = owned_->library.maps().entries();
    if (index < entries.size()) {
        // The game's spelling of the path is one the ANSI command line can carry.
        const std::string command =
            shell_.codec().encode(L"explorer.exe /select,\"" + entries[index].gamePath + L"\"");
        shell_.WinExec(command.c_str(), kSwShowNormal);
    }
}

std::wstring Form1::MarksProblem() {
    return owned_->library.marksProblem();
}

void Form1::LoadPlacement(FormWindow& window) {
    CINI& ini = owned_->ini;
    skipOnFailure([&] { ini.Section(kMapsWindowSection); });
    ini.LoadFormPosition(window, kMapsMinWidthTwips, kMapsMinHeightTwips);
    skipOnFailure([&] { ini.Section(kConfigSection); });
}

void Form1::SavePlacement(FormWindow& window) {
    CINI& ini = owned_->ini;
    skipOnFailure([&] { ini.Section(kMapsWindowSection); });
    ini.SaveFormPosition(window);
    skipOnFailure([&] { ini.Section(kConfigSection); });
}

}  // namespace qrvl
