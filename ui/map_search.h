// The Maps window's search: what the player types against a map's title and file name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qrvl {

// Every word of the query (words are split at spaces) must appear in the title or in the file
// name, without regard to case in any script; an empty query lets every map through.
class MapSearch {
  public:
    explicit MapSearch(std::wstring_view query);

    bool empty() const noexcept { return words_.empty(); }
    // The title and file as foldCase gives them.
    bool matches(std::wstring_view foldedTitle, std::wstring_view foldedFile) const;

  private:
    std::vector<std::wstring> words_;
};

}  // namespace qrvl
