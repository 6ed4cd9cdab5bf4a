// The floor process for the time to the first pick: started as qrvl.exe is, it reads the maps
// directory from config.ini beside it, walks it bare and writes the first map it met where qrvl.exe
// writes its pick, then ends. Started with "/fit", it is the floor of a filtered first pick: after
// the walk it reads the maps in the order met, cold, and writes the first whose players count is
// one of config.ini's "players".
#include <windows.h>

#include <string>
#include <vector>

#include "bench/floor_walk_win32.h"
#include "mapfile/map_filter.h"
#include "mapfile/map_reader.h"

namespace {

std::wstring configValue(const std::wstring& config, const wchar_t* key) {
    std::wstring value(MAX_PATH, L'\0');
    value.resize(
        GetPrivateProfileStringW(L"QRVL", key, L"", value.data(), MAX_PATH, config.c_str()));
    return value;
}

std::wstring firstFit(const std::vector<std::wstring>& maps, const std::wstring& players) {
    const qrvl::MapFilter filter = qrvl::parseMapFilter(players, L"");
    for (const std::wstring& map : maps) {
        if (filter.fits(qrvl::readMapFile(map))) {
            return map;
        }
    }
    return {};
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    std::wstring config(MAX_PATH, L'\0');
    config.resize(GetModuleFileNameW(nullptr, config.data(), MAX_PATH));
    config.resize(config.find_last_of(L'\\') + 1);
    config += L"config.ini";
    std::wstring directory = configValue(config, L"path");
    while (!directory.empty() && (directory.back() == L'\\' || directory.back() == L' ')) {
        directory.pop_back();
    }

    std::wstring pick;
    if (std::wstring(commandLine) == L"/fit") {
        std::vector<std::wstring> maps;
        qrvl::bench::floorWalk(directory, nullptr, &maps);
        pick = firstFit(maps, configValue(config, L"players"));
    } else {
        qrvl::bench::floorWalk(directory, &pick);
    }
    if (pick.empty()) {
        return 1;
    }
    pick += L'\0';  // the multi-string's closing empty string
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"software\\Blizzard Entertainment\\Starcraft", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return 1;
    }
    const LONG set = RegSetValueExW(key, L"Recent Maps", 0, REG_MULTI_SZ,
                                    reinterpret_cast<const BYTE*>(pick.c_str()),
                                    static_cast<DWORD>((pick.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return set == ERROR_SUCCESS ? 0 : 1;
}
