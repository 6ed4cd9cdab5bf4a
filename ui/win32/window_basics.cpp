// Class registration and window states, the same for the main window and the About window.
#include "ui/win32/window_basics.h"

#include "settings/form_window.h"

namespace qrvl::win32 {

HICON loadIcon(int iconResource, int size) {
    return static_cast<HICON>(LoadImageW(moduleInstance(), MAKEINTRESOURCEW(iconResource),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

void registerWindowClass(const wchar_t* className, WNDPROC procedure, int iconResource) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(moduleInstance(), className, &existing))
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = moduleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    if (iconResource) {
        const UINT dpi = GetDpiForSystem();
        wc.hIcon = loadIcon(iconResource, GetSystemMetricsForDpi(SM_CXICON, dpi));
        wc.hIconSm = loadIcon(iconResource, GetSystemMetricsForDpi(SM_CXSMICON, dpi));
    }
    RegisterClassExW(&wc);
}

std::int32_t windowState(HWND window) {
    if (IsIconic(window))
        return kWindowMinimised;
    if (IsZoomed(window))
        return kWindowMaximised;
    return kWindowNormal;
}

bool showWindowState(HWND window, std::int32_t state) {
    switch (state) {
        case kWindowNormal:
            ShowWindow(window, SW_RESTORE);
            return true;
        case kWindowMinimised:
            ShowWindow(window, SW_MINIMIZE);
            return true;
        case kWindowMaximised:
            ShowWindow(window, SW_MAXIMIZE);
            return true;
        default:
            return false;
    }
}

LRESULT onFaceColour(WPARAM dc, COLORREF text) {
    HDC context = reinterpret_cast<HDC>(dc);
    SetBkMode(context, TRANSPARENT);
    SetTextColor(context, text);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void moveToSuggestedRect(HWND window, LPARAM suggested) {
    const RECT* r = reinterpret_cast<const RECT*>(suggested);
    SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qrvl::win32
