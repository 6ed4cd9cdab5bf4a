// Shared set-up of the RegistryRoutines unit tests: the in-memory store seen through a recorder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "registry/portable_registry_store.h"
#include "registry/registry_routines.h"
#include "tests/error_number.h"
#include "tests/registry/recording_registry.h"
#include "tests/registry/registry_contract_factories.h"

namespace qrvl::test {

inline std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

class RegistryRoutinesTest : public ::testing::Test {
  protected:
    static constexpr reg::Handle kRoot = reg::kCurrentUser;

    RegistryRoutinesTest()
        : store(std::make_shared<reg::PortableRegistryStore>()),
          recorder(std::make_shared<RecordingRegistry>(store)),
          routines(recorder) {
        // What the expansion tests expand, in the process environment where both the store
        // and kernel32 read it.
        reg::contract::setEnvironmentVariable("QRVL_SHORT", "a");
        reg::contract::setEnvironmentVariable("QRVL_WIDE", "wide-expansion");
        routines.hKey(kRoot);
        routines.KeyRoot(L"Software\\Test");
        routines.Subkey(L"Sub");
    }

    // Every member closes what it opened, whatever it answered or raised.
    void TearDown() override {
        EXPECT_TRUE(recorder->openHandles.empty()) << recorder->openHandles.size() << " open";
    }

    // Writes a value straight into the store, creating its key.
    void seed(const std::string& path, const std::string& name, std::uint32_t type,
              const std::vector<std::uint8_t>& data) {
        reg::Handle key = 0;
        ASSERT_EQ(store->RegCreateKeyExA(kRoot, path.c_str(), 0, "", 0, reg::kKeyAllAccess, nullptr,
                                         &key, nullptr),
                  reg::kSuccess);
        // A byte other than NUL after the data keeps a text type at exactly these bytes.
        std::vector<std::uint8_t> padded = data;
        padded.push_back(1);
        ASSERT_EQ(store->RegSetValueExA(key, name.c_str(), 0, type, padded.data(),
                                        static_cast<std::uint32_t>(data.size())),
                  reg::kSuccess);
        store->RegCloseKey(key);
    }
    void seedKey(const std::string& path) {
        reg::Handle key = 0;
        ASSERT_EQ(store->RegCreateKeyExA(kRoot, path.c_str(), 0, "", 0, reg::kKeyAllAccess, nullptr,
                                         &key, nullptr),
                  reg::kSuccess);
        store->RegCloseKey(key);
    }
    bool keyPresent(const std::string& path) {
        reg::Handle key = 0;
        if (store->RegOpenKeyExA(kRoot, path.c_str(), 0, reg::kKeyRead, &key) != reg::kSuccess) {
            return false;
        }
        store->RegCloseKey(key);
        return true;
    }

    struct Raw {
        std::int32_t rc = reg::kFileNotFound;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    // Reads a value straight from the store.
    Raw raw(const std::string& path, const std::string& name) {
        Raw r;
        reg::Handle key = 0;
        if (store->RegOpenKeyExA(kRoot, path.c_str(), 0, reg::kKeyRead, &key) != reg::kSuccess) {
            return r;
        }
        std::uint32_t size = 0;
        r.rc = store->RegQueryValueExA(key, name.c_str(), nullptr, &r.type, nullptr, &size);
        if (r.rc == reg::kSuccess) {
            r.data.resize(size);
            r.rc =
                store->RegQueryValueExA(key, name.c_str(), nullptr, &r.type, r.data.data(), &size);
        }
        store->RegCloseKey(key);
        return r;
    }

    std::shared_ptr<reg::PortableRegistryStore> store;
    std::shared_ptr<RecordingRegistry> recorder;
    RegistryRoutines routines;
};

}  // namespace qrvl::test
