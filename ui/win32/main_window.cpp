// Form1's real window: its controls, menus, timer and tray messages, all forwarded to Form1.
#include "ui/win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <vector>

#include "ui/res/resource.h"
#include "ui/tray.h"
#include "ui/win32/about_window.h"
#include "ui/win32/filter_window.h"
#include "ui/win32/maps_window.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/program_folder.h"
#include "ui/win32/shell_calls.h"
#include "ui/win32/window_basics.h"
#include "ui/win32/window_owner.h"

namespace qrvl::win32 {

namespace {

constexpr UINT_PTR kTimer1Id = 1;
constexpr UINT_PTR kSettleTimerId = 2;
// Posted by the maps directory's watch from its own thread. A posted message reaches the window
// through every loop that runs on its thread: ours, the About window's and the folder dialog's.
constexpr UINT kWatchChangesMessage = WM_APP + 2;
// Posted by the map-reading thread when readings wait; as kWatchChangesMessage, it is handled in
// whatever loop runs, the scan's yields included.
constexpr UINT kMapsReadMessage = WM_APP + 3;
// Posted when the Maps window has closed, so that its object goes once its handler has returned.
constexpr UINT kMapsClosedMessage = WM_APP + 4;

// Which captions the message font must fit: a label's whole width, a check box's after its box.
enum class CaptionFit { None, Whole, AfterBox };

// One control of the window: how it is made, where it lies, and where its first text comes from.
struct MainControl {
    int id;
    const wchar_t* className;
    TwipsRect twips;
    DWORD style;
    DWORD exStyle;
    CaptionFit fit;
    const std::wstring& (*text)(Form1&);
};

constexpr DWORD kTabStop = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP;

// In tab order: the order of creation is the order Tab walks.
constexpr MainControl kMainControls[] = {
    {IDC_LABEL1, WC_STATICW, kLabel1Twips,
     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0,
     CaptionFit::Whole, [](Form1& f) -> const std::wstring& { return f.Label1.Caption(); }},
    {IDC_SCM, WC_BUTTONW, kScmTwips, kTabStop | BS_AUTOCHECKBOX, 0, CaptionFit::AfterBox,
     [](Form1& f) -> const std::wstring& { return f.scm.Caption; }},
    {IDC_SCX, WC_BUTTONW, kScxTwips, kTabStop | BS_AUTOCHECKBOX, 0, CaptionFit::AfterBox,
     [](Form1& f) -> const std::wstring& { return f.scx.Caption; }},
    {IDC_TEXT1, WC_EDITW, kText1Twips, kTabStop | ES_AUTOHSCROLL | ES_READONLY, WS_EX_CLIENTEDGE,
     CaptionFit::None, [](Form1& f) -> const std::wstring& { return f.Text1.Text(); }},
    {IDC_COMMAND1, WC_BUTTONW, kCommand1Twips, kTabStop | BS_PUSHBUTTON, 0, CaptionFit::None,
     [](Form1& f) -> const std::wstring& { return f.Command1.Caption; }},
    {IDC_COMMAND2, WC_BUTTONW, kCommand2Twips, kTabStop | BS_PUSHBUTTON, 0, CaptionFit::None,
     [](Form1& f) -> const std::wstring& { return f.Command2.Caption; }},
};

constexpr DWORD kMainStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_CONTROLPARENT;

// The client area's outer window at `dpi`, with its menu bar.
SIZE outerSize(UINT dpi) {
    RECT r = twipsToPixelRect({0, 0, kMainClientWidthTwips, kMainClientHeightTwips}, dpi);
    AdjustWindowRectExForDpi(&r, kMainStyle, TRUE, kMainExStyle, dpi);
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

MainWindow::MainWindow(MainWindowOptions options) : options_(std::move(options)) {
    shell_ = options_.shell ? options_.shell : win32ShellApi();
    form_ = std::make_unique<Form1>(*this, *shell_, options_.seams);
}

MainWindow::~MainWindow() {
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (trayMenu_)
        DestroyMenu(trayMenu_);
    if (contextMenu_)
        DestroyMenu(contextMenu_);
    if (dpiBigIcon_)
        DestroyIcon(dpiBigIcon_);
    if (dpiSmallIcon_)
        DestroyIcon(dpiSmallIcon_);
}

void MainWindow::Open(int showCommand) {
    // Every start pays for each change of a shown-to-be window under Wine, so the window is made
    // at its final size and with its icons (the class's, at the system DPI) from the start.
    registerWindowClass(kMainWindowClass, &MainWindow::windowProc, IDI_QRVL);
    const SIZE size = outerSize(windowDpi(nullptr));
    window_ = CreateWindowExW(kMainExStyle, kMainWindowClass, kForm1Caption, kMainStyle,
                              CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr,
                              LoadMenuW(moduleInstance(), MAKEINTRESOURCEW(IDM_MAIN)),
                              moduleInstance(), this);
    if (!window_)
        return;
    trayMenu_ = LoadMenuW(moduleInstance(), MAKEINTRESOURCEW(IDM_TRAY));
    addMapMenus();
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

    createControls();
    // The controls were just made at this DPI: only the font and the window's size remain.
    applyDpi(windowDpi(window_), false);
    bindControls();
    applyTimer();

    // The start-up sequence runs before the window is first shown; on a first run it opens the
    // folder dialog from here.
    form_->Form_Load();
    loaded_ = true;

    resized_ = false;
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    // The first showing is a resize as far as Form1 is concerned, whether or not the system
    // sent WM_SIZE for it.
    if (!resized_)
        form_->Form_Resize();
}

void MainWindow::addMapMenus() {
    // The menu bar and the tray menu keep their items; the map windows are reached from the
    // system menu and from a right-click on the window.
    HMENU system = GetSystemMenu(window_, FALSE);
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_STRING, IDM_MAPS, (form_->maps.Caption + L"\tCtrl+M").c_str());
    AppendMenuW(system, MF_STRING, IDM_MAP_FILTER, form_->mapFilter.Caption.c_str());
    contextMenu_ = CreatePopupMenu();
    AppendMenuW(contextMenu_, MF_STRING, IDM_MAPS, form_->maps.Caption.c_str());
    AppendMenuW(contextMenu_, MF_STRING, IDM_MAP_FILTER, form_->mapFilter.Caption.c_str());
}

void MainWindow::createControls() {
    for (const MainControl& c : kMainControls) {
        createControl(window_, {.className = c.className,
                                .text = c.text(*form_).c_str(),
                                .id = c.id,
                                .twips = c.twips,
                                .style = c.style,
                                .exStyle = c.exStyle});
    }
    // Labels lie under the other controls, as windowless labels of the forms runtime did: the
    // label's last pixel row would otherwise cover the directory box's top edge.
    SetWindowPos(control(IDC_LABEL1), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::bindControls() {
    form_->Label1.view = [this](const std::wstring& text) {
        SetWindowTextW(control(IDC_LABEL1), text.c_str());
    };
    form_->scm.view = [this](std::int32_t value) {
        SendMessageW(control(IDC_SCM), BM_SETCHECK, static_cast<WPARAM>(value), 0);
    };
    form_->scx.view = [this](std::int32_t value) {
        SendMessageW(control(IDC_SCX), BM_SETCHECK, static_cast<WPARAM>(value), 0);
    };
    form_->Text1.view = [this](const std::wstring& text) {
        // Our own change of the box must not come back as the user's edit.
        mirroring_ = true;
        SetWindowTextW(control(IDC_TEXT1), text.c_str());
        mirroring_ = false;
    };
    form_->Timer1.view = [this] { applyTimer(); };
}

void MainWindow::applyTimer() {
    if (form_->Timer1.Enabled() && form_->Timer1.Interval() != 0) {
        SetTimer(window_, kTimer1Id, form_->Timer1.Interval(), nullptr);
    } else {
        KillTimer(window_, kTimer1Id);
    }
}

void MainWindow::applyDpi(UINT dpi, bool placeControls) {
    // A check box's caption starts after its box and a gap.
    const int box = GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + MulDiv(6, dpi, 96);
    std::vector<FitText> captions;
    for (const MainControl& c : kMainControls) {
        if (c.fit == CaptionFit::None)
            continue;
        const RECT r = twipsToPixelRect(c.twips, dpi);
        const int room =
            static_cast<int>(r.right - r.left) - (c.fit == CaptionFit::AfterBox ? box : 0);
        captions.push_back({c.text(*form_), room});
    }
    font_ = fittedMessageFont(dpi, captions);
    applyFontToChildren(window_, font_.get());
    if (placeControls) {
        for (const MainControl& c : kMainControls)
            placeControl(control(c.id), c.twips, dpi);
    }
    sizeClientArea(window_, kMainClientWidthTwips, kMainClientHeightTwips, dpi);

    // The class's icons suit the system DPI; other DPIs get icons of their own size.
    if (dpi == windowDpi(nullptr) && !dpiBigIcon_)
        return;
    HICON oldBig = dpiBigIcon_;
    HICON oldSmall = dpiSmallIcon_;
    dpiBigIcon_ = loadIcon(IDI_QRVL, GetSystemMetricsForDpi(SM_CXICON, dpi));
    dpiSmallIcon_ = loadIcon(IDI_QRVL, GetSystemMetricsForDpi(SM_CXSMICON, dpi));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(dpiBigIcon_));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(dpiSmallIcon_));
    if (oldBig)
        DestroyIcon(oldBig);
    if (oldSmall)
        DestroyIcon(oldSmall);
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowOwner(window, message, lParam, &MainWindow::window_);
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        form_->TaskbarCreated();
        return 0;
    }
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1Id) {
                form_->Timer1.Tick();
            } else if (wParam == kSettleTimerId) {
                KillTimer(window_, kSettleTimerId);
                form_->WatchSettled();
            }
            return 0;
        case kWatchChangesMessage:
            form_->WatchChanges();
            return 0;
        case kMapsReadMessage:
            form_->MapsRead();
            return 0;
        case kTrayCallbackMessage:
            form_->TrayCallback(static_cast<std::intptr_t>(lParam));
            return 0;
        case WM_SIZE:
            if (loaded_) {
                resized_ = true;
                form_->Form_Resize();
            }
            return 0;
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case IDM_MAP_FILTER:
                    form_->mapFilter.Raise();
                    return 0;
                case IDM_MAPS:
                    form_->maps.Raise();
                    return 0;
                case IDM_RESUME:
                    form_->resume.Raise();
                    return 0;
                default:
                    break;
            }
            break;
        case WM_INITMENUPOPUP:
            if (HIWORD(lParam) != 0) {
                // The system menu offers to resume, at its end, only while a map is held.
                const auto menu = reinterpret_cast<HMENU>(wParam);
                const bool offered = GetMenuState(menu, IDM_RESUME, MF_BYCOMMAND) != ~0u;
                if (form_->Holding() && !offered)
                    AppendMenuW(menu, MF_STRING, IDM_RESUME, form_->resume.Caption.c_str());
                else if (!form_->Holding() && offered)
                    DeleteMenu(menu, IDM_RESUME, MF_BYCOMMAND);
            }
            break;
        case kTranslateKeyMessage: {
            const MSG& key = *reinterpret_cast<const MSG*>(lParam);
            if (key.wParam == 'M' && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
                form_->maps.Raise();
                return 1;
            }
            return 0;
        }
        case kMapsClosedMessage:
            maps_.reset();
            return 0;
        case WM_CONTEXTMENU:
            if (popUpContextMenu(lParam))
                return 0;
            break;
        case WM_CLOSE:
            // Never refused, never passed on: Form1 ends the program.
            form_->Form_QueryUnload();
            return 0;
        case WM_CTLCOLORSTATIC: {
            const HWND from = reinterpret_cast<HWND>(lParam);
            if (from == control(IDC_TEXT1))
                break;
            // Labels and check boxes sit on the window's face colour, also under visual styles.
            return onFaceColour(wParam);
        }
        case WM_DPICHANGED: {
            moveToSuggestedRect(window_, lParam);
            applyDpi(HIWORD(wParam), true);
            return 0;
        }
        case WM_GETICON: {
            // Until a DPI change sets icons of its own size, the window shows its class's; it
            // names them when asked, as it names any it was given.
            const LRESULT given = DefWindowProcW(window_, message, wParam, lParam);
            if (given || (wParam != ICON_BIG && wParam != ICON_SMALL && wParam != ICON_SMALL2))
                return given;
            return static_cast<LRESULT>(
                GetClassLongPtrW(window_, wParam == ICON_BIG ? GCLP_HICON : GCLP_HICONSM));
        }
        case WM_DESTROY:
            KillTimer(window_, kTimer1Id);
            break;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::onCommand(int id, int code) {
    switch (id) {
        case IDC_COMMAND1:
            if (code == BN_CLICKED)
                form_->Command1_Click();
            break;
        case IDC_COMMAND2:
            if (code == BN_CLICKED)
                form_->Command2_Click();
            break;
        case IDC_SCM:
            if (code == BN_CLICKED) {
                form_->scm.UserValue(
                    static_cast<std::int32_t>(SendMessageW(control(IDC_SCM), BM_GETCHECK, 0, 0)));
            }
            break;
        case IDC_SCX:
            if (code == BN_CLICKED) {
                form_->scx.UserValue(
                    static_cast<std::int32_t>(SendMessageW(control(IDC_SCX), BM_GETCHECK, 0, 0)));
            }
            break;
        case IDC_TEXT1:
            if (code == EN_CHANGE && !mirroring_)
                form_->Text1.UserText(windowText(control(IDC_TEXT1)));
            break;
        case IDM_FILE_EXIT:
            form_->leave_Click();
            break;
        case IDM_ABOUT:
            form_->info_Click();
            break;
        case IDM_TRAY_EXIT:
            form_->leave2_Click();
            break;
        default:
            break;
    }
}

