// Maps and folders named in any script, end to end under Wine: the window's behaviour over the
// real shell, kernel32, advapi32 and the real file system.
//
// What Wine does here. The ANSI code page follows the Unix locale; with LANG unset, C.UTF-8, or a
// locale the host lacks (this machine has only C and C.UTF-8), Wine falls back to en-US and code
// page 1252, which spells "é" but no Cyrillic or Korean. GetShortPathNameW gives a short name for
// every component that is not already 8.3, Cyrillic and Korean ones included ("____~LTB.SCM"),
// and works on a path of 300 characters without a "\\?\" prefix. CreateFileA opens those short
// paths, and fails on the long ones: with "?" in them, or past 259 characters.
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/ui/form1_fixture.h"
#include "tests/ui/gui_support.h"

namespace qrvl::test {
namespace {

std::string ansi(const std::wstring& text) {
    return systemCodec().encode(text);
}

// "Recent Maps" read through the ANSI calls, as the game reads it: its first entry.
std::string firstRecentMap() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "software\\Blizzard Entertainment\\Starcraft", 0, KEY_READ,
                      &key) != ERROR_SUCCESS) {
        return {};
    }
    std::string data(4096, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    const LONG read = RegQueryValueExA(key, "Recent Maps", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    return read == ERROR_SUCCESS ? std::string(data.c_str()) : std::string();
}

bool opensThroughAnsi(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

// One start of the window's behaviour over config.ini in `appFolder`. On the first start the
// folder dialog answers with `chosen`, as the shell's own dialog would.
class Start {
  public:
    Start(const std::wstring& appFolder, const std::wstring& chosen) : shell_(win32ShellApi()) {
        shell_.dialog = [chosen](const BrowseInfoA&) -> ItemIdList {
            return ILCreateFromPathW(chosen.c_str());
        };
        host_.appPath = appFolder;
        host_.shell = &shell_;
        form_ = std::make_unique<Form1>(host_, shell_);
        host_.form = form_.get();
        form_->Form_Load();
    }
    const RecordingShell& shell() const { return shell_; }

  private:
    FakeHost host_;
    RecordingShell shell_;
    std::unique_ptr<Form1> form_;
};

TEST(NamesInAnyScript, ThePickOpensThroughTheAnsiCallsAndTheChosenFolderComesBackAtTheNextStart) {
    const bool cp1252 = GetACP() == 1252;
    std::wstring deep;  // about 300 characters below the scratch folder
    for (wchar_t c = L'a'; c <= L'e'; ++c) {
        deep += std::wstring(45, c) + L"\\";
    }
    struct Case {
        std::wstring folder;
        std::wstring map;  // below the folder
        // Whether code page 1252 keeps each path as it is; otherwise it goes out short.
        bool folderAsIs;
        bool mapAsIs;
    };
    const Case cases[] = {
        {L"caf\u00e9", L"caf\u00e9.scm", true, true},
        {L"\u041a\u0430\u0440\u0442\u044b", L"\u041a\u0430\u0440\u0442\u0430.scx", false, false},
        {L"\uc9c0\ub3c4", L"\uc9c0\ub3c4 \ub9f5.scm", false, false},
        {L"long", deep + L"deep.scx", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8Codec().encode(c.folder));
        gui_test::ScratchFolder scratch(L"wide");
        gui_test::GameKey game;
        const std::wstring app = scratch.text();
        const std::wstring chosen = scratch.text() + L"\\maps\\" + c.folder;
        const std::wstring map = scratch.touch(L"maps\\" + c.folder + L"\\" + c.map);

        std::string firstPick;
        {
            Start first(app, chosen);
            ASSERT_EQ(first.shell().dialogs.size(), 1u);
            firstPick = firstRecentMap();
            EXPECT_TRUE(opensThroughAnsi(firstPick)) << firstPick;
            EXPECT_EQ(firstPick.substr(0, 3), ansi(app).substr(0, 3)) << "a plain path, as listed";
            // Paths the code page spells, and the ANSI calls can open, go out exactly as before.
            if (cp1252) {
                const std::string config = gui_test::fileBytes(app + L"\\config.ini");
                const std::string asIs = "path=" + ansi(chosen) + "\\\r\n";
                EXPECT_EQ(config.find(asIs) != std::string::npos, c.folderAsIs) << config;
                EXPECT_EQ(firstPick == ansi(map), c.mapAsIs) << firstPick;
            }
        }
        game.setRecentMaps({});
        Start again(app, L"");
        EXPECT_TRUE(again.shell().dialogs.empty());
        EXPECT_EQ(firstRecentMap(), firstPick) << "the same map from the same folder";
    }
}

}  // namespace
}  // namespace qrvl::test
