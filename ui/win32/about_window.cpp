// frmAbout's real window: banner, credits, version line, the two links and "&Ok".
#include "ui/win32/about_window.h"

#include <commctrl.h>

#include "ui/res/resource.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/window_basics.h"
#include "ui/win32/window_owner.h"

namespace qrvl::win32 {

namespace {

// No WS_CLIPCHILDREN: the frame does not paint its inside, the window's background does.
constexpr DWORD kAboutStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kAboutExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr double kLabelPoints = 8.25;

struct FrameLabel {
    int id;
    const wchar_t* text;
    TwipsRect inFrame;  // relative to Frame1
    bool link;
};

// In tab-index order (Label6 is 2 ... Label13 is 13); none of them is a tab stop.
constexpr FrameLabel kFrameLabels[] = {
    {IDC_ABOUT_LABEL6, about_text::kLabel6, {120, 2280, 735, 255}, false},
    {IDC_ABOUT_LABEL8, about_text::kLabel8, {825, 960, 1095, 255}, false},
    {IDC_ABOUT_LABEL7, about_text::kLabel7, {825, 600, 2175, 255}, false},
    {IDC_ABOUT_LABEL4, about_text::kLabel4, {840, 1560, 1575, 255}, false},
    {IDC_ABOUT_LABEL1, about_text::kLabel1, {120, 600, 495, 255}, false},
    {IDC_ABOUT_LABEL2, about_text::kLabel2, {120, 960, 615, 255}, false},
    {IDC_ABOUT_LABEL3, about_text::kLabel3, {120, 1320, 3015, 255}, false},
    {IDC_ABOUT_LABEL9, about_text::kLabel9, {120, 1920, 2535, 255}, false},
    {IDC_ABOUT_LABEL10, L"", {840, 240, 2175, 255}, false},
    {IDC_ABOUT_LABEL11, about_text::kLabel11, {840, 2280, 2175, 255}, true},
    {IDC_ABOUT_LABEL12, about_text::kLabel12, {120, 2520, 735, 255}, false},
    {IDC_ABOUT_LABEL13, about_text::kLabel13, {840, 2520, 2295, 255}, true},
};

TwipsRect inClient(const TwipsRect& inFrame) {
    return {kFrame1Twips.left + inFrame.left, kFrame1Twips.top + inFrame.top, inFrame.width,
            inFrame.height};
}

bool isLink(int id) {
    return id == IDC_ABOUT_LABEL11 || id == IDC_ABOUT_LABEL13;
}

class AboutWindow : public AboutHost {
  public:
    AboutWindow(HWND owner, ShellApi& shell) : owner_(owner), form_(shell, *this) {}
    ~AboutWindow() override {
        Unload();
        if (banner_)
            DeleteObject(banner_);
    }

    void run();

    IconHandle MainWindowIcon() override {
        return static_cast<IconHandle>(SendMessageW(owner_, WM_GETICON, ICON_BIG, 0));
    }
    void Icon(IconHandle icon) override {
        SendMessageW(window_, WM_SETICON, ICON_BIG, static_cast<LPARAM>(icon));
        SendMessageW(window_, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(icon));
    }
    void Unload() override {
        if (!open_)
            return;
        open_ = false;
        // The owner is enabled before the About window goes, so that activation returns to it
        // rather than to some other program's window.
        if (owner_)
            EnableWindow(owner_, TRUE);
        if (window_)
            DestroyWindow(window_);
        window_ = nullptr;
    }

  private:
    static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void create();
    void layout(UINT dpi);
    void drawBanner(const DRAWITEMSTRUCT& item) const;

