// The floor process for the time to the first pick: started as qrvl.exe is, it reads the maps
// directory from config.ini beside it, walks it bare and writes the first map it met where qrvl.exe
// writes its pick, then ends.
#include <windows.h>

#include <string>

#include "bench/floor_walk_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::wstring config(MAX_PATH, L'\0');
    config.resize(GetModuleFileNameW(nullptr, config.data(), MAX_PATH));
    config.resize(config.find_last_of(L'\\') + 1);
    config += L"config.ini";
    std::wstring directory(MAX_PATH, L'\0');
    directory.resize(GetPrivateProfileStringW(L"QRVL", L"path", L"", directory.data(), MAX_PATH,
                                              config.c_str()));
    while (!directory.empty() && (directory.back() == L'\\' || directory.back() == L' ')) {
        directory.pop_back();
    }

    std::wstring firstMap;
    qrvl::bench::floorWalk(directory, &firstMap);
    if (firstMap.empty()) {
        return 1;
    }
    firstMap += L'\0';  // the multi-string's closing empty string
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"software\\Blizzard Entertainment\\Starcraft", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return 1;
    }
    const LONG set = RegSetValueExW(key, L"Recent Maps", 0, REG_MULTI_SZ,
                                    reinterpret_cast<const BYTE*>(firstMap.c_str()),
                                    static_cast<DWORD>((firstMap.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return set == ERROR_SUCCESS ? 0 : 1;
}
