// The Filter window's load, its boxes, OK and Cancel.
#include "ui/filter_form.h"

#include <cstddef>

namespace qrvl {

namespace {

// Each caption's mnemonic is its first letter but Installation's, which Ice already takes.
constexpr std::array<const wchar_t*, 8> kTilesetCaptions = {
    L"&Badlands", L"&Space Platform", L"I&nstallation", L"&Ashworld",
    L"&Jungle",   L"&Desert",         L"&Ice",          L"&Twilight",
};

std::uint8_t tickedBits(const std::array<CheckBox, 8>& boxes) {
    std::uint8_t bits = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i].Value() != CheckBox::kUnchecked) {
            bits |= static_cast<std::uint8_t>(1u << i);
        }
    }
    return bits;
}

}  // namespace

std::wstring groupedCount(std::int64_t count) {
    std::wstring digits = std::to_wstring(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, 1, L',');
    }
    return digits;
}

std::wstring countLine(const FitCounts& counts) {
    std::wstring line = groupedCount(counts.fit) + L" of " + groupedCount(counts.maps) +
                        L" maps fit (" + groupedCount(counts.unreadable) + L" unreadable)";
    if (counts.read < counts.maps && counts.fit < counts.maps) {
        line += L", " + groupedCount(counts.maps - counts.read) + L" still to read";
    }
    return line;
}

std::wstring lastPickLine(const std::optional<MapInfo>& info) {
    if (!info) {
        return L"Last pick: not read";
    }
    return L"Last pick: " + info->title + L" (" + std::to_wstring(info->players) +
           (info->players == 1 ? L" player, " : L" players, ") + std::to_wstring(info->width) +
           L" x " + std::to_wstring(info->height) + L", " +
           std::wstring(tilesetName(info->tileset)) + L")";
}

frmFilter::frmFilter(FilterSource& source, FilterHost& host) : source_(source), host_(host) {
    for (std::size_t i = 0; i < Players.size(); ++i) {
        Players[i].Caption = L"&" + std::to_wstring(i + 1);
        Players[i].Click = [this] { Refresh(); };
        Tilesets[i].Caption = kTilesetCaptions[i];
        Tilesets[i].Click = [this] { Refresh(); };
    }
    Favourites.Click = [this] { Refresh(); };
    OK.Click = [this] { OK_Click(); };
    Cancel.Click = [this] { Cancel_Click(); };
}

void frmFilter::Form_Load() {
    const MapFilter filter = source_.CurrentFilter();
    for (std::size_t i = 0; i < Players.size(); ++i) {
        Players[i].Value(((filter.players >> i) & 1u) != 0 ? CheckBox::kChecked
                                                           : CheckBox::kUnchecked);
        Tilesets[i].Value(((filter.tilesets >> i) & 1u) != 0 ? CheckBox::kChecked
                                                             : CheckBox::kUnchecked);
    }
    Favourites.Value(filter.favouritesOnly ? CheckBox::kChecked : CheckBox::kUnchecked);
    Refresh();
}

void frmFilter::Refresh() {
    Count.Caption(countLine(source_.Counts(Chosen())));
    LastPick.Caption(lastPickLine(source_.LastPick()));
}

MapFilter frmFilter::Chosen() const {
    return {tickedBits(Players), tickedBits(Tilesets), Favourites.Value() != CheckBox::kUnchecked};
}

void frmFilter::OK_Click() {
    source_.ApplyFilter(Chosen());
    host_.Unload();
}

void frmFilter::Cancel_Click() {
    host_.Unload();
}

}  // namespace qrvl
