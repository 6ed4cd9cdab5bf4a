// The Maps window's rows: made from the source's maps, searched, sorted, and acted on.
#include "ui/maps_form.h"

#include <algorithm>
#include <climits>
#include <tuple>

#include "common/case_fold.h"
#include "ui/filter_form.h"
#include "ui/map_search.h"

namespace qrvl {

namespace {

// The path below `folder`, when it lies there; the whole path otherwise.
std::wstring below(const std::wstring& path, std::wstring folder) {
    while (!folder.empty() &&
           (folder.back() == L' ' || folder.back() == L'\\' || folder.back() == L'/')) {
        folder.pop_back();
    }
    if (folder.empty() || path.size() <= folder.size() + 1 ||
        foldCase(std::wstring_view(path).substr(0, folder.size())) != foldCase(folder) ||
        (path[folder.size()] != L'\\' && path[folder.size()] != L'/')) {
        return path;
    }
    return path.substr(folder.size() + 1);
}

int markRank(const FittingMaps::Entry& entry) {
    if (entry.mark == Mark::Favourite) {
        return 0;
    }
    return entry.mark == Mark::Never ? 2 : 1;
}

const MapInfo* infoOf(const FittingMaps::Entry& entry) {
    return entry.reading && entry.reading->info ? &*entry.reading->info : nullptr;
}

}  // namespace

frmMaps::frmMaps(MapsSource& source, MapsHost& host) : source_(source), host_(host) {
    Search.Change = [this] { makeRows(); };
    OnlyFit.Click = [this] { makeRows(); };
    PlayNext.Click = [this] { PlayNext_Click(); };
    Favourite.Click = [this] { Favourite_Click(); };
    Never.Click = [this] { Never_Click(); };
    ShowInFolder.Click = [this] { ShowInFolder_Click(); };
    Resume.Click = [this] { Resume_Click(); };
}

void frmMaps::Form_Load() {
    Refresh();
}

void frmMaps::Refresh() {
    learn();
    makeRows();
}

void frmMaps::learn() {
    const auto& entries = source_.Maps().entries();
    const std::wstring folder = source_.MapsFolder();
    // A rebuild replaces the maps; otherwise only those read since are learnt again.
    const bool same = known_.size() == entries.size() &&
                      (entries.empty() || (known_.front().fullPath == entries.front().fullPath &&
                                           known_.back().fullPath == entries.back().fullPath));
    if (!same) {
        known_.assign(entries.size(), Known{});
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const FittingMaps::Entry& entry = entries[i];
        Known& known = known_[i];
        const bool read = entry.reading.has_value();
        if (known.fullPath == entry.fullPath && known.read == read) {
            continue;
        }
        if (known.fullPath != entry.fullPath) {
            known.fullPath = entry.fullPath;
            known.file = below(entry.fullPath, folder);
            known.foldedFile = foldCase(known.file);
        }
        known.read = read;
        known.title = entry.title();
        known.foldedTitle = foldCase(known.title);
    }
}

void frmMaps::makeRows() {
    const MapSearch search(Search.Text());
    const bool onlyFit = OnlyFit.Value() != CheckBox::kUnchecked;
    const FittingMaps& maps = source_.Maps();
    rows_.clear();
    for (std::size_t i = 0; i < known_.size(); ++i) {
        if ((!onlyFit || maps.pickable(i)) &&
            search.matches(known_[i].foldedTitle, known_[i].foldedFile)) {
            rows_.push_back(i);
        }
    }
    sortRows();
    Status.Caption(statusLine());
    std::optional<std::size_t> selected;
    if (selected_) {
        const auto at = std::find_if(rows_.begin(), rows_.end(), [this](std::size_t i) {
            return known_[i].fullPath == *selected_;
        });
        if (at != rows_.end()) {
            selected = static_cast<std::size_t>(at - rows_.begin());
        }
    }
    host_.RowsChanged(selected);
}

void frmMaps::sortRows() {
    const auto& entries = source_.Maps().entries();
    const auto key = [this, &entries](std::size_t i) {
        const FittingMaps::Entry& entry = entries[i];
        const MapInfo* info = infoOf(entry);
        int number = INT_MAX;
        int second = INT_MAX;
        std::wstring_view text;
        switch (sortColumn_) {
            case MapsColumn::Mark:
                number = markRank(entry);
                break;
            case MapsColumn::Title:
                text = known_[i].foldedTitle;
                break;
            case MapsColumn::Players:
                number = info ? info->players : INT_MAX;
                break;
            case MapsColumn::Size:
                number = info ? info->width * info->height : INT_MAX;
                second = info ? info->width : INT_MAX;
                break;
            case MapsColumn::Tileset:
                // Maps not read, or unreadable, come after every tileset's name.
                text = info ? tilesetName(info->tileset) : std::wstring_view(L"\uFFFF");
                break;
            case MapsColumn::File:
                break;
        }
        return std::tuple(number, second, text, std::wstring_view(known_[i].foldedFile));
    };
    std::stable_sort(rows_.begin(), rows_.end(),
                     [&key](std::size_t a, std::size_t b) { return key(a) < key(b); });
    if (descending_) {
        std::reverse(rows_.begin(), rows_.end());
    }
}

std::wstring frmMaps::statusLine() {
    const FittingMaps& maps = source_.Maps();
    std::int64_t favourites = 0;
    std::int64_t never = 0;
    std::int64_t unreadable = 0;
    std::int64_t unread = 0;
    std::int64_t fit = 0;
    for (std::size_t i = 0; i < maps.entries().size(); ++i) {
        const FittingMaps::Entry& entry = maps.entries()[i];
        favourites += entry.mark == Mark::Favourite ? 1 : 0;
        never += entry.mark == Mark::Never ? 1 : 0;
        unreadable += entry.reading && !entry.reading->info ? 1 : 0;
        unread += entry.reading ? 0 : 1;
        fit += maps.pickable(i) ? 1 : 0;
    }
    std::wstring line;
    for (const std::wstring& problem : {problem_, source_.MarksProblem()}) {
        if (!problem.empty()) {
            line += problem + L" \u00B7 ";
        }
    }
    line += groupedCount(static_cast<std::int64_t>(maps.entries().size())) + L" maps";
    if (maps.filter().active()) {
        line += L" \u00B7 " + groupedCount(fit) + L" fit the filter";
    }
    line += L" \u00B7 " + groupedCount(favourites) +
            (favourites == 1 ? L" favourite" : L" favourites") + L" \u00B7 " + groupedCount(never) +
            L" never \u00B7 " + groupedCount(unreadable) + L" unreadable";
    if (unread > 0) {
        line += L" \u00B7 " + groupedCount(unread) + L" still to read";
    }
    if (const std::optional<std::wstring> held = source_.HeldMap()) {
        line += L" \u00B7 next: " + *held;
    }
    return line;
}

const FittingMaps::Entry& frmMaps::entryAt(std::size_t row) const {
    return source_.Maps().entries().at(rows_.at(row));
}

std::wstring frmMaps::CellText(std::size_t row, MapsColumn column) const {
    if (row >= rows_.size()) {
        return {};
    }
    const FittingMaps::Entry& entry = entryAt(row);
    const MapInfo* info = infoOf(entry);
    switch (column) {
        case MapsColumn::Mark:
            if (entry.mark == Mark::Favourite) {
                return maps_text::kFavouriteSign;
            }
            return entry.mark == Mark::Never ? maps_text::kNeverSign : L"";
        case MapsColumn::Title:
            if (entry.reading && !info) {
                return reasonText(entry.reading->error);
            }
            return known_[rows_[row]].title;
        case MapsColumn::Players:
            if (!entry.reading) {
                return maps_text::kReading;
            }
            return info ? std::to_wstring(info->players) : L"";
        case MapsColumn::Size:
            return info ? std::to_wstring(info->width) + L" \u00D7 " + std::to_wstring(info->height)
                        : L"";
        case MapsColumn::Tileset:
            return info ? std::wstring(tilesetName(info->tileset)) : L"";
        case MapsColumn::File:
            return known_[rows_[row]].file;
    }
    return {};
}

bool frmMaps::RowGreyed(std::size_t row) const {
    return row < rows_.size() && entryAt(row).reading && !entryAt(row).reading->info;
}

void frmMaps::Header_Click(MapsColumn column) {
    descending_ = column == sortColumn_ && !descending_;
    sortColumn_ = column;
    makeRows();
}

void frmMaps::Select(std::optional<std::size_t> row) {
    if (row && *row < rows_.size()) {
        selected_ = known_[rows_[*row]].fullPath;
    } else {
        selected_.reset();
    }
}

std::optional<std::size_t> frmMaps::SelectedRow() const {
    if (!selected_) {
        return std::nullopt;
    }
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (known_[rows_[row]].fullPath == *selected_) {
            return row;
        }
    }
    return std::nullopt;
}

