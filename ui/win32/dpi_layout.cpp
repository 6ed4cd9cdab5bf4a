// Twips-to-pixel placement of child controls and the DPI-scaled fonts they use.
#include "ui/win32/dpi_layout.h"

#include <cmath>
#include <vector>

#include "common/twips.h"

namespace qrvl::win32 {

UINT windowDpi(HWND window) {
    const UINT dpi = window ? GetDpiForWindow(window) : GetDpiForSystem();
    return dpi ? dpi : USER_DEFAULT_SCREEN_DPI;
}

RECT twipsToPixelRect(const TwipsRect& twips, UINT dpi) {
    const int d = static_cast<int>(dpi);
    return RECT{twipsToPixels(twips.left, d), twipsToPixels(twips.top, d),
                twipsToPixels(twips.left + twips.width, d),
                twipsToPixels(twips.top + twips.height, d)};
}

HWND createControl(HWND parent, const ControlSpec& control) {
    const RECT r = twipsToPixelRect(control.twips, windowDpi(parent));
    return CreateWindowExW(control.exStyle, control.className, control.text, control.style, r.left,
                           r.top, r.right - r.left, r.bottom - r.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                           nullptr);
}

void placeControl(HWND control, const TwipsRect& twips, UINT dpi) {
    const RECT r = twipsToPixelRect(twips, dpi);
    SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void sizeClientArea(HWND window, int clientWidthTwips, int clientHeightTwips, UINT dpi) {
    const int d = static_cast<int>(dpi);
    // A window made at its size needs no change, which under Wine would cost a round trip.
    RECT now{};
    GetClientRect(window, &now);
    if (now.right - now.left == twipsToPixels(clientWidthTwips, d) &&
        now.bottom - now.top == twipsToPixels(clientHeightTwips, d)) {
        return;
    }
    RECT r{0, 0, twipsToPixels(clientWidthTwips, d), twipsToPixels(clientHeightTwips, d)};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    AdjustWindowRectExForDpi(&r, style, GetMenu(window) != nullptr, exStyle, dpi);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps makes the client area shorter than asked; correct once for it.
    RECT client{};
    GetClientRect(window, &client);
    const int missing = twipsToPixels(clientHeightTwips, d) - (client.bottom - client.top);
    if (missing != 0) {
        RECT outer{};
        GetWindowRect(window, &outer);
        SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left,
                     outer.bottom - outer.top + missing,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

Font& Font::operator=(Font&& other) noexcept {
    if (this != &other) {
        if (handle_)
            DeleteObject(handle_);
        handle_ = other.release();
    }
    return *this;
}

Font::~Font() {
    if (handle_)
        DeleteObject(handle_);
}

HFONT Font::release() {
    HFONT h = handle_;
    handle_ = nullptr;
    return h;
}

namespace {

LOGFONTW messageLogFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        return metrics.lfMessageFont;
    }
    // Older systems: the unscaled metrics, scaled here.
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        LOGFONTW lf = metrics.lfMessageFont;
        lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
        return lf;
    }
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
    return lf;
}

int CALLBACK faceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

}  // namespace

namespace {

LOGFONTW layoutLogFont(UINT dpi) {
    LOGFONTW lf = messageLogFont(dpi);
    // The default GUI font's own face where there is one: the layouts' widths were measured in
    // it, and wider faces (Tahoma, Segoe UI) cut the longer captions.
    for (const wchar_t* face : {L"Microsoft Sans Serif", L"MS Sans Serif"}) {
        if (fontInstalled(face)) {
            lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
            break;
        }
    }
    lf.lfHeight = -static_cast<LONG>(std::lround(kLayoutFontPoints * dpi / 72.0));
    lf.lfWidth = 0;
    return lf;
}

bool captionsFit(const LOGFONTW& lf, const std::vector<FitText>& captions) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    bool fit = true;
    for (const FitText& caption : captions) {
        RECT r{0, 0, 0, 0};
        DrawTextW(dc, caption.text.c_str(), static_cast<int>(caption.text.size()), &r,
                  DT_CALCRECT | DT_SINGLELINE);
        if (r.right > caption.width)
            fit = false;
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return fit;
}

}  // namespace

Font messageFont(UINT dpi) {
    const LOGFONTW lf = layoutLogFont(dpi);
    return Font(CreateFontIndirectW(&lf));
}

Font fittedMessageFont(UINT dpi, const std::vector<FitText>& captions) {
    LOGFONTW lf = layoutLogFont(dpi);
    const LONG smallest = lf.lfHeight * 7 / 8;
    while (lf.lfHeight < smallest && !captionsFit(lf, captions))
        ++lf.lfHeight;
    return Font(CreateFontIndirectW(&lf));
}

bool fontInstalled(const wchar_t* face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &query, faceFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

Font pointFont(const wchar_t* face, double points, int weight, bool underline, UINT dpi) {
    LOGFONTW lf = messageLogFont(dpi);
    lf.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
    lf.lfWidth = 0;
    lf.lfWeight = weight;
    lf.lfItalic = FALSE;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (fontInstalled(face))
        lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return Font(CreateFontIndirectW(&lf));
}

void applyFontToChildren(HWND parent, HFONT font) {
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM f) -> BOOL {
            SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(f), TRUE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(font));
}

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    const int got = GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<std::size_t>(got < 0 ? 0 : got));
}

}  // namespace qrvl::win32
