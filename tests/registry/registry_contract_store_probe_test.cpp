// What only the in-memory registry offers: independent stores, and the probe that tests use to
// count handles, read the call log and script failures.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "registry/portable_registry_store.h"
#include "tests/registry/registry_store_probe.h"

namespace qrvl::reg {
namespace {

class StoreProbe : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(store.RegCreateKeyExA(kCurrentUser, "Software\\Game", 0, "", 0, kKeyAllAccess,
                                        nullptr, &key, nullptr),
                  kSuccess);
        const std::uint8_t data[] = {'a', 'b', 'c', 0};
        ASSERT_EQ(store.RegSetValueExA(key, "v", 0, kTypeSz, data, 4), kSuccess);
        probe.clearCalls();
    }

    std::int32_t queryInto(std::vector<std::uint8_t>& buffer, std::uint32_t& type) {
        auto size = static_cast<std::uint32_t>(buffer.size());
        const std::int32_t rc =
            store.RegQueryValueExA(key, "v", nullptr, &type, buffer.data(), &size);
        buffer.resize(size);
        return rc;
    }

    PortableRegistryStore store;
    RegistryStoreProbe probe{store};
    Handle key = 0;
};

TEST_F(StoreProbe, StoresDoNotShareKeys) {
    PortableRegistryStore other;
    Handle h = 0;
    EXPECT_EQ(other.RegOpenKeyExA(kCurrentUser, "Software\\Game", 0, kKeyRead, &h), kFileNotFound);
}

TEST_F(StoreProbe, CountsTheHandlesLeftOpen) {
    EXPECT_EQ(probe.openHandles(), 1u);
    Handle a = 0;
    Handle b = 0;
    ASSERT_EQ(store.RegOpenKeyExA(key, "", 0, kKeyRead, &a), kSuccess);
    ASSERT_EQ(store.RegCreateKeyExA(key, "Sub", 0, "", 0, kKeyAllAccess, nullptr, &b, nullptr),
              kSuccess);
    EXPECT_EQ(probe.openHandles(), 3u);
    // Predefined keys, and this computer's registry that comes back as one, are not counted.
    Handle remote = 0;
    ASSERT_EQ(store.RegConnectRegistryA(nullptr, kCurrentUser, &remote), kSuccess);
    ASSERT_EQ(store.RegOpenKeyExA(kCurrentUser, "", 0, kKeyRead, &remote), kSuccess);
    EXPECT_EQ(probe.openHandles(), 3u);
    store.RegCloseKey(a);
    store.RegCloseKey(b);
    store.RegCloseKey(key);
    EXPECT_EQ(probe.openHandles(), 0u);
}

TEST_F(StoreProbe, AScriptedFailureAnswersItsCodeAndLeavesTheOutputsAlone) {
    probe.failNext(StoreCall::QueryValue, kMoreData, 1, 1);
    std::vector<std::uint8_t> buffer(16, '#');
    std::uint32_t type = 99;
    EXPECT_EQ(queryInto(buffer, type), kSuccess) << "the first query is let through";
    buffer.assign(16, '#');
    type = 99;
    EXPECT_EQ(queryInto(buffer, type), kMoreData);
    EXPECT_EQ(type, 99u);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(16, '#'));
    EXPECT_EQ(queryInto(buffer, type), kSuccess) << "only one call fails";

    probe.failNext(StoreCall::OpenKey, kAccessDenied, 2);
    Handle h = 0x1234;
    EXPECT_EQ(store.RegOpenKeyExA(key, "", 0, kKeyRead, &h), kAccessDenied);
    EXPECT_EQ(store.RegOpenKeyExA(key, "", 0, kKeyRead, &h), kAccessDenied);
    EXPECT_EQ(h, 0x1234);
    EXPECT_EQ(probe.openHandles(), 1u);

    probe.failNext(StoreCall::ExpandEnvironmentStrings, 0);
    char out[8] = "#######";
    EXPECT_EQ(store.ExpandEnvironmentStringsA("abc", out, 8), 0u);
    EXPECT_STREQ(out, "#######");
    EXPECT_EQ(probe.callCount(StoreCall::QueryValue), 3u);
}

TEST_F(StoreProbe, ClearedFailuresNoLongerFire) {
    probe.failNext(StoreCall::SetValue, kAccessDenied, 5);
    probe.clearFailures();
    const std::uint8_t data[] = {1};
    EXPECT_EQ(store.RegSetValueExA(key, "b", 0, kTypeBinary, data, 1), kSuccess);
}

TEST_F(StoreProbe, AHookCanChangeTheStoreBetweenTwoCalls) {
    // The value grows between a query that reports its size and the one that reads it.
    probe.beforeCall(StoreCall::QueryValue, [&](std::uint64_t number) {
        if (number == 2) {
            const std::string longer(40, 'z');
            store.RegSetValueExA(key, "v", 0, kTypeSz,
                                 reinterpret_cast<const std::uint8_t*>(longer.data()), 40);
        }
    });
    std::uint32_t size = 0;
    ASSERT_EQ(store.RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), kSuccess);
    std::vector<std::uint8_t> buffer(size);
    std::uint32_t type = 0;
    EXPECT_EQ(queryInto(buffer, type), kMoreData);
    EXPECT_EQ(buffer.size(), 40u);
    EXPECT_EQ(probe.callCount(StoreCall::SetValue), 0u) << "the hook's own calls are not counted";
}

TEST_F(StoreProbe, TheLogHoldsEachCallsArgumentsAndResult) {
    Handle h = 0;
    store.RegOpenKeyExA(kCurrentUser, "Software\\Game\\", 0, kKeyWrite, &h);
    std::uint32_t size = 1024;
    std::uint8_t buffer[1024];
    store.RegQueryValueExA(h, "v", nullptr, nullptr, buffer, &size);
    store.RegCloseKey(h);

    const auto& calls = probe.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].call, StoreCall::OpenKey);
    EXPECT_EQ(calls[0].key, kCurrentUser);
    EXPECT_EQ(calls[0].text, "Software\\Game\\");
    EXPECT_EQ(calls[0].access, kKeyWrite);
    EXPECT_EQ(calls[0].result, kSuccess);
    EXPECT_EQ(calls[1].call, StoreCall::QueryValue);
    EXPECT_EQ(calls[1].key, h);
    EXPECT_EQ(calls[1].size, 1024u);
    EXPECT_EQ(calls[1].result, kAccessDenied);
    EXPECT_EQ(calls[2].call, StoreCall::CloseKey);
}

TEST_F(StoreProbe, ComputerNamesAndVariablesCanBeSet) {
    probe.setComputerNames({"GAMEPC"});
    Handle remote = 0;
    EXPECT_EQ(store.RegConnectRegistryA("\\\\gamepc", kLocalMachine, &remote), kSuccess);
    EXPECT_EQ(store.RegConnectRegistryA("\\\\other", kLocalMachine, &remote), 53);

    probe.setVariable("QRVL_PROBE_ONLY", "value");
    probe.setVariable("PATH", std::nullopt);
    char out[64];
    EXPECT_EQ(store.ExpandEnvironmentStringsA("%qrvl_probe_only%|%PATH%", out, sizeof out), 13u);
    EXPECT_STREQ(out, "value|%PATH%");
}

}  // namespace
}  // namespace qrvl::reg
