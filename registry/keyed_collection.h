// An ordered list whose items are reached by 1-based position or by a case-insensitive text key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/error.h"

namespace qrvl {

// Case folding used to compare collection keys, up to capitals, as the program's collections
// compare keys without regard to case. It covers the letters a key or value name plausibly holds
// (ASCII, Latin-1, Latin Extended-A, basic Greek and Cyrillic) and is the same on every platform,
// since it does not depend on the C library's locale. It is not the registry's own folding
// (which the in-memory store copies in nameKey): the collection only has to find the names a
// listing gave it, and a wide text is what it holds.
wchar_t foldKeyChar(wchar_t c) noexcept;
std::wstring foldKey(std::wstring_view key);

// Positions run from 1 to Count(). Keys are unique within one collection, compared without
// regard to case; an item may also be added without a key, then it is reached by position only.
// Item() with a position outside 1..Count() raises error 9, with a key that no item has error 5.
// The collection owns copies of its items.
template <typename T>
class KeyedCollection {
  public:
    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(items_.size()); }

    const T& Item(std::int32_t position) const {
        if (position < 1 || position > Count()) {
            throw Error(ErrorCode::IndexOutOfRange);
        }
        return items_[static_cast<std::size_t>(position - 1)].value;
    }

    const T& Item(const std::wstring& key) const {
        const auto found = index_.find(foldKey(key));
        if (found == index_.end()) {
            throw Error(ErrorCode::InvalidArgument);
        }
        return items_[found->second].value;
    }

    bool Contains(const std::wstring& key) const { return index_.count(foldKey(key)) != 0; }

    // The key an item was added with (none for an item added without one).
    const std::optional<std::wstring>& Key(std::int32_t position) const {
        if (position < 1 || position > Count()) {
            throw Error(ErrorCode::IndexOutOfRange);
        }
        return items_[static_cast<std::size_t>(position - 1)].key;
    }

    // Appends an item under a key; a key that is already taken (in any case) raises error 5
    // and leaves the collection unchanged.
    void Add(T item, const std::wstring& key) {
        auto folded = foldKey(key);
        if (index_.count(folded) != 0) {
            throw Error(ErrorCode::InvalidArgument);
        }
        index_.emplace(std::move(folded), items_.size());
        items_.push_back(Entry{std::move(item), key});
    }

    // Appends an item that has no key.
    void Add(T item) { items_.push_back(Entry{std::move(item), std::nullopt}); }

  private:
    struct Entry {
        T value;
        std::optional<std::wstring> key;
    };
    std::vector<Entry> items_;
    std::unordered_map<std::wstring, std::size_t> index_;
};

}  // namespace qrvl
