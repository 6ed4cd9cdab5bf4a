// Form1's real window: its controls, menus, timer and tray messages, all forwarded to Form1.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "ui/form1.h"
#include "ui/shell_api.h"
#include "ui/win32/dpi_layout.h"

namespace qrvl::win32 {

class MapsWindow;

inline constexpr wchar_t kMainWindowClass[] = L"QuorvelPickerForm1";

// The client area and the controls' places, in twips, in tab order.
inline constexpr int kMainClientWidthTwips = 4695;
inline constexpr int kMainClientHeightTwips = 1275;
inline constexpr TwipsRect kLabel1Twips{120, 120, 2775, 255};
inline constexpr TwipsRect kScmTwips{120, 720, 1935, 255};
inline constexpr TwipsRect kScxTwips{120, 1000, 1935, 255};
inline constexpr TwipsRect kText1Twips{120, 360, 3495, 285};
inline constexpr TwipsRect kCommand1Twips{3720, 360, 855, 320};
inline constexpr TwipsRect kCommand2Twips{3360, 840, 1215, 375};

struct MainWindowOptions {
    // The shell calls; empty means shell32's own.
    std::shared_ptr<ShellApi> shell;
    // The settings and registry seams; empty members mean the platform's own.
    Form1Seams seams;
    // Where config.ini lives; empty means the executable's directory.
    std::wstring appPath;
    // How the program ends; empty means ExitProcess(0) at once, as the exits require.
    std::function<void()> end;
};

// Owns the HWND and the Form1 behaviour behind it. Form1 decides everything; this class only
// forwards the window's events to it and mirrors its controls onto the real ones.
class MainWindow : public Form1Host {
  public:
    explicit MainWindow(MainWindowOptions options = {});
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window hidden, runs the start-up sequence (which may open the folder dialog
    // before anything is shown), then shows it with `showCommand`.
    void Open(int showCommand);

    HWND handle() const noexcept { return window_; }
    Form1& form() noexcept { return *form_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }

    // Form1Host
    WindowHandle hWnd() override;
    IconHandle Icon() override;
    std::wstring AppPath() override;
    bool OrdinaryFileExists(const std::wstring& path) override;
    std::int32_t WindowState() override;
    void WindowState(std::int32_t state) override;
    void Visible(bool visible) override;
    void SetFocus() override;
    void SetForegroundWindow() override;
    void PopupYESNO(std::uint32_t flags) override;
    void ShowAbout() override;
    void ShowFilter(FilterSource& source) override;
    void ShowMaps(MapsSource& source) override;
    // The Maps window while it is open, null otherwise.
    HWND mapsWindow() const noexcept;
    void PostMapsRead() override;
    void End() override;
    void DoEvents() override;
    // FollowerHost, through the window's own message queue
    void PostWatchChanges() override;
    void StartSettleTimer(std::uint32_t milliseconds) override;
    void StopSettleTimer() override;

  private:
    static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    // "Maps...", "Map filter..." and "Resume random picks" at the end of the system menu, and
    // the first two in the right-click menu.
    void addMapMenus();
    // Pops up the right-click menu for WM_CONTEXTMENU's `at`; false when the point lies outside
    // the client area, which the default handling keeps.
    bool popUpContextMenu(LPARAM at);
    void bindControls();
    // Font, icons and the window's size for `dpi`; the controls' places too when asked.
    void applyDpi(UINT dpi, bool placeControls);
    void applyTimer();
    void focusControl();
    void onCommand(int id, int code);

    MainWindowOptions options_;
    std::shared_ptr<ShellApi> shell_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<MapsWindow> maps_;
    HWND window_ = nullptr;
    // Icons of a DPI other than the system's, the class's icons' (null until a DPI needs them).
    HICON dpiBigIcon_ = nullptr;
    HICON dpiSmallIcon_ = nullptr;
    HMENU trayMenu_ = nullptr;
    HMENU contextMenu_ = nullptr;
    HWND lastFocus_ = nullptr;
    Font font_;
    UINT taskbarCreated_ = 0;
    bool loaded_ = false;
    bool mirroring_ = false;
    bool resized_ = false;
};

}  // namespace qrvl::win32
