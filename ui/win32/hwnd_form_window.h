// A real top-level window and its screen, seen as the twips placement that CINI saves and restores.
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/form_window.h"

namespace qrvl::win32 {

// The primary screen, measured with the DPI of the window it serves: per-monitor-aware programs
// see physical pixels, so twips per pixel follows that window's DPI (15 at 96, 7.5 at 192).
class HwndScreenMetrics : public ScreenMetrics {
  public:
    explicit HwndScreenMetrics(HWND window) : window_(window) {}
    double Width() const override;
    double Height() const override;
    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;

  private:
    HWND window_;
};

// Does not own the window. Every member throws qrvl::Error (invalid argument) once the handle no
// longer names a window, so CINI's placement members end quietly as they do for any failure.
class HwndFormWindow : public FormWindow {
  public:
    explicit HwndFormWindow(HWND window) : window_(window), screen_(window) {}

    double Left() const override;
    double Top() const override;
    double Width() const override;
    double Height() const override;

    std::int32_t WindowState() const override;
    void WindowState(std::int32_t state) override;

    // A minimised or maximised window keeps its state; its restored rectangle is what moves.
    void Move(std::int32_t left, std::int32_t top, std::int32_t width,
              std::int32_t height) override;

    const ScreenMetrics& Screen() const override { return screen_; }

  private:
    RECT rect() const;
    double twipsPerPixel() const;
    void requireWindow() const;

    HWND window_;
    HwndScreenMetrics screen_;
};

}  // namespace qrvl::win32
