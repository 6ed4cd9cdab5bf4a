// The game's registry key for the update tests: made, written and read around the code under test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "registry/registry_api.h"

namespace qrvl::test {

// The game's key and value as raw bytes, read and written around the class under test.
struct StoredValue {
    std::uint32_t type = 0;
    std::string bytes;
    bool operator==(const StoredValue&) const = default;
};

inline const char kGameKey[] = "software\\Blizzard Entertainment\\Starcraft";

inline bool createGameKey(reg::RegistryApi& api) {
    reg::Handle key = 0;
    std::uint32_t disposition = 0;
    if (api.RegCreateKeyExA(reg::kCurrentUser, kGameKey, 0, nullptr, 0, reg::kKeyAllAccess, nullptr,
                            &key, &disposition) != reg::kSuccess) {
        return false;
    }
    api.RegCloseKey(key);
    return true;
}

inline bool gameKeyExists(reg::RegistryApi& api) {
    reg::Handle key = 0;
    if (api.RegOpenKeyExA(reg::kCurrentUser, kGameKey, 0, reg::kKeyRead, &key) != reg::kSuccess) {
        return false;
    }
    api.RegCloseKey(key);
    return true;
}

inline void storeRecentMaps(reg::RegistryApi& api, std::uint32_t type, const std::string& bytes) {
    reg::Handle key = 0;
    if (api.RegOpenKeyExA(reg::kCurrentUser, kGameKey, 0, reg::kKeyWrite, &key) == reg::kSuccess) {
        api.RegSetValueExA(key, "Recent Maps", 0, type,
                           reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           static_cast<std::uint32_t>(bytes.size()));
        api.RegCloseKey(key);
    }
}

inline std::optional<StoredValue> loadRecentMaps(reg::RegistryApi& api) {
    reg::Handle key = 0;
    if (api.RegOpenKeyExA(reg::kCurrentUser, kGameKey, 0, reg::kKeyRead, &key) != reg::kSuccess) {
        return std::nullopt;
    }
    StoredValue value;
    std::uint32_t size = 0;
    std::optional<StoredValue> result;
    if (api.RegQueryValueExA(key, "Recent Maps", nullptr, &value.type, nullptr, &size) ==
        reg::kSuccess) {
        std::vector<std::uint8_t> data(size + 1);
        if (api.RegQueryValueExA(key, "Recent Maps", nullptr, &value.type, data.data(), &size) ==
            reg::kSuccess) {
            value.bytes.assign(data.begin(), data.begin() + size);
            result = value;
        }
    }
    api.RegCloseKey(key);
    return result;
}

// A multi-string's stored bytes from its entries: each followed by NUL, then one more NUL.
inline std::string multiString(const std::vector<std::string>& entries) {
    std::string bytes;
    for (const std::string& entry : entries) {
        bytes += entry;
        bytes += '\0';
    }
    bytes += '\0';
    return bytes;
}

}  // namespace qrvl::test
