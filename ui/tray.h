// The notification-area icon that stands in for the main window while it is minimised.
#pragma once

#include <cstdint>
#include <string>

#include "ui/shell_api.h"

namespace qrvl {

// The shell reports mouse activity on the icon to the window as this private message (WM_APP
// + 1), with the mouse message (WM_LBUTTONUP, WM_RBUTTONUP, ...) in the low word of lParam. A
// message of our own keeps the reports apart from the window's real mouse moves.
inline constexpr std::uint32_t kTrayCallbackMessage = 0x8000 + 1;
inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr std::uint32_t kTrayIconFlags = kNifMessage | kNifIcon | kNifTip;

// The window the icon belongs to. Either answer may throw qrvl::Error when it cannot be read;
// the icon record then keeps that field's previous value.
class TrayWindow {
  public:
    virtual ~TrayWindow() = default;
    virtual WindowHandle hWnd() = 0;
    virtual IconHandle Icon() = 0;
};

// Owns the one icon record of the process. The record is all zeros until the first add, is
// filled by every add and never cleared; a remove sends what the last add left. Neither call
// looks at the shell's answer.
class Tray {
  public:
    Tray(ShellApi& shell, TrayWindow& window) : shell_(shell), window_(window) {}

    // Fills the record (size, window, id 1, flags 7, the callback message, the window's icon,
    // the tip) and adds the icon. The tip field holds 63 bytes and a NUL, the rest blanks; a
    // longer tip is cut to the whole characters that fit.
    void AddTrayIcon(const std::wstring& tip);
    // A new tip for the icon shown (NIM_MODIFY with the record as the last add left it); nothing
    // while no icon is shown or when the tip is the same.
    void SetTip(const std::wstring& tip);
    // Removes the icon the record describes; harmless when there is none.
    void RemoveTrayIcon();

    // True between an add and the next remove.
    bool IconShown() const noexcept { return shown_; }
    const NotifyIconDataA& TrayIconData() const noexcept { return record_; }

  private:
    // Fills szTip; true when it changed.
    bool storeTip(const std::wstring& tip);

    ShellApi& shell_;
    TrayWindow& window_;
    NotifyIconDataA record_{};
    bool shown_ = false;
};

}  // namespace qrvl
