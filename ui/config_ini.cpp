// config.ini's place beside the exe.
#include "ui/config_ini.h"

#include "mapfile/map_cache.h"
#include "mapfile/map_marks.h"

namespace qrvl {

std::wstring configFile(const AnsiPathApi& api, const std::wstring& appPath) {
    const std::wstring folder = ansiSpelling(api, appPath).value_or(appPath);
    const bool separated = !folder.empty() && folder.back() == L'\\';
    return folder + (separated ? L"config.ini" : L"\\config.ini");
}

std::wstring mapCacheFile(const std::wstring& appPath) {
    const bool separated = !appPath.empty() && appPath.back() == L'\\';
    return appPath + (separated ? L"" : L"\\") + kMapCacheFileName;
}

std::wstring marksFile(const std::wstring& appPath) {
    const bool separated = !appPath.empty() && appPath.back() == L'\\';
    return appPath + (separated ? L"" : L"\\") + kMarksFileName;
}

}  // namespace qrvl
