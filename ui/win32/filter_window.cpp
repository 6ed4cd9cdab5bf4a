// frmFilter's real window: the players' and tilesets' boxes, the two lines, OK and Cancel.
#include "ui/win32/filter_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <tuple>
#include <vector>

#include "ui/res/resource.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/window_basics.h"
#include "ui/win32/window_owner.h"

namespace qrvl::win32 {

namespace {

// As the About window: a fixed dialog frame, no icon, no minimise or maximise box.
constexpr DWORD kFilterStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFilterExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

constexpr int kBoxes = 8;
// A group box's caption takes the top of its frame; the boxes start below it.
constexpr int kFrameCaptionTwips = 270;
constexpr int kBoxHeightTwips = 255;
constexpr int kPlayerStepTwips = 540;
constexpr int kPlayerWidthTwips = 495;
constexpr int kTilesetRowTwips = 285;
constexpr int kTilesetColumnTwips = 2160;
constexpr int kTilesetWidthTwips = 2055;
constexpr int kBoxInsetTwips = 120;

bool isPlayerBox(int id) {
    return id >= IDC_FILTER_PLAYER1 && id < IDC_FILTER_PLAYER1 + kBoxes;
}

bool isTilesetBox(int id) {
    return id >= IDC_FILTER_TILESET1 && id < IDC_FILTER_TILESET1 + kBoxes;
}

std::int32_t boxValue(HWND box) {
    return static_cast<std::int32_t>(SendMessageW(box, BM_GETCHECK, 0, 0));
}

class FilterWindow : public FilterHost {
  public:
    FilterWindow(HWND owner, FilterSource& source, const FilterWatch& watch)
        : owner_(owner), watch_(watch), form_(source, *this) {}
    ~FilterWindow() override { Unload(); }

    void run();

