// The window and the screen whose placement CINI saves and restores.
#pragma once

#include <cstdint>

namespace qrvl {

// Window states as FormWindow::WindowState gives and takes them.
inline constexpr std::int32_t kWindowNormal = 0;
inline constexpr std::int32_t kWindowMinimised = 1;
inline constexpr std::int32_t kWindowMaximised = 2;

// The screen a window lives on. Every answer is read afresh by the caller at each use, so an
// implementation may query the platform each time and need not cache anything.
class ScreenMetrics {
  public:
    virtual ~ScreenMetrics() = default;

    // The screen's size in twips (may carry a fraction when twips per pixel does).
    virtual double Width() const = 0;
    virtual double Height() const = 0;

    // Twips per pixel in each direction: 15 at 96 dots per inch, 7.5 at 192.
    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;
};

// A top-level window, seen as its placement in twips. Any member may throw qrvl::Error when the
// window cannot answer or refuses a value; CINI's placement members catch exactly that type.
class FormWindow {
  public:
    virtual ~FormWindow() = default;

    // The outer rectangle in twips, in screen coordinates.
    virtual double Left() const = 0;
    virtual double Top() const = 0;
    virtual double Width() const = 0;
    virtual double Height() const = 0;

    // kWindowNormal, kWindowMinimised or kWindowMaximised.
    virtual std::int32_t WindowState() const = 0;
    virtual void WindowState(std::int32_t state) = 0;

    // Places the window's normal (restored) rectangle, all four values in twips.
    virtual void Move(std::int32_t left, std::int32_t top, std::int32_t width,
                      std::int32_t height) = 0;

    // The screen that the window's placement is measured against. The reference stays valid
    // for as long as the window does.
    virtual const ScreenMetrics& Screen() const = 0;
};

}  // namespace qrvl
