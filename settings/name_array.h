// A list of names indexed from 1, as CINI's enumerations hand them out.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"

namespace qrvl {

// Indexes run from 1 to Count(); Item() outside that range raises error 9. An empty array has a
// count of 0 and no elements at all. The 0-based storage never shows at the interface.
class NameArray {
  public:
    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(names_.size()); }

    const std::wstring& Item(std::int32_t index) const { return names_[offset(index)]; }
    std::wstring& Item(std::int32_t index) { return names_[offset(index)]; }

    void Add(std::wstring name) { names_.push_back(std::move(name)); }
    void Clear() noexcept { names_.clear(); }

    // In index order, for range-for.
    auto begin() const noexcept { return names_.begin(); }
    auto end() const noexcept { return names_.end(); }

  private:
    std::size_t offset(std::int32_t index) const {
        if (index < 1 || index > Count()) {
            throw Error(ErrorCode::IndexOutOfRange);
        }
        return static_cast<std::size_t>(index) - 1;
    }

    std::vector<std::wstring> names_;
};

}  // namespace qrvl
