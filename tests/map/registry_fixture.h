// A game registry for the update tests: an in-memory store behind a call counter.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "map/recent_maps.h"
#include "registry/portable_registry_store.h"
#include "registry/registry_api.h"

namespace qrvl::testing {

// Forwards every call to the store and counts the reads, writes and key creations.
class CountingRegistry final : public reg::RegistryApi {
  public:
    explicit CountingRegistry(std::shared_ptr<reg::RegistryApi> inner) : inner_(std::move(inner)) {}

    int queries = 0;
    int writes = 0;
    int creates = 0;
    // What the last write handed over: its type and its bytes.
    std::uint32_t writtenType = 0;
    std::string writtenBytes;

    const TextCodec& codec() const override { return inner_->codec(); }
    std::int32_t RegOpenKeyExA(reg::Handle key, const char* subKey, std::uint32_t options,
                               std::uint32_t samDesired, reg::Handle* result) override {
        return inner_->RegOpenKeyExA(key, subKey, options, samDesired, result);
    }
    std::int32_t RegCloseKey(reg::Handle key) override { return inner_->RegCloseKey(key); }
    std::int32_t RegQueryValueExA(reg::Handle key, const char* valueName, std::uint32_t* reserved,
                                  std::uint32_t* type, std::uint8_t* data,
                                  std::uint32_t* cbData) override {
        ++queries;
        return inner_->RegQueryValueExA(key, valueName, reserved, type, data, cbData);
    }
    std::int32_t RegSetValueExA(reg::Handle key, const char* valueName, std::uint32_t reserved,
                                std::uint32_t type, const std::uint8_t* data,
                                std::uint32_t cbData) override {
        ++writes;
        writtenType = type;
        writtenBytes.assign(reinterpret_cast<const char*>(data), cbData);
        return inner_->RegSetValueExA(key, valueName, reserved, type, data, cbData);
    }
    std::int32_t RegCreateKeyExA(reg::Handle key, const char* subKey, std::uint32_t reserved,
                                 const char* className, std::uint32_t options,
                                 std::uint32_t samDesired, const reg::SecurityAttributes* sa,
                                 reg::Handle* result, std::uint32_t* disposition) override {
        ++creates;
        return inner_->RegCreateKeyExA(key, subKey, reserved, className, options, samDesired, sa,
                                       result, disposition);
    }
    std::int32_t RegDeleteKeyA(reg::Handle key, const char* subKey) override {
        return inner_->RegDeleteKeyA(key, subKey);
    }
    std::int32_t RegDeleteValueA(reg::Handle key, const char* valueName) override {
        return inner_->RegDeleteValueA(key, valueName);
    }
    std::int32_t RegEnumKeyExA(reg::Handle key, std::uint32_t index, char* name,
                               std::uint32_t* cchName, std::uint32_t* reserved, char* className,
                               std::uint32_t* cchClass, reg::FileTime* lastWriteTime) override {
        return inner_->RegEnumKeyExA(key, index, name, cchName, reserved, className, cchClass,
                                     lastWriteTime);
    }
    std::int32_t RegEnumValueA(reg::Handle key, std::uint32_t index, char* valueName,
                               std::uint32_t* cchValueName, std::uint32_t* reserved,
                               std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* cbData) override {
        return inner_->RegEnumValueA(key, index, valueName, cchValueName, reserved, type, data,
                                     cbData);
    }
    std::int32_t RegConnectRegistryA(const char* machineName, reg::Handle key,
                                     reg::Handle* result) override {
        return inner_->RegConnectRegistryA(machineName, key, result);
    }
    std::uint32_t ExpandEnvironmentStringsA(const char* src, char* dst,
                                            std::uint32_t size) override {
        return inner_->ExpandEnvironmentStringsA(src, dst, size);
    }

  private:
    std::shared_ptr<reg::RegistryApi> inner_;
};

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

}  // namespace qrvl::testing