WindowHandle MainWindow::hWnd() {
    return reinterpret_cast<WindowHandle>(window_);
}

IconHandle MainWindow::Icon() {
    return static_cast<IconHandle>(SendMessageW(window_, WM_GETICON, ICON_BIG, 0));
}

std::wstring MainWindow::AppPath() {
    return options_.appPath.empty() ? executableDirectory() : options_.appPath;
}

bool MainWindow::OrdinaryFileExists(const std::wstring& path) {
    return ordinaryFileExists(path);
}

std::int32_t MainWindow::WindowState() {
    return windowState(window_);
}

void MainWindow::WindowState(std::int32_t state) {
    showWindowState(window_, state);
}

void MainWindow::Visible(bool visible) {
    ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
}

void MainWindow::SetFocus() {
    SetActiveWindow(window_);
    focusControl();
}

void MainWindow::focusControl() {
    HWND target = lastFocus_ && IsWindow(lastFocus_) ? lastFocus_
                                                     : GetNextDlgTabItem(window_, nullptr, FALSE);
    if (target && GetFocus() != target)
        ::SetFocus(target);
}

void MainWindow::SetForegroundWindow() {
    ::SetForegroundWindow(window_);
}

void MainWindow::PopupYESNO(std::uint32_t flags) {
    POINT at{};
    GetCursorPos(&at);
    // The chosen item comes back here rather than as a posted WM_COMMAND, so that "Exit" has
    // run by the time the menu has closed.
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(GetSubMenu(trayMenu_, 0),
                                                         flags | TPM_RETURNCMD | TPM_NONOTIFY, at.x,
                                                         at.y, 0, window_, nullptr));
    // Without a message after the menu, a second right-click on the icon would not open it.
    PostMessageW(window_, WM_NULL, 0, 0);
    if (chosen == IDM_TRAY_EXIT)
        form_->leave2_Click();
}

