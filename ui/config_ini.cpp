// config.ini's place beside the exe.
#include "ui/config_ini.h"

namespace qrvl {

std::wstring configFile(const std::wstring& appPath) {
    const bool separated = !appPath.empty() && appPath.back() == L'\\';
    return appPath + (separated ? L"config.ini" : L"\\config.ini");
}

}  // namespace qrvl