    HWND owner_;
    HWND window_ = nullptr;
    frmAbout form_;
    bool open_ = false;
    HBITMAP banner_ = nullptr;
    Font uiFont_;
    Font labelFont_;
    Font linkFont_;
};

void AboutWindow::create() {
    registerWindowClass(kAboutWindowClass, &AboutWindow::windowProc);
    banner_ = static_cast<HBITMAP>(
        LoadImageW(moduleInstance(), MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, 0, 0, 0));

    window_ = CreateWindowExW(kAboutExStyle, kAboutWindowClass, about_text::kCaption, kAboutStyle,
                              0, 0, 100, 100, owner_, nullptr, moduleInstance(), this);
    if (!window_)
        return;
    open_ = true;

    const DWORD child = WS_CHILD | WS_VISIBLE;
    // "&Ok" first: it holds tab index 0 and the focus.
    createControl(window_, {.className = WC_BUTTONW,
                            .text = about_text::kOk,
                            .id = IDC_ABOUT_OK,
                            .twips = kOkTwips,
                            .style = child | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON});
    createControl(window_, {.className = WC_BUTTONW,
                            .text = about_text::kFrame1,
                            .id = IDC_ABOUT_FRAME1,
                            .twips = kFrame1Twips,
                            .style = child | BS_GROUPBOX});
    for (const FrameLabel& label : kFrameLabels) {
        createControl(window_, {.className = WC_STATICW,
                                .text = label.text,
                                .id = label.id,
                                .twips = inClient(label.inFrame),
                                .style = child | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY});
    }
    createControl(window_, {.className = WC_STATICW,
                            .text = L"",
                            .id = IDC_ABOUT_IMAGE1,
                            .twips = kImage1Twips,
                            .style = child | SS_OWNERDRAW,
                            .exStyle = WS_EX_CLIENTEDGE});

    // The frame lies under its labels, as the forms runtime drew a frame under its contents.
    SetWindowPos(GetDlgItem(window_, IDC_ABOUT_FRAME1), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    form_.Label10.view = [this](const std::wstring& text) {
        SetWindowTextW(GetDlgItem(window_, IDC_ABOUT_LABEL10), text.c_str());
    };
    layout(windowDpi(owner_ ? owner_ : window_));
}

void AboutWindow::layout(UINT dpi) {
    uiFont_ = messageFont(dpi);
    labelFont_ = pointFont(about_text::kLabelFont, kLabelPoints, FW_NORMAL, false, dpi);
    linkFont_ = pointFont(about_text::kLabelFont, kLabelPoints, FW_NORMAL, true, dpi);
    for (int id : {IDC_ABOUT_OK, IDC_ABOUT_FRAME1}) {
        SendMessageW(GetDlgItem(window_, id), WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_.get()),
                     TRUE);
    }
    placeControl(GetDlgItem(window_, IDC_ABOUT_OK), kOkTwips, dpi);
    placeControl(GetDlgItem(window_, IDC_ABOUT_FRAME1), kFrame1Twips, dpi);
    placeControl(GetDlgItem(window_, IDC_ABOUT_IMAGE1), kImage1Twips, dpi);
    for (const FrameLabel& label : kFrameLabels) {
        HWND control = GetDlgItem(window_, label.id);
        placeControl(control, inClient(label.inFrame), dpi);
        SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(label.link ? linkFont_.get() : labelFont_.get()),
                     TRUE);
    }
    // The client area's top-left corner sits at its stored place on the screen.
    const RECT client = twipsToPixelRect(
        {kAboutLeftTwips, kAboutTopTwips, kAboutClientWidthTwips, kAboutClientHeightTwips}, dpi);
    RECT outer = client;
    AdjustWindowRectExForDpi(&outer, kAboutStyle, FALSE, kAboutExStyle, dpi);
    SetWindowPos(window_, nullptr, outer.left, outer.top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void AboutWindow::drawBanner(const DRAWITEMSTRUCT& item) const {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (!banner_)
        return;
    BITMAP info{};
    GetObjectW(banner_, sizeof info, &info);
    HDC source = CreateCompatibleDC(item.hDC);
    HGDIOBJ old = SelectObject(source, banner_);
    // At 96 DPI the control's inside is exactly the picture; at other DPIs it is scaled with it.
    SetStretchBltMode(item.hDC, HALFTONE);
    SetBrushOrgEx(item.hDC, 0, 0, nullptr);
    StretchBlt(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right - item.rcItem.left,
               item.rcItem.bottom - item.rcItem.top, source, 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

LRESULT CALLBACK AboutWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowOwner(window, message, lParam, &AboutWindow::window_);
    if (!self || self->window_ != window)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT AboutWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if ((id == IDC_ABOUT_OK && code == BN_CLICKED) || id == IDOK) {
                form_.Command2_Click();
            } else if (id == IDCANCEL) {
                Unload();
            } else if (id == IDC_ABOUT_LABEL11 && code == STN_CLICKED) {
                form_.Label11_Click();
            } else if (id == IDC_ABOUT_LABEL13 && code == STN_CLICKED) {
                form_.Label13_Click();
            }
            return 0;
        }
        case WM_CLOSE:
            Unload();
            return 0;
        case WM_SETCURSOR:
            if (isLink(GetDlgCtrlID(reinterpret_cast<HWND>(wParam)))) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            return onFaceColour(wParam, isLink(id) ? RGB(0, 0, 255) : GetSysColor(COLOR_BTNTEXT));
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->CtlID == IDC_ABOUT_IMAGE1) {
                drawBanner(*item);
                return TRUE;
            }
            break;
        }
        case WM_DPICHANGED:
            layout(HIWORD(wParam));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void AboutWindow::run() {
    create();
    if (!window_)
        return;
    // Each opening is a fresh load: the icon and the version line are set before it shows.
    form_.Form_Load();
    if (owner_)
        EnableWindow(owner_, FALSE);
    ShowWindow(window_, SW_SHOW);
    SetFocus(GetDlgItem(window_, IDC_ABOUT_OK));
    runModalLoop(open_);
    Unload();
}

}  // namespace

void showAbout(HWND owner, ShellApi& shell) {
    AboutWindow window(owner, shell);
    window.run();
}

}  // namespace qrvl::win32
