// Finds the C++ object behind a window handle, for the window procedures.
#pragma once

#include <windows.h>

namespace qrvl::win32 {

// The object that created `window`: CreateWindowExW hands it over as the creation parameter,
// and WM_NCCREATE, the first message that carries it, stores it in the window's user data and
// the window in the object's `handle` member. Null for messages that come before that one.
template <typename Owner>
Owner* windowOwner(HWND window, UINT message, LPARAM lParam, HWND Owner::*handle) {
    if (message == WM_NCCREATE) {
        auto* creating =
            static_cast<Owner*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        creating->*handle = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace qrvl::win32
