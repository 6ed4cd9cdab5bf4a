// The computer's NetBIOS name.
#include "mapfile/machine_name.h"

#include <windows.h>

namespace qrvl {

std::wstring machineName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

}  // namespace qrvl
