// End-to-end test of RegistryRoutines against the real advapi32, under a unique key in HKCU.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "registry/registry_api_win32.h"
#include "registry/registry_routines.h"
#include "tests/error_number.h"
#include "tests/registry/recording_registry.h"

namespace qrvl::test {
namespace {

using namespace std::string_literals;

const std::string kParent = "Software\\QuorvelE2E";

std::string uniqueName() {
    return "run-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
}

std::wstring wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

class RegistryRoutinesE2eTest : public ::testing::Test {
  protected:
    RegistryRoutinesE2eTest()
        : win32(std::make_shared<reg::Win32RegistryApi>()),
          recorder(std::make_shared<RecordingRegistry>(win32)),
          routines(recorder),
          name(uniqueName()),
          base(kParent + "\\" + name) {
        routines.hKey(reg::kCurrentUser);
        routines.KeyRoot(wide(base));
        routines.Subkey(L"");
    }

    void TearDown() override {
        EXPECT_TRUE(recorder->openHandles.empty()) << recorder->openHandles.size() << " open";
        // Beyond the wrapper's bookkeeping, ask advapi32 itself: no handle the members were
        // given still answers (GetProcessHandleCount is a stub under Wine).
        for (const reg::Handle h : recorder->issuedHandles) {
            if (h < reg::kClassesRoot || h > reg::kCurrentConfig) {
                EXPECT_FALSE(isOpen(asHkey(h))) << "handle " << h << " still open";
            }
        }
        // Whatever a failed step left behind goes, and the parent too once it is empty.
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kParent.c_str());
    }

    static HKEY asHkey(reg::Handle h) {
        return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(h));
    }
    // A handle to a key deleted since answers 1018, which still means open.
    static bool isOpen(HKEY key) {
        DWORD subKeys = 0;
        return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr) != ERROR_INVALID_HANDLE;
    }

    // Writes exact bytes with advapi32 itself, for data the class never writes.
    void writeRaw(const std::string& value, DWORD type, const std::string& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_SET_VALUE, &key), 0);
        std::string padded = bytes + "\x01";
        EXPECT_EQ(RegSetValueExA(key, value.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(padded.data()),
                                 static_cast<DWORD>(bytes.size())),
                  0);
        RegCloseKey(key);
    }
    std::string readRaw(const std::string& value) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_QUERY_VALUE, &key) != 0) {
            return "<no key>";
        }
        std::vector<char> data(70000);
        DWORD size = static_cast<DWORD>(data.size());
        const LONG rc = RegQueryValueExA(key, value.c_str(), nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(data.data()), &size);
        RegCloseKey(key);
        return rc == 0 ? std::string(data.data(), size) : "<rc " + std::to_string(rc) + ">";
    }

    std::shared_ptr<reg::Win32RegistryApi> win32;
    std::shared_ptr<RecordingRegistry> recorder;
    RegistryRoutines routines;
    std::string name;
    std::string base;
};

TEST_F(RegistryRoutinesE2eTest, CreatesListsAndDeletesAKeyTree) {
    EXPECT_FALSE(routines.KeyExists());
    EXPECT_EQ(routines.CreateKey(), L"0");  // the path ends in "\"
    EXPECT_TRUE(routines.KeyExists());
    Variant alpha = std::wstring(L"Alpha");
    Variant beta = std::wstring(L"beta");
    EXPECT_EQ(routines.CreateKey(alpha), L"0");
    EXPECT_EQ(routines.CreateKey(beta), L"0");
    EXPECT_EQ(routines.CreateKey(beta), L"0");

    const auto keys = routines.EnumRegistryKeys(reg::kCurrentUser, wide(base));
    ASSERT_EQ(keys.Count(), 2);
    EXPECT_EQ(keys.Item(L"ALPHA"), L"Alpha");
    EXPECT_EQ(keys.Item(L"BETA"), L"beta");

    EXPECT_NE(routines.DeleteKey(L"gamma"), 0);
    EXPECT_EQ(routines.DeleteKey(L"Alpha"), 0);
    EXPECT_EQ(routines.DeleteKey(L"beta"), 0);
    EXPECT_EQ(routines.EnumRegistryKeys(reg::kCurrentUser, wide(base)).Count(), 0);

    routines.KeyRoot(wide(kParent));
    EXPECT_EQ(routines.DeleteKey(wide(name)), 0);
    routines.KeyRoot(wide(base));
    EXPECT_FALSE(routines.KeyExists());
    EXPECT_EQ(routines.EnumRegistryKeys(reg::kCurrentUser, wide(base)).Count(), 0);
}

