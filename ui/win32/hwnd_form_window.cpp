// A real top-level window and its screen, seen as the twips placement that CINI saves and restores.
#include "ui/win32/hwnd_form_window.h"

#include <cmath>

#include "common/error.h"
#include "common/rounding.h"
#include "common/twips.h"
#include "ui/win32/dpi_layout.h"
#include "ui/win32/window_basics.h"

namespace qrvl::win32 {

double HwndScreenMetrics::Width() const {
    return GetSystemMetricsForDpi(SM_CXSCREEN, windowDpi(window_)) * TwipsPerPixelX();
}

double HwndScreenMetrics::Height() const {
    return GetSystemMetricsForDpi(SM_CYSCREEN, windowDpi(window_)) * TwipsPerPixelY();
}

double HwndScreenMetrics::TwipsPerPixelX() const {
    return twipsPerPixel(static_cast<int>(windowDpi(window_)));
}

double HwndScreenMetrics::TwipsPerPixelY() const {
    return TwipsPerPixelX();
}

void HwndFormWindow::requireWindow() const {
    if (!IsWindow(window_))
        throw Error(ErrorCode::InvalidArgument);
}

double HwndFormWindow::twipsPerPixel() const {
    return screen_.TwipsPerPixelX();
}

// While minimised or maximised the window's visible rectangle is not its placement; the forms
// runtime answered with the restored rectangle then, and so do we.
RECT HwndFormWindow::rect() const {
    requireWindow();
    RECT r{};
    if (IsIconic(window_) || IsZoomed(window_)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(window_, &placement))
            throw Error(ErrorCode::InvalidArgument);
        r = placement.rcNormalPosition;
        // The restored rectangle is in work-area coordinates; shift it onto the screen.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
            OffsetRect(&r, monitor.rcWork.left - monitor.rcMonitor.left,
                       monitor.rcWork.top - monitor.rcMonitor.top);
        }
    } else if (!GetWindowRect(window_, &r)) {
        throw Error(ErrorCode::InvalidArgument);
    }
    return r;
}

double HwndFormWindow::Left() const {
    return rect().left * twipsPerPixel();
}
double HwndFormWindow::Top() const {
    return rect().top * twipsPerPixel();
}
double HwndFormWindow::Width() const {
    const RECT r = rect();
    return (r.right - r.left) * twipsPerPixel();
}
double HwndFormWindow::Height() const {
    const RECT r = rect();
    return (r.bottom - r.top) * twipsPerPixel();
}

std::int32_t HwndFormWindow::WindowState() const {
    requireWindow();
    return windowState(window_);
}

void HwndFormWindow::WindowState(std::int32_t state) {
    requireWindow();
    if (!showWindowState(window_, state))
        throw Error(ErrorCode::InvalidArgument);
}

namespace {

int toPixels(std::int32_t twips, double perPixel) {
    const auto px = roundHalfEvenToInt32(twips / perPixel);
    if (!px)
        throw Error(ErrorCode::Overflow);
    return *px;
}

}  // namespace

void HwndFormWindow::Move(std::int32_t left, std::int32_t top, std::int32_t width,
                          std::int32_t height) {
    requireWindow();
    if (width < 0 || height < 0)
        throw Error(ErrorCode::InvalidArgument);
    const double perPixel = twipsPerPixel();
    RECT r{toPixels(left, perPixel), toPixels(top, perPixel), 0, 0};
    r.right = r.left + toPixels(width, perPixel);
    r.bottom = r.top + toPixels(height, perPixel);
    if (IsIconic(window_) || IsZoomed(window_)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(window_, &placement))
            throw Error(ErrorCode::InvalidArgument);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
            OffsetRect(&r, monitor.rcMonitor.left - monitor.rcWork.left,
                       monitor.rcMonitor.top - monitor.rcWork.top);
        }
        placement.rcNormalPosition = r;
        placement.showCmd = IsIconic(window_) ? SW_SHOWMINNOACTIVE : SW_SHOWMAXIMIZED;
        if (!SetWindowPlacement(window_, &placement))
            throw Error(ErrorCode::InvalidArgument);
        return;
    }
    if (!MoveWindow(window_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE)) {
        throw Error(ErrorCode::InvalidArgument);
    }
}

}  // namespace qrvl::win32
