// A registry test double: a wrapper that counts handles and calls, logs them and injects faults.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "registry/registry_api.h"

namespace qrvl::test {

// Passes every call on to an inner registry, and on the way:
// - keeps the set of handles that Open/Create/Connect handed out and Close has not yet taken back,
//   so a test sees any handle a member leaves open;
// - logs the key paths and access masks that opens were asked for;
// - counts the reads, writes and key creations, and keeps what the last write handed over;
// - lets a test answer a call itself: a hook that returns a value replaces the inner call.
class RecordingRegistry : public reg::RegistryApi {
  public:
    explicit RecordingRegistry(std::shared_ptr<reg::RegistryApi> inner)
        : inner_(std::move(inner)) {}

    struct Open {
        reg::Handle parent;
        std::string path;
        std::uint32_t access;
    };

    std::vector<Open> opens;                   // RegOpenKeyExA and RegCreateKeyExA, in order
    std::vector<std::string> connects;         // machine names given to RegConnectRegistryA
    std::vector<std::string> deletedKeys;      // paths given to RegDeleteKeyA
    std::vector<std::uint32_t> enumNameSizes;  // cchValueName passed to each RegEnumValueA
    bool classNameAsked = false;  // whether any RegEnumKeyExA call passed a class buffer
    std::vector<reg::Handle> closes;
    std::set<reg::Handle> openHandles;
    std::set<reg::Handle> issuedHandles;  // every handle handed out, closed or not
    int queries = 0;                      // RegQueryValueExA calls
    int writes = 0;                       // RegSetValueExA calls
    int creates = 0;                      // RegCreateKeyExA calls
    std::uint32_t writtenType = 0;        // the last write's type
    std::string writtenBytes;             // and its bytes

    std::function<std::optional<std::int32_t>(std::uint32_t* type, std::uint8_t* data,
                                              std::uint32_t* cbData)>
        onQuery;
    std::function<std::optional<std::int32_t>()> onSet;
    std::function<std::optional<std::int32_t>(std::uint32_t index, char* name,
                                              std::uint32_t* cchName)>
        onEnumKey;
    std::function<std::optional<std::int32_t>(std::uint32_t index, char* name,
                                              std::uint32_t* cchName, std::uint32_t* type,
                                              std::uint8_t* data, std::uint32_t* cbData)>
        onEnumValue;

    const TextCodec& codec() const override { return inner_->codec(); }

    std::int32_t RegOpenKeyExA(reg::Handle key, const char* subKey, std::uint32_t options,
                               std::uint32_t samDesired, reg::Handle* result) override {
        opens.push_back({key, subKey ? subKey : "", samDesired});
        const auto rc = inner_->RegOpenKeyExA(key, subKey, options, samDesired, result);
        track(rc, result);
        return rc;
    }
    std::int32_t RegCloseKey(reg::Handle key) override {
        closes.push_back(key);
        openHandles.erase(key);
        return inner_->RegCloseKey(key);
    }
    std::int32_t RegQueryValueExA(reg::Handle key, const char* valueName, std::uint32_t* reserved,
                                  std::uint32_t* type, std::uint8_t* data,
                                  std::uint32_t* cbData) override {
        ++queries;
        if (onQuery) {
            if (auto rc = onQuery(type, data, cbData)) {
                return *rc;
            }
        }
        return inner_->RegQueryValueExA(key, valueName, reserved, type, data, cbData);
    }
    std::int32_t RegSetValueExA(reg::Handle key, const char* valueName, std::uint32_t reserved,
                                std::uint32_t type, const std::uint8_t* data,
                                std::uint32_t cbData) override {
        ++writes;
        writtenType = type;
        writtenBytes.assign(reinterpret_cast<const char*>(data), data != nullptr ? cbData : 0);
        if (onSet) {
            if (auto rc = onSet()) {
                return *rc;
            }
        }
        return inner_->RegSetValueExA(key, valueName, reserved, type, data, cbData);
    }
    std::int32_t RegCreateKeyExA(reg::Handle key, const char* subKey, std::uint32_t reserved,
                                 const char* className, std::uint32_t options,
                                 std::uint32_t samDesired,
                                 const reg::SecurityAttributes* securityAttributes,
                                 reg::Handle* result, std::uint32_t* disposition) override {
        ++creates;
        opens.push_back({key, subKey ? subKey : "", samDesired});
        const auto rc =
            inner_->RegCreateKeyExA(key, subKey, reserved, className, options, samDesired,
                                    securityAttributes, result, disposition);
        track(rc, result);
        return rc;
    }
    std::int32_t RegDeleteKeyA(reg::Handle key, const char* subKey) override {
        deletedKeys.emplace_back(subKey ? subKey : "");
        return inner_->RegDeleteKeyA(key, subKey);
    }
    std::int32_t RegDeleteValueA(reg::Handle key, const char* valueName) override {
        return inner_->RegDeleteValueA(key, valueName);
    }
    std::int32_t RegEnumKeyExA(reg::Handle key, std::uint32_t index, char* name,
                               std::uint32_t* cchName, std::uint32_t* reserved, char* className,
                               std::uint32_t* cchClass, reg::FileTime* lastWriteTime) override {
        classNameAsked = classNameAsked || className != nullptr || cchClass != nullptr;
        if (onEnumKey) {
            if (auto rc = onEnumKey(index, name, cchName)) {
                return *rc;
            }
        }
        return inner_->RegEnumKeyExA(key, index, name, cchName, reserved, className, cchClass,
                                     lastWriteTime);
    }
    std::int32_t RegEnumValueA(reg::Handle key, std::uint32_t index, char* valueName,
                               std::uint32_t* cchValueName, std::uint32_t* reserved,
                               std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* cbData) override {
        enumNameSizes.push_back(cchValueName != nullptr ? *cchValueName : 0);
        if (onEnumValue) {
            if (auto rc = onEnumValue(index, valueName, cchValueName, type, data, cbData)) {
                return *rc;
            }
        }
        return inner_->RegEnumValueA(key, index, valueName, cchValueName, reserved, type, data,
                                     cbData);
    }
    std::int32_t RegConnectRegistryA(const char* machineName, reg::Handle key,
                                     reg::Handle* result) override {
        connects.emplace_back(machineName ? machineName : "");
        const auto rc = inner_->RegConnectRegistryA(machineName, key, result);
        track(rc, result);
        return rc;
    }
    std::uint32_t ExpandEnvironmentStringsA(const char* src, char* dst,
                                            std::uint32_t size) override {
        return inner_->ExpandEnvironmentStringsA(src, dst, size);
    }

  private:
    void track(std::int32_t rc, const reg::Handle* result) {
        if (rc == reg::kSuccess && result != nullptr) {
            openHandles.insert(*result);
            issuedHandles.insert(*result);
        }
    }

    std::shared_ptr<reg::RegistryApi> inner_;
};

}  // namespace qrvl::test
