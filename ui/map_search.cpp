// The search's words, folded once per keystroke; the maps' texts are folded once per map.
#include "ui/map_search.h"

#include "common/case_fold.h"

namespace qrvl {

MapSearch::MapSearch(std::wstring_view query) {
    const std::wstring folded = foldCase(query);
    std::size_t at = 0;
    while (at < folded.size()) {
        const std::size_t start = folded.find_first_not_of(L" \t\u3000", at);
        if (start == std::wstring::npos) {
            break;
        }
        const std::size_t end = folded.find_first_of(L" \t\u3000", start);
        words_.push_back(folded.substr(start, end - start));
        at = end == std::wstring::npos ? folded.size() : end;
    }
}

bool MapSearch::matches(std::wstring_view foldedTitle, std::wstring_view foldedFile) const {
    for (const std::wstring& word : words_) {
        if (foldedTitle.find(word) == std::wstring_view::npos &&
            foldedFile.find(word) == std::wstring_view::npos) {
            return false;
        }
    }
    return true;
}

}  // namespace qrvl
