// The registry seam's contract for what comes from the machine: the environment that expansion
// reads, and the computers a registry is reached on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>

#include "registry/registry_api.h"
#include "tests/registry/registry_contract_factories.h"
#include "tests/registry/registry_contract_fixture.h"

namespace qrvl::reg::contract {
namespace {

// --- Environment expansion ---

struct Expansion {
    const char* source;
    std::uint32_t capacity;
    std::uint32_t result;
    const char* text;  // nullptr: the destination is left alone
};

TEST_P(RegistryContract, ExpansionFollowsTheWindowsResultAndTruncationRules) {
    setEnvironmentVariable("QRVL_CONTRACT_X", "abcdef");
    setEnvironmentVariable("QRVL_CONTRACT_Y", "%QRVL_CONTRACT_X%");
    setEnvironmentVariable("Qrvl_Contract_Mixed", "mixed");
    const Expansion cases[] = {
        {"", 64, 1, ""},
        {"plain", 64, 6, "plain"},
        {"%QRVL_CONTRACT_X%", 64, 7, "abcdef"},
        {"a%QRVL_CONTRACT_X%b", 64, 9, "aabcdefb"},
        // Names are found whatever the case they were set in or are asked for in.
        {"%qrvl_contract_x%", 64, 7, "abcdef"},
        {"%QRVL_CONTRACT_MIXED%", 64, 6, "mixed"},
        {"%qrvl_contract_mixed%", 64, 6, "mixed"},
        {"%QRVL_CONTRACT_X%%QRVL_CONTRACT_X%", 64, 13, "abcdefabcdef"},
        {"%QRVL_CONTRACT_NONE%", 64, 21, "%QRVL_CONTRACT_NONE%"},
        {"%", 64, 2, "%"},
        {"%%", 64, 3, "%%"},
        {"50%", 64, 4, "50%"},
        {"%QRVL_CONTRACT_X", 64, 17, "%QRVL_CONTRACT_X"},
        {"%QRVL_CONTRACT_X%%", 64, 8, "abcdef%"},
        // A name that is not set is kept whole, its closing "%" too, and the scan goes on
        // after it.
        {"%%QRVL_CONTRACT_X%%", 64, 20, "%%QRVL_CONTRACT_X%%"},
        {"x%QRVL_CONTRACT_NONE%QRVL_CONTRACT_X%y", 64, 39,
         "x%QRVL_CONTRACT_NONE%QRVL_CONTRACT_X%y"},
        // A value is not expanded again.
        {"%QRVL_CONTRACT_Y%", 64, 18, "%QRVL_CONTRACT_X%"},
        // A short destination takes what fits and a NUL; the result is still the full need.
        {"a%QRVL_CONTRACT_X%b", 0, 9, nullptr},
        {"a%QRVL_CONTRACT_X%b", 1, 9, ""},
        {"a%QRVL_CONTRACT_X%b", 3, 9, "aa"},
        {"a%QRVL_CONTRACT_X%b", 8, 9, "aabcdef"},
        {"a%QRVL_CONTRACT_X%b", 9, 9, "aabcdefb"},
        {"plain", 5, 6, "plai"},
        {"plain", 6, 6, "plain"},
        {"", 1, 1, ""},
        // No source at all expands as an empty one.
        {nullptr, 64, 1, ""},
        {nullptr, 0, 1, nullptr},
    };
    for (const Expansion& c : cases) {
        SCOPED_TRACE(std::string(c.source != nullptr ? c.source : "(null)") + " in " +
                     std::to_string(c.capacity));
        std::string out(64, '#');
        EXPECT_EQ(api->ExpandEnvironmentStringsA(c.source, out.data(), c.capacity), c.result);
        if (c.text == nullptr) {
            EXPECT_EQ(out, std::string(64, '#'));
        } else {
            EXPECT_EQ(out.substr(0, std::strlen(c.text) + 1), std::string(c.text) + '\0');
        }
    }
    EXPECT_EQ(api->ExpandEnvironmentStringsA("abc", nullptr, 0), 4u);
}

// --- Other computers ---

TEST_P(RegistryContract, ThisComputerIsReachedUnderItsOwnNameOrNone) {
    const std::string own = localComputerName();
    ASSERT_FALSE(own.empty());
    std::string lowered = "\\\\" + own;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    set(base, "v", kTypeSz, bytesOf("remote"));
    for (const char* machine :
         {static_cast<const char*>(nullptr), "", own.c_str(), lowered.c_str()}) {
        SCOPED_TRACE(machine != nullptr ? machine : "(null)");
        Handle remote = kUntouched;
        ASSERT_EQ(api->RegConnectRegistryA(machine, kCurrentUser, &remote), kSuccess);
        EXPECT_EQ(remote, kCurrentUser) << "Wine hands back the key it was given";
        Handle key;
        ASSERT_EQ(open(basePath, kKeyAllAccess, &key, remote), kSuccess);
        EXPECT_EQ(query(key, "v"), bytesOf("remote"));
        EXPECT_EQ(api->RegCloseKey(key), kSuccess);
        EXPECT_EQ(api->RegCloseKey(remote), kSuccess);
    }
    Handle remote = kUntouched;
    ASSERT_EQ(api->RegConnectRegistryA(own.c_str(), kLocalMachine, &remote), kSuccess);
    EXPECT_EQ(remote, kLocalMachine);
}

TEST_P(RegistryContract, AComputerThatCannotBeReachedGivesBadNetPathPromptly) {
    for (const char* machine : {"\\\\qrvl-no-such-host.invalid", "qrvl-no-such-host.invalid"}) {
        Handle remote = kUntouched;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(api->RegConnectRegistryA(machine, kCurrentUser, &remote), kBadNetPath) << machine;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(remote, kUntouched);
    }
}

}  // namespace
}  // namespace qrvl::reg::contract