bool frmMaps::Holding() {
    return source_.HeldMap().has_value();
}

void frmMaps::PlayNext_Click() {
    if (const std::optional<std::size_t> row = SelectedRow()) {
        problem_ = source_.PlayNext(rows_[*row])
                       ? std::wstring()
                       : L"Cannot write the game's Recent Maps: start the game once";
        makeRows();
    }
}

void frmMaps::toggle(Mark mark) {
    if (const std::optional<std::size_t> row = SelectedRow()) {
        const std::size_t entry = rows_[*row];
        const Mark now = source_.Maps().entries()[entry].mark.value_or(Mark::None);
        problem_ = source_.SetMark(entry, now == mark ? Mark::None : mark)
                       ? std::wstring()
                       : L"Cannot read " + known_[entry].file;
        makeRows();
    }
}

void frmMaps::Favourite_Click() {
    toggle(Mark::Favourite);
}

void frmMaps::Never_Click() {
    toggle(Mark::Never);
}

void frmMaps::ShowInFolder_Click() {
    if (const std::optional<std::size_t> row = SelectedRow()) {
        source_.ShowInFolder(rows_[*row]);
    }
}

void frmMaps::Resume_Click() {
    source_.ResumeRandomPicks();
    makeRows();
}

}  // namespace qrvl