// The two platform habits the class works around, checked where they live.
TEST_F(RegistryRoutinesE2eTest, PlatformCountsANulAfterUnterminatedTextAndClosedKeysStopAnswering) {
    ASSERT_EQ(routines.CreateKey(), L"0");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_SET_VALUE, &key), 0);
    EXPECT_TRUE(isOpen(key));
    const char bytes[] = "a\0b";  // 3 bytes given, then the literal's NUL
    ASSERT_EQ(RegSetValueExA(key, "m", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(bytes), 3),
              0);
    RegCloseKey(key);
    EXPECT_FALSE(isOpen(key));
    EXPECT_EQ(readRaw("m"), "a\0b\0"s);
}

TEST_F(RegistryRoutinesE2eTest, ListsASubkeyThatHasAClassName) {
    ASSERT_EQ(routines.CreateKey(), L"0");
    HKEY key = nullptr;
    const std::string path = base + "\\Classy";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, const_cast<char*>("SomeClass"), 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    RegCloseKey(key);
    const auto keys = routines.EnumRegistryKeys(reg::kCurrentUser, wide(base));
    ASSERT_EQ(keys.Count(), 1);
    EXPECT_EQ(keys.Item(L"classy"), L"Classy");
}

TEST_F(RegistryRoutinesE2eTest, EnumeratingAnInvalidHandleRaisesFive) {
    EXPECT_EQ(errorNumberOf([&] { routines.EnumRegistryKeys(0, L""); }), 5);
}

TEST_F(RegistryRoutinesE2eTest, WritesReadsListsAndDeletesValuesOfEveryType) {
    ASSERT_EQ(routines.CreateKey(), L"0");
    SetEnvironmentVariableA("QRVL_E2E_DIR", "C:\\a-much-longer-expansion");

    EXPECT_TRUE(routines.SetRegistryValue(L"sz", std::wstring(L"abc"), 1));
    EXPECT_TRUE(routines.SetRegistryValue(L"expand", std::wstring(L"%QRVL_E2E_DIR%\\x"), 2));
    EXPECT_TRUE(routines.SetRegistryValue(L"binary", Bytes{0x0A, 0xFF, 0x03}, 3));
    EXPECT_TRUE(routines.SetRegistryValue(L"dword", std::int32_t{5}, 4));
    EXPECT_TRUE(routines.SetRegistryValue(L"multi", std::wstring(L"a\0b\0\0", 5), 7));
    EXPECT_TRUE(routines.SetRegistryValue(L"bare multi", std::wstring(L"a\0b", 3), 7));
    EXPECT_TRUE(routines.SetRegistryValue(L"skipped", std::wstring(L"x"), 5));
    writeRaw("none", REG_NONE, "abc");
    writeRaw("empty sz", REG_SZ, "");
    writeRaw("unterminated", REG_SZ, "abc");
    writeRaw("empty binary", REG_BINARY, "");
    writeRaw("big", REG_BINARY, std::string(40000, '\x11'));

    // What the class stored, byte for byte.
    EXPECT_EQ(readRaw("sz"), "abc\0"s);
    EXPECT_EQ(readRaw("expand"), "%QRVL_E2E_DIR%\\x\0"s);
    EXPECT_EQ(readRaw("multi"), "a\0b\0\0"s);
    EXPECT_EQ(readRaw("bare multi"), "a\0b"s);
    EXPECT_EQ(readRaw("skipped"), "<rc 2>");

    EXPECT_EQ(routines.GetRegistryValue(L"sz"), Variant(std::wstring(L"abc")));
    EXPECT_EQ(routines.GetRegistryValue(L"expand"),
              Variant(std::wstring(L"C:\\a-much-longer-expansion\\x")));
    EXPECT_EQ(routines.GetRegistryValue(L"binary"), Variant(Bytes{0x0A, 0xFF, 0x03}));
    EXPECT_EQ(routines.GetRegistryValue(L"dword"), Variant(std::int32_t{5}));
    EXPECT_EQ(routines.GetRegistryValue(L"multi"), Variant(std::wstring(L"a\0b", 3)));
    EXPECT_EQ(routines.GetRegistryValue(L"bare multi"), Variant(std::wstring(L"a\0b", 3)));
    EXPECT_TRUE(isEmpty(routines.GetRegistryValue(L"none")));
    EXPECT_EQ(routines.GetRegistryValue(L"empty sz", std::wstring(L"d")),
              Variant(std::wstring(L"d")));
    EXPECT_EQ(routines.GetRegistryValue(L"unterminated"), Variant(std::wstring(L"abc")));
    EXPECT_EQ(routines.GetRegistryValue(L"empty binary"), Variant(Bytes{}));
    EXPECT_EQ(routines.GetRegistryValue(L"big"), Variant(Bytes(40000, 0x11)));
    EXPECT_TRUE(isEmpty(routines.GetRegistryValue(L"absent")));

    const auto values = routines.EnumRegistryValues(reg::kCurrentUser, wide(base));
    EXPECT_EQ(values.Count(), 11);
    EXPECT_EQ(values.Item(L"SZ")[0], Variant(std::wstring(L"sz")));
    EXPECT_EQ(values.Item(L"sz")[1], Variant(std::wstring(L"abc")));
    EXPECT_EQ(values.Item(L"expand")[1], Variant(std::wstring(L"C:\\a-much-longer-expansion\\x")));
    EXPECT_EQ(values.Item(L"binary")[1], Variant(std::wstring(L"0A FF 03")));
    EXPECT_EQ(values.Item(L"dword")[1], Variant(std::int32_t{5}));
    EXPECT_EQ(values.Item(L"multi")[1], Variant(std::wstring(L"a,b")));
    EXPECT_EQ(values.Item(L"bare multi")[1], Variant(std::wstring(L"a,b")));
    EXPECT_TRUE(isEmpty(values.Item(L"none")[1]));
    EXPECT_EQ(values.Item(L"empty sz")[1], Variant(std::wstring()));
    EXPECT_EQ(values.Item(L"unterminated")[1], Variant(std::wstring(L"abc")));
    EXPECT_EQ(values.Item(L"empty binary")[1], Variant(std::wstring()));
    const auto big = std::get<std::wstring>(values.Item(L"big")[1]);
    EXPECT_EQ(big.size(), 40000u * 3 - 1);

    for (const wchar_t* value : {L"sz", L"expand", L"binary", L"dword", L"multi", L"bare multi",
                                 L"none", L"empty sz", L"unterminated", L"empty binary", L"big"}) {
        std::wstring text = value;
        EXPECT_EQ(routines.DeleteValue(text), 0) << std::string(text.begin(), text.end());
    }
    std::wstring again = L"sz";
    EXPECT_EQ(routines.DeleteValue(again), 2);
    EXPECT_EQ(routines.EnumRegistryValues(reg::kCurrentUser, wide(base)).Count(), 0);
}