    void Unload() override {
        if (!open_)
            return;
        open_ = false;
        // Nothing refreshes a window that is going.
        if (watch_)
            watch_({});
        // The owner is enabled before this window goes, so that activation returns to it
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
    void bind();
    void layout(UINT dpi);
    void centreOverOwner();
    HWND control(int id) const { return GetDlgItem(window_, id); }

    HWND owner_;
    const FilterWatch& watch_;
    HWND window_ = nullptr;
    frmFilter form_;
    bool open_ = false;
    Font font_;
};

// Every control but the frames, in tab order: the order of creation is the order Tab walks.
struct FilterControl {
    int id;
    const wchar_t* className;
    TwipsRect twips;
    DWORD style;
};

std::vector<FilterControl> filterControls() {
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    constexpr DWORD box = child | WS_TABSTOP | BS_AUTOCHECKBOX;
    std::vector<FilterControl> controls;
    for (int i = 0; i < kBoxes; ++i) {
        controls.push_back(
            {IDC_FILTER_PLAYER1 + i, WC_BUTTONW, playerBoxTwips(i), box | (i == 0 ? WS_GROUP : 0)});
    }
    for (int i = 0; i < kBoxes; ++i) {
        controls.push_back({IDC_FILTER_TILESET1 + i, WC_BUTTONW, tilesetBoxTwips(i),
                            box | (i == 0 ? WS_GROUP : 0)});
    }
    controls.push_back({IDC_FILTER_FAVOURITES, WC_BUTTONW, kFavouritesTwips, box | WS_GROUP});
    // The lines show counts and a map's title, which may hold an "&" that is no mnemonic.
    const DWORD line = child | WS_GROUP | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_ENDELLIPSIS;
    controls.push_back({IDC_FILTER_COUNT, WC_STATICW, kCountTwips, line});
    controls.push_back({IDC_FILTER_LAST_PICK, WC_STATICW, kLastPickTwips, line});
    controls.push_back(
        {IDOK, WC_BUTTONW, kFilterOkTwips, child | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON});
    controls.push_back({IDCANCEL, WC_BUTTONW, kFilterCancelTwips, child | WS_TABSTOP});
    return controls;
}

const std::wstring* captionOf(const frmFilter& form, int id) {
    if (isPlayerBox(id))
        return &form.Players[static_cast<std::size_t>(id - IDC_FILTER_PLAYER1)].Caption;
    if (isTilesetBox(id))
        return &form.Tilesets[static_cast<std::size_t>(id - IDC_FILTER_TILESET1)].Caption;
    if (id == IDC_FILTER_FAVOURITES)
        return &form.Favourites.Caption;
    if (id == IDOK)
        return &form.OK.Caption;
    if (id == IDCANCEL)
        return &form.Cancel.Caption;
    return nullptr;
}

void FilterWindow::create() {
    registerWindowClass(kFilterWindowClass, &FilterWindow::windowProc);
    window_ =
        CreateWindowExW(kFilterExStyle, kFilterWindowClass, filter_text::kCaption, kFilterStyle, 0,
                        0, 100, 100, owner_, nullptr, moduleInstance(), this);
    if (!window_)
        return;
    open_ = true;

    for (const FilterControl& c : filterControls()) {
        const std::wstring* caption = captionOf(form_, c.id);
        createControl(window_, {.className = c.className,
                                .text = caption ? caption->c_str() : L"",
                                .id = c.id,
                                .twips = c.twips,
                                .style = c.style});
    }
    // Made last, the frames lie under their boxes (as the About window's frame lies under its
    // labels) and after them in Tab's walk, which passes them over.
    for (const auto& [id, text, twips] :
         {std::tuple{IDC_FILTER_PLAYERS_FRAME, filter_text::kPlayersFrame, kPlayersFrameTwips},
          std::tuple{IDC_FILTER_TILESETS_FRAME, filter_text::kTilesetsFrame,
                     kTilesetsFrameTwips}}) {
        createControl(window_, {.className = WC_BUTTONW,
                                .text = text,
                                .id = id,
                                .twips = twips,
                                .style = WS_CHILD | WS_VISIBLE | BS_GROUPBOX});
    }
    layout(windowDpi(owner_ ? owner_ : window_));
    centreOverOwner();
}

void FilterWindow::bind() {
    for (int i = 0; i < kBoxes; ++i) {
        const auto at = static_cast<std::size_t>(i);
        form_.Players[at].view = [this, i](std::int32_t value) {
            SendMessageW(control(IDC_FILTER_PLAYER1 + i), BM_SETCHECK, static_cast<WPARAM>(value),
                         0);
        };
        form_.Tilesets[at].view = [this, i](std::int32_t value) {
            SendMessageW(control(IDC_FILTER_TILESET1 + i), BM_SETCHECK, static_cast<WPARAM>(value),
                         0);
        };
    }
    form_.Favourites.view = [this](std::int32_t value) {
        SendMessageW(control(IDC_FILTER_FAVOURITES), BM_SETCHECK, static_cast<WPARAM>(value), 0);
    };
    form_.Count.view = [this](const std::wstring& text) {
        SetWindowTextW(control(IDC_FILTER_COUNT), text.c_str());
    };
    form_.LastPick.view = [this](const std::wstring& text) {
        SetWindowTextW(control(IDC_FILTER_LAST_PICK), text.c_str());
    };
}

void FilterWindow::layout(UINT dpi) {
    // Wine may draw the message font's face wider than Windows; the boxes' captions must fit.
    const int box = GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + MulDiv(6, dpi, 96);
    std::vector<FitText> captions;
    for (const FilterControl& c : filterControls()) {
        if (!isPlayerBox(c.id) && !isTilesetBox(c.id) && c.id != IDC_FILTER_FAVOURITES)
            continue;
        const RECT r = twipsToPixelRect(c.twips, dpi);
        captions.push_back({*captionOf(form_, c.id), static_cast<int>(r.right - r.left) - box});
    }
    font_ = fittedMessageFont(dpi, captions);
    applyFontToChildren(window_, font_.get());
    for (const FilterControl& c : filterControls())
        placeControl(control(c.id), c.twips, dpi);
    placeControl(control(IDC_FILTER_PLAYERS_FRAME), kPlayersFrameTwips, dpi);
    placeControl(control(IDC_FILTER_TILESETS_FRAME), kTilesetsFrameTwips, dpi);
    sizeClientArea(window_, kFilterClientWidthTwips, kFilterClientHeightTwips, dpi);
}

void FilterWindow::centreOverOwner() {
    RECT outer{};
    GetWindowRect(window_, &outer);
    const LONG width = outer.right - outer.left;
    const LONG height = outer.bottom - outer.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner_ ? owner_ : window_, MONITOR_DEFAULTTONEAREST),
                    &monitor);
    const RECT& work = monitor.rcWork;
    // A hidden or minimised owner has no place worth centring on; the screen's middle is.
    RECT over = work;
    if (owner_ && IsWindowVisible(owner_) && !IsIconic(owner_))
        GetWindowRect(owner_, &over);
    LONG left = over.left + (over.right - over.left - width) / 2;
    LONG top = over.top + (over.bottom - over.top - height) / 2;
    // Wholly on the owner's screen, its caption first when the screen is too small.
    left = std::max(work.left, std::min(left, work.right - width));
    top = std::max(work.top, std::min(top, work.bottom - height));
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK FilterWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowOwner(window, message, lParam, &FilterWindow::window_);
    if (!self || self->window_ != window)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT FilterWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == IDOK) {
                form_.OK_Click();
            } else if (id == IDCANCEL) {
                form_.Cancel_Click();
            } else if (isPlayerBox(id) && code == BN_CLICKED) {
                form_.Players[static_cast<std::size_t>(id - IDC_FILTER_PLAYER1)].UserValue(
                    boxValue(control(id)));
            } else if (id == IDC_FILTER_FAVOURITES && code == BN_CLICKED) {
                form_.Favourites.UserValue(boxValue(control(id)));
            } else if (isTilesetBox(id) && code == BN_CLICKED) {
                form_.Tilesets[static_cast<std::size_t>(id - IDC_FILTER_TILESET1)].UserValue(
                    boxValue(control(id)));
            }
            return 0;
        }
        case WM_CLOSE:
            form_.Cancel_Click();
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return onFaceColour(wParam);
        case WM_DPICHANGED:
            moveToSuggestedRect(window_, lParam);
            layout(HIWORD(wParam));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void FilterWindow::run() {
    create();
    if (!window_)
        return;
    bind();
    // Each opening is a fresh load of the filter in use and of the two lines.
    form_.Form_Load();
    if (watch_)
        watch_([this] { form_.Refresh(); });
    if (owner_)
        EnableWindow(owner_, FALSE);
    ShowWindow(window_, SW_SHOW);
    SetFocus(control(IDC_FILTER_PLAYER1));
    runModalLoop(open_);
    Unload();
}

}  // namespace

TwipsRect playerBoxTwips(int index) {
    return {kPlayersFrameTwips.left + kBoxInsetTwips + index * kPlayerStepTwips,
            kPlayersFrameTwips.top + kFrameCaptionTwips, kPlayerWidthTwips, kBoxHeightTwips};
}

TwipsRect tilesetBoxTwips(int index) {
    return {kTilesetsFrameTwips.left + kBoxInsetTwips + (index / 4) * kTilesetColumnTwips,
            kTilesetsFrameTwips.top + kFrameCaptionTwips + (index % 4) * kTilesetRowTwips,
            kTilesetWidthTwips, kBoxHeightTwips};
}

void showFilter(HWND owner, FilterSource& source, const FilterWatch& watch) {
    FilterWindow window(owner, source, watch);
    window.run();
}

}  // namespace qrvl::win32
