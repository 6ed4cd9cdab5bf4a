// Functions of Windows' own DLLs, loaded the first time a call needs them rather than with the exe.
#pragma once

#include <windows.h>

namespace qrvl {

// `name` in `dll`, searched for in the system folder only, so that no DLL of the same name beside
// the exe is ever taken; null when either cannot be found. A start that needs none of a DLL's
// calls never pays for loading it, and the DLL is never an import of the exe.
template <typename Function>
Function* systemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The cast between function pointer types is how GetProcAddress is meant to be used.
    return module ? reinterpret_cast<Function*>(
                        reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace qrvl