bool MainWindow::popUpContextMenu(LPARAM at) {
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (point.x == -1 && point.y == -1) {
        // Shift+F10 or the Menu key: the menu opens at the focused control, or the window's
        // top-left corner.
        point = {0, 0};
        HWND focus = ::GetFocus();
        MapWindowPoints(focus && IsChild(window_, focus) ? focus : window_, HWND_DESKTOP, &point,
                        1);
    } else {
        // The caption and the borders keep the system menu the default gives them.
        POINT inClient = point;
        ScreenToClient(window_, &inClient);
        RECT client{};
        GetClientRect(window_, &client);
        if (!PtInRect(&client, inClient))
            return false;
    }
    // The chosen item comes back here, so that the Filter window opens once the menu has gone.
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(contextMenu_, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, point.x,
                       point.y, 0, window_, nullptr));
    if (chosen == IDM_MAP_FILTER)
        form_->mapFilter.Raise();
    else if (chosen == IDM_MAPS)
        form_->maps.Raise();
    return true;
}

void MainWindow::ShowAbout() {
    showAbout(window_, *shell_);
}

void MainWindow::ShowFilter(FilterSource& source) {
    // Form1 lets go of the refresh itself once this returns; the window lets go on unloading.
    showFilter(window_, source, [this](std::function<void()> changed) {
        form_->FilterChanged = std::move(changed);
    });
}

