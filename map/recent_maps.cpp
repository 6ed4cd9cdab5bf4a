// The recent-maps update: picks a map and rewrites the game's "Recent Maps" list.
#include "map/recent_maps.h"

#include <algorithm>

#include "common/error.h"
#include "common/variant.h"

namespace qrvl {

std::vector<std::wstring> splitPieces(const std::wstring& text, std::size_t limit) {
    std::vector<std::wstring> pieces;
    if (text.empty()) {
        return pieces;
    }
    std::size_t start = 0;
    while (pieces.size() < limit) {
        const std::size_t end = text.find(L'\0', start);
        if (end == std::wstring::npos) {
            pieces.push_back(text.substr(start));
            break;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::wstring recentMapsText(const std::wstring& pick, const std::vector<std::wstring>& oldPieces) {
    std::wstring text = pick;
    text += L'\0';
    const std::size_t kept = std::min(oldPieces.size(), kOlderEntriesKept);
    for (std::size_t i = 0; i < kept; ++i) {
        text += oldPieces[i];
        text += L'\0';
    }
    text += L'\0';
    return text;
}

RecentMapsUpdate::RecentMapsUpdate(std::shared_ptr<reg::RegistryApi> api,
                                   std::shared_ptr<RandomSource> random)
    : registry_(std::move(api)), random_(std::move(random)) {}

MapCollection* RecentMapsUpdate::chosenList(bool scmTicked, bool scxTicked, Catalogue& catalogue) {
    if (scmTicked && scxTicked) {
        return &catalogue.allMaps();
    }
    if (scmTicked) {
        return &catalogue.scmMaps();
    }
    if (scxTicked) {
        return &catalogue.scxMaps();
    }
    return nullptr;
}

bool RecentMapsUpdate::chooseList(bool scmTicked, bool scxTicked, Catalogue& catalogue) {
    MapCollection* col = chosenList(scmTicked, scxTicked, catalogue);
    return col && modifyReg(*col);
}

bool RecentMapsUpdate::modifyReg(const MapCollection& col) {
    const std::vector<std::wstring> oldPieces = readOldPieces();
    random_->reseed();
    if (col.Count() < 1) {
        return false;
    }
    const std::wstring* pick = drawPick(col);
    return pick && write(*pick, oldPieces);
}

bool RecentMapsUpdate::writeFirst(const std::wstring& map) {
    return write(map, readOldPieces());
}

std::vector<std::wstring> RecentMapsUpdate::readOldPieces() {
    registry_.hKey(reg::kCurrentUser);
    registry_.KeyRoot(kGameKeyPath);
    try {
        return splitPieces(toText(registry_.GetRegistryValue(kRecentMapsValue)), kOlderEntriesKept);
    } catch (const Error&) {
        // An old value that cannot be read leaves the pick alone in the new list.
        return {};
    }
}

bool RecentMapsUpdate::write(const std::wstring& pick, const std::vector<std::wstring>& oldPieces) {
    try {
        if (!registry_.SetRegistryValue(kRecentMapsValue, recentMapsText(pick, oldPieces),
                                        static_cast<std::int32_t>(reg::kTypeMultiSz))) {
            return false;
        }
        lastPick_ = pick;
        return true;
    } catch (const Error&) {
        // A write that fails leaves the game's list as it was.
        return false;
    }
}

const std::wstring* RecentMapsUpdate::drawPick(const MapCollection& col) {
    for (int draw = 0; draw < kDrawsPerUpdate; ++draw) {
        const std::wstring& map = col.Item(pickPosition(random_->draw(), col.Count()));
        if (!mayPick_ || mayPick_(map)) {
            return &map;
        }
    }
    return nullptr;
}

}  // namespace qrvl
