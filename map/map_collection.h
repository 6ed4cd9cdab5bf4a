// An ordered, append-only, 1-based list of map file paths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qrvl {

// Positions run from 1 to Count(); Item() outside that range raises error 9. Nothing is ever
// removed, replaced or sorted, and duplicates are kept: the order is the order of appending.
class MapCollection {
  public:
    void Add(std::wstring path) { items_.push_back(std::move(path)); }
    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(items_.size()); }
    const std::wstring& Item(std::int32_t position) const;

  private:
    std::vector<std::wstring> items_;
};

}  // namespace qrvl
