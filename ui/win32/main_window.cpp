// Form1's real window: its controls, menus, timer and tray messages, all forwarded to Form1.
#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <vector>

#include "ui/res/resource.h"
#include "ui/tray.h"
#include "ui/win32/about_window.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/program_folder.h"
#include "ui/win32/shell_calls.h"
#include "ui/win32/window_owner.h"

namespace qrvl::win32 {

namespace {

constexpr UINT_PTR kTimer1Id = 1;
constexpr DWORD kMainStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

HINSTANCE moduleInstance() {
    return GetModuleHandleW(nullptr);
}

void registerClassOnce(WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(moduleInstance(), kMainWindowClass, &existing))
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = moduleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainWindowClass;
    wc.hIcon = LoadIconW(moduleInstance(), MAKEINTRESOURCEW(IDI_QRVL));
    RegisterClassExW(&wc);
}

HICON loadProgramIcon(int size) {
    return static_cast<HICON>(LoadImageW(moduleInstance(), MAKEINTRESOURCEW(IDI_QRVL), IMAGE_ICON,
                                         size, size, LR_DEFAULTCOLOR));
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
    if (bigIcon_)
        DestroyIcon(bigIcon_);
    if (smallIcon_)
        DestroyIcon(smallIcon_);
}

void MainWindow::Open(int showCommand) {
    registerClassOnce(&MainWindow::windowProc);
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, kForm1Caption, kMainStyle,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                              LoadMenuW(moduleInstance(), MAKEINTRESOURCEW(IDM_MAIN)),
                              moduleInstance(), this);
    if (!window_)
        return;
    trayMenu_ = LoadMenuW(moduleInstance(), MAKEINTRESOURCEW(IDM_TRAY));
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

    createControls();
    applyDpi(windowDpi(window_));
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

void MainWindow::createControls() {
    const DWORD tab = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP;
    // Created in tab order: the order of creation is the order Tab walks.
    createControl(window_, {.className = WC_STATICW,
                            .text = form_->Label1.Caption().c_str(),
                            .id = IDC_LABEL1,
                            .twips = kLabel1Twips,
                            .style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFTNOWORDWRAP |
                                     SS_NOPREFIX});
    createControl(window_, {.className = WC_BUTTONW,
                            .text = form_->scm.Caption.c_str(),
                            .id = IDC_SCM,
                            .twips = kScmTwips,
                            .style = tab | BS_AUTOCHECKBOX});
    createControl(window_, {.className = WC_BUTTONW,
                            .text = form_->scx.Caption.c_str(),
                            .id = IDC_SCX,
                            .twips = kScxTwips,
                            .style = tab | BS_AUTOCHECKBOX});
    createControl(window_, {.className = WC_EDITW,
                            .text = form_->Text1.Text().c_str(),
                            .id = IDC_TEXT1,
                            .twips = kText1Twips,
                            .style = tab | ES_AUTOHSCROLL | ES_READONLY,
                            .exStyle = WS_EX_CLIENTEDGE});
    createControl(window_, {.className = WC_BUTTONW,
                            .text = form_->Command1.Caption.c_str(),
                            .id = IDC_COMMAND1,
                            .twips = kCommand1Twips,
                            .style = tab | BS_PUSHBUTTON});
    createControl(window_, {.className = WC_BUTTONW,
                            .text = form_->Command2.Caption.c_str(),
                            .id = IDC_COMMAND2,
                            .twips = kCommand2Twips,
                            .style = tab | BS_PUSHBUTTON});
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

void MainWindow::applyDpi(UINT dpi) {
    // A check box's caption starts after its box and a gap.
    const int box = GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + MulDiv(6, dpi, 96);
    const auto width = [dpi](const TwipsRect& twips) {
        const RECT r = twipsToPixelRect(twips, dpi);
        return static_cast<int>(r.right - r.left);
    };
    font_ = fittedMessageFont(dpi, {{form_->Label1.Caption(), width(kLabel1Twips)},
                                    {form_->scm.Caption, width(kScmTwips) - box},
                                    {form_->scx.Caption, width(kScxTwips) - box}});
    applyFontToChildren(window_, font_.get());
    placeControl(control(IDC_LABEL1), kLabel1Twips, dpi);
    placeControl(control(IDC_SCM), kScmTwips, dpi);
    placeControl(control(IDC_SCX), kScxTwips, dpi);
    placeControl(control(IDC_TEXT1), kText1Twips, dpi);
    placeControl(control(IDC_COMMAND1), kCommand1Twips, dpi);
    placeControl(control(IDC_COMMAND2), kCommand2Twips, dpi);
    sizeClientArea(window_, kMainClientWidthTwips, kMainClientHeightTwips, dpi);

    const int big = GetSystemMetricsForDpi(SM_CXICON, dpi);
    const int small = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
    HICON oldBig = bigIcon_;
    HICON oldSmall = smallIcon_;
    bigIcon_ = loadProgramIcon(big);
    smallIcon_ = loadProgramIcon(small);
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
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
            if (wParam == kTimer1Id)
                form_->Timer1.Tick();
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
        case WM_CLOSE:
            // Never refused, never passed on: Form1 ends the program.
            form_->Form_QueryUnload();
            return 0;
        case WM_CTLCOLORSTATIC: {
            const HWND from = reinterpret_cast<HWND>(lParam);
            if (from == control(IDC_TEXT1))
                break;
            // Labels and check boxes sit on the window's face colour, also under visual styles.
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_DPICHANGED: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            applyDpi(HIWORD(wParam));
            return 0;
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
    return reinterpret_cast<IconHandle>(bigIcon_);
}

std::wstring MainWindow::AppPath() {
    return options_.appPath.empty() ? executableDirectory() : options_.appPath;
}

bool MainWindow::OrdinaryFileExists(const std::wstring& path) {
    return ordinaryFileExists(path);
}

std::int32_t MainWindow::WindowState() {
    if (IsIconic(window_))
        return kMinimized;
    if (IsZoomed(window_))
        return kMaximized;
    return kNormal;
}

void MainWindow::WindowState(std::int32_t state) {
    switch (state) {
        case kMinimized:
            ShowWindow(window_, SW_MINIMIZE);
            break;
        case kMaximized:
            ShowWindow(window_, SW_MAXIMIZE);
            break;
        default:
            ShowWindow(window_, SW_RESTORE);
            break;
    }
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

void MainWindow::ShowAbout() {
    showAbout(window_, *shell_);
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

}  // namespace qrvl::win32
