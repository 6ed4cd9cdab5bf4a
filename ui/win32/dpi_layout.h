// Twips-to-pixel placement of child controls and the DPI-scaled fonts they use.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qrvl::win32 {

// The window's DPI as the system gives it to a per-monitor-aware program (96 when unknown).
UINT windowDpi(HWND window);

// A rectangle in twips, as the layout tables give it.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The same rectangle in pixels at the given DPI. Edges are rounded, not sizes, so neighbours
// that touch in twips still touch in pixels.
RECT twipsToPixelRect(const TwipsRect& twips, UINT dpi);

// Arguments of one child control. The default style makes a plain visible child; a control that
// Tab should reach asks for WS_TABSTOP in its own style.
struct ControlSpec {
    const wchar_t* className = L"STATIC";
    const wchar_t* text = L"";
    int id = 0;
    TwipsRect twips;
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
};

// Creates the control at its twips position in `parent`'s client area (at the parent's DPI).
HWND createControl(HWND parent, const ControlSpec& control);

// Moves a control to its twips rectangle at `dpi`.
void placeControl(HWND control, const TwipsRect& twips, UINT dpi);

// Sizes a top-level window so that its client area is `clientTwips` wide and high at `dpi`,
// keeping its current position.
void sizeClientArea(HWND window, int clientWidthTwips, int clientHeightTwips, UINT dpi);

// An owned GDI font; DeleteObject on destruction.
class Font {
  public:
    Font() = default;
    explicit Font(HFONT handle) : handle_(handle) {}
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    Font(Font&& other) noexcept : handle_(other.release()) {}
    Font& operator=(Font&& other) noexcept;
    ~Font();
    HFONT get() const { return handle_; }
    HFONT release();

  private:
    HFONT handle_ = nullptr;
};

// The layouts were drawn for 8-point text: larger text would not fit the captions' widths.
inline constexpr double kLayoutFontPoints = 8.0;

// The default GUI font (Microsoft Sans Serif, or MS Sans Serif) at the layouts' 8 points,
// scaled to `dpi`; the message-box font's face where neither is installed.
Font messageFont(UINT dpi);

// A font by face name and size in points at `dpi`. Falls back to the message font's face when
// the system has no font of that name (Wine often lacks Comic Sans MS).
Font pointFont(const wchar_t* face, double points, int weight, bool underline, UINT dpi);

// A caption and the pixels it has to fit in.
struct FitText {
    std::wstring text;
    int width = 0;
};

// messageFont(dpi), made a pixel or two smaller when some caption would not fit otherwise
// (faces differ in width between systems; Wine often substitutes a wider one). Never below
// seven-eighths of the layout size.
Font fittedMessageFont(UINT dpi, const std::vector<FitText>& captions);

// True when a font of exactly this face name is installed.
bool fontInstalled(const wchar_t* face);

// Sets `font` on every child of `parent`.
void applyFontToChildren(HWND parent, HFONT font);

// The window text of any window as a wide string.
std::wstring windowText(HWND window);

}  // namespace qrvl::win32
