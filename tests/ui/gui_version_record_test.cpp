// qrvl.exe's version record, read back from the built exe as Explorer reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The exe's path comes in through the build (a Windows path under Wine).
std::wstring exePath() {
    const std::string narrow = QRVL_EXE_PATH;
    return std::wstring(narrow.begin(), narrow.end());
}

class VersionRecordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(exePath().c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version record in qrvl.exe";
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(exePath().c_str(), 0, size, data_.data()));
    }

    std::wstring text(const std::wstring& block, const wchar_t* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = L"\\StringFileInfo\\" + block + L"\\" + name;
        if (!VerQueryValueW(data_.data(), path.c_str(), &value, &length) || !value)
            return L"?";
        return static_cast<const wchar_t*>(value);
    }

    std::vector<char> data_;
};

TEST_F(VersionRecordTest, IsFiledInFrenchWithTheProgramsNamesAndVersion) {
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, sizeof(Translation));
    EXPECT_EQ(translation->language, 0x040C);

    wchar_t block[16];
    wsprintfW(block, L"%04x%04x", translation->language, translation->codePage);
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } cases[] = {
        {L"ProductName", L"Quorvel picker"},
        {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},
        {L"InternalName", L"qrvl"},
        {L"OriginalFilename", L"qrvl.exe"},
        {L"Comments", L"Selects randomly a map from a directory"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text(block, c.name), c.value) << c.name;
    }

    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), 0);
}

TEST_F(VersionRecordTest, CarriesTheIconAndTheManifestThatTheLoaderApplies) {
    HMODULE exe = LoadLibraryExW(exePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    // The loader reads only manifest 1; without it there are no visual styles and no DPI
    // awareness, and the twips layout is stretched as a bitmap on a high-DPI screen.
    HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(exe, found)));
    const std::string manifest(bytes, SizeofResource(exe, found));
    for (const char* needed : {"PerMonitorV2", "Microsoft.Windows.Common-Controls", "asInvoker"}) {
        EXPECT_NE(manifest.find(needed), std::string::npos) << needed;
    }
    HICON icon = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(101), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr);
    if (icon)
        DestroyIcon(icon);
    FreeLibrary(exe);
}

}  // namespace