TEST_F(RegistryRoutinesE2eTest, ReachesThisComputerThroughTheRemoteMembers) {
    ASSERT_EQ(routines.CreateKey(), L"0");
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof computer;
    ASSERT_TRUE(GetComputerNameA(computer, &length));
    const std::wstring here = wide(computer);

    EXPECT_TRUE(routines.WriteRemoteRegistryValue(here, reg::kCurrentUser, L"remote",
                                                  std::wstring(L"via connection"), 1, wide(base)));
    EXPECT_TRUE(routines.WriteRemoteRegistryValue(L"\\\\" + here, reg::kCurrentUser, L"count",
                                                  std::int32_t{7}, 4));
    EXPECT_EQ(readRaw("remote"), "via connection\0"s);
    EXPECT_EQ(routines.ReadRemoteRegistryValue(here, reg::kCurrentUser, L"remote", wide(base)),
              Variant(std::wstring(L"via connection")));
    EXPECT_EQ(routines.ReadRemoteRegistryValue(here, reg::kCurrentUser, L"count"),
              Variant(std::int32_t{7}));
    EXPECT_TRUE(isEmpty(routines.ReadRemoteRegistryValue(here, reg::kCurrentUser, L"absent")));
    EXPECT_FALSE(routines.WriteRemoteRegistryValue(here, reg::kCurrentUser, L"v",
                                                   std::wstring(L"x"), 1, wide(base + "\\no")));

    EXPECT_EQ(routines.ReadRemoteRegistryValue(L"qrvl-no-such-host", reg::kCurrentUser, L"x"),
              Variant(std::wstring(L"Error!")));
    EXPECT_EQ(errorNumberOf([&] {
                  routines.WriteRemoteRegistryValue(L"qrvl-no-such-host", reg::kCurrentUser, L"x",
                                                    std::wstring(L"y"), 1);
              }),
              13);
}

}  // namespace
}  // namespace qrvl::test
