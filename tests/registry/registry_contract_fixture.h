// The fixture every registry contract test uses: a fresh key of its own under
// HKEY_CURRENT_USER\Software\QuorvelContract, removed again afterwards, and small helpers.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "registry/registry_api.h"
#include "tests/registry/registry_contract_factories.h"

namespace qrvl::reg::contract {

using Bytes = std::vector<std::uint8_t>;

constexpr Handle kUntouched = 0x1234;

inline Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline std::string uniqueName() {
    std::random_device device;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::to_string(device()) + "-" + std::to_string(ticks % 1000000007);
}

class RegistryContract : public ::testing::TestWithParam<ApiFactory> {
  protected:
    void SetUp() override {
        api = GetParam().make();
        basePath = "Software\\QuorvelContract\\" + uniqueName();
        std::uint32_t disposition = 0;
        ASSERT_EQ(api->RegCreateKeyExA(kCurrentUser, basePath.c_str(), 0, "", 0, kKeyAllAccess,
                                       &security, &base, &disposition),
                  kSuccess);
        ASSERT_EQ(disposition, 1u);
    }

    void TearDown() override {
        if (base != 0) {
            deleteTree(base);
            api->RegCloseKey(base);
            api->RegDeleteKeyA(kCurrentUser, basePath.c_str());
            // Fails harmlessly while another run still has its key there.
            api->RegDeleteKeyA(kCurrentUser, "Software\\QuorvelContract");
        }
    }

    void deleteTree(Handle key) {
        std::vector<std::string> names = subKeys(key);
        for (const auto& name : names) {
            Handle child = 0;
            if (api->RegOpenKeyExA(key, name.c_str(), 0, kKeyAllAccess, &child) == kSuccess) {
                deleteTree(child);
                api->RegCloseKey(child);
            }
            api->RegDeleteKeyA(key, name.c_str());
        }
    }

    Handle create(const std::string& path, std::uint32_t access = kKeyAllAccess,
                  std::uint32_t* disposition = nullptr, Handle parent = 0) {
        Handle h = 0;
        EXPECT_EQ(api->RegCreateKeyExA(parent != 0 ? parent : base, path.c_str(), 0, "", 0, access,
                                       &security, &h, disposition),
                  kSuccess)
            << path;
        return h;
    }

    std::int32_t open(const std::string& path, std::uint32_t access, Handle* h, Handle parent = 0) {
        *h = kUntouched;
        return api->RegOpenKeyExA(parent != 0 ? parent : base, path.c_str(), 0, access, h);
    }

    void set(Handle key, const char* name, std::uint32_t type, const Bytes& data) {
        // A guard byte that is not NUL follows the data, so no implementation can take in a
        // terminator the caller did not count.
        Bytes buffer = data;
        buffer.push_back('X');
        ASSERT_EQ(api->RegSetValueExA(key, name, 0, type, buffer.data(),
                                      static_cast<std::uint32_t>(data.size())),
                  kSuccess);
    }

    Bytes query(Handle key, const char* name, std::uint32_t* type = nullptr) {
        std::uint32_t t = 0;
        std::uint32_t size = 0;
        EXPECT_EQ(api->RegQueryValueExA(key, name, nullptr, &t, nullptr, &size), kSuccess);
        Bytes data(size + 1);
        EXPECT_EQ(api->RegQueryValueExA(key, name, nullptr, &t, data.data(), &size), kSuccess);
        data.resize(size);
        if (type != nullptr) {
            *type = t;
        }
        return data;
    }

    std::vector<std::string> subKeys(Handle key) {
        return listed([&](std::uint32_t index, char* name, std::uint32_t* length) {
            return api->RegEnumKeyExA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
        });
    }

    std::vector<std::string> valueNames(Handle key) {
        return listed([&](std::uint32_t index, char* name, std::uint32_t* length) {
            return api->RegEnumValueA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
        });
    }

    // Asks for name after name, by index, until the store answers that there are no more.
    template <typename Enumerate>
    static std::vector<std::string> listed(Enumerate enumerate) {
        std::vector<std::string> names;
        for (std::uint32_t i = 0;; ++i) {
            char name[300];
            std::uint32_t length = sizeof name;
            const std::int32_t rc = enumerate(i, name, &length);
            if (rc != kSuccess) {
                EXPECT_EQ(rc, kNoMoreItems);
                break;
            }
            names.emplace_back(name, length);
        }
        return names;
    }

    std::shared_ptr<RegistryApi> api;
    std::string basePath;
    Handle base = 0;
    SecurityAttributes security;
};

}  // namespace qrvl::reg::contract