void MainWindow::ShowMaps(MapsSource& source) {
    if (maps_ && maps_->handle()) {
        maps_->activate();
        return;
    }
    maps_ = std::make_unique<MapsWindow>(source, [this] {
        form_->MapsClosed();
        // The window is gone but its object is still on the stack below: it goes later.
        PostMessageW(window_, kMapsClosedMessage, 0, 0);
    });
    form_->MapsChanged = [this] {
        if (maps_)
            maps_->refresh();
    };
}

HWND MainWindow::mapsWindow() const noexcept {
    return maps_ ? maps_->handle() : nullptr;
}

void MainWindow::PostMapsRead() {
    PostMessageW(window_, kMapsReadMessage, 0, 0);
}

void MainWindow::End() {
    if (options_.end) {
        options_.end();
        return;
    }
    ExitProcess(0);
}

void MainWindow::DoEvents() {
    pumpPendingMessages();
}

void MainWindow::PostWatchChanges() {
    PostMessageW(window_, kWatchChangesMessage, 0, 0);
}

void MainWindow::StartSettleTimer(std::uint32_t milliseconds) {
    SetTimer(window_, kSettleTimerId, milliseconds, nullptr);
}

void MainWindow::StopSettleTimer() {
    KillTimer(window_, kSettleTimerId);
}

}  // namespace qrvl::win32
