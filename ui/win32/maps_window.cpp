// frmMaps's real window: the search box, the list of every map, the selected map's preview, the
// actions and the status bar.
#include "ui/win32/maps_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <string>

#include "ui/res/resource.h"
#include "ui/win32/dpi_layout.h"
#include "ui/win32/hwnd_form_window.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/preview_pane.h"
#include "ui/win32/window_basics.h"
#include "ui/win32/window_owner.h"

namespace qrvl::win32 {

namespace {

constexpr DWORD kMapsStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kMapsExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

// The layout, in twips, measured from the client area's edges.
constexpr int kMargin = 120;
constexpr int kRowHeight = 315;
constexpr int kButtonHeight = 375;
constexpr int kOnlyFitWidth = 2900;
constexpr int kGap = 120;
constexpr int kDefaultWidth = 14400;
// The preview pane keeps its width; the list takes the rest.
constexpr int kPreviewWidth = 3600;
constexpr int kDefaultHeight = 8400;

struct Button {
    int id;
    const wchar_t* text;
    int width;  // twips
};
// Left to right along the bottom; Resume stands apart at the right edge.
constexpr std::array<Button, 4> kActionButtons = {{
    {IDC_MAPS_PLAY, maps_text::kPlayNext, 1215},
    {IDC_MAPS_FAVOURITE, maps_text::kFavourite, 1215},
    {IDC_MAPS_NEVER, maps_text::kNever, 1215},
    {IDC_MAPS_SHOW, maps_text::kShowInFolder, 1560},
}};
constexpr int kResumeWidth = 2100;

// Widths of Mark, Title, Players, Size, Tileset and File, in twips.
constexpr std::array<int, 6> kColumnTwips = {900, 2700, 900, 1200, 1500, 2700};

int pixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

}  // namespace

class MapsWindow::Impl : public MapsHost {
  public:
    Impl(MapsSource& source, std::function<void()> closed)
        : form_(source, *this), source_(source), closed_(std::move(closed)) {}

    ~Impl() override {
        if (window_) {
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
    }

    void create();
    void refresh() { form_.Refresh(); }
    void RowsChanged(std::optional<std::size_t> selected) override;

    HWND window_ = nullptr;

  private:
    static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onNotify(const NMHDR& header, LPARAM lParam);
    void onCommand(int id, int code);
    bool translateKey(const MSG& message);
    void createControls();
    void layout();
    void applyDpi(UINT dpi);
    void showSortArrow();
    void showButtons();
    void popUpMenu(LPARAM at);
    HWND control(int id) const { return GetDlgItem(window_, id); }
    std::optional<std::size_t> listSelection() const;
    void close();
    void showPreview();

    frmMaps form_;
    MapsSource& source_;
    std::function<void()> closed_;
    Font font_;
    UINT dpi_ = 96;
    std::wstring cellText_;  // the text the list was last given, alive until it asks again
    bool filling_ = false;   // the list's selection is being set from the form
    PreviewPane preview_;
};

void MapsWindow::Impl::create() {
    registerWindowClass(kMapsWindowClass, &Impl::windowProc, IDI_QRVL);
    dpi_ = windowDpi(nullptr);
    window_ =
        CreateWindowExW(kMapsExStyle, kMapsWindowClass, maps_text::kCaption, kMapsStyle,
                        CW_USEDEFAULT, CW_USEDEFAULT, pixels(kDefaultWidth, dpi_),
                        pixels(kDefaultHeight, dpi_), nullptr, nullptr, moduleInstance(), this);
    if (!window_)
        return;
    dpi_ = windowDpi(window_);
    createControls();
    form_.Status.view = [this](const std::wstring& text) {
        SendMessageW(control(IDC_MAPS_STATUS), SB_SETTEXTW, SBT_NOBORDERS,
                     reinterpret_cast<LPARAM>(text.c_str()));
    };
    applyDpi(dpi_);
    HwndFormWindow placement(window_);
    source_.LoadPlacement(placement);
    form_.Form_Load();
    ShowWindow(window_, windowState(window_) == kWindowMaximised ? SW_SHOWMAXIMIZED : SW_SHOW);
    SetFocus(control(IDC_MAPS_SEARCH));
}

void MapsWindow::Impl::createControls() {
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    createControl(window_, {.className = WC_EDITW,
                            .id = IDC_MAPS_SEARCH,
                            .twips = {},
                            .style = child | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL,
                            .exStyle = WS_EX_CLIENTEDGE});
    SendMessageW(control(IDC_MAPS_SEARCH), EM_SETCUEBANNER, TRUE,
                 reinterpret_cast<LPARAM>(maps_text::kSearchCue));
    createControl(window_, {.className = WC_BUTTONW,
                            .text = form_.OnlyFit.Caption.c_str(),
                            .id = IDC_MAPS_ONLY_FIT,
                            .twips = {},
                            .style = child | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX});
    HWND list = createControl(window_, {.className = WC_LISTVIEWW,
                                        .id = IDC_MAPS_LIST,
                                        .twips = {},
                                        .style = child | WS_TABSTOP | WS_GROUP | LVS_REPORT |
                                                 LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                                        .exStyle = WS_EX_CLIENTEDGE});
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (std::size_t i = 0; i < kMapsColumnNames.size(); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt =
            i == static_cast<std::size_t>(MapsColumn::Players) ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.pszText = const_cast<wchar_t*>(kMapsColumnNames[i]);
        column.cx = pixels(kColumnTwips[i], dpi_);
        ListView_InsertColumn(list, static_cast<int>(i), &column);
    }
    for (const Button& button : kActionButtons) {
        createControl(window_, {.className = WC_BUTTONW,
                                .text = button.text,
                                .id = button.id,
                                .twips = {},
                                .style = child | WS_TABSTOP | BS_PUSHBUTTON});
    }
    createControl(window_, {.className = WC_BUTTONW,
                            .text = maps_text::kResume,
                            .id = IDC_MAPS_RESUME,
                            .twips = {},
                            .style = child | WS_TABSTOP | BS_PUSHBUTTON});
    preview_.create(window_, IDC_MAPS_PREVIEW);
    createControl(window_, {.className = STATUSCLASSNAMEW,
                            .id = IDC_MAPS_STATUS,
                            .twips = {},
                            .style = child | SBARS_SIZEGRIP});
}

void MapsWindow::Impl::applyDpi(UINT dpi) {
    dpi_ = dpi;
    font_ = messageFont(dpi);
    applyFontToChildren(window_, font_.get());
    HWND list = control(IDC_MAPS_LIST);
    for (std::size_t i = 0; i < kColumnTwips.size(); ++i)
        ListView_SetColumnWidth(list, static_cast<int>(i), pixels(kColumnTwips[i], dpi));
    layout();
}

void MapsWindow::Impl::layout() {
    RECT client{};
    GetClientRect(window_, &client);
    HWND status = control(IDC_MAPS_STATUS);
    SendMessageW(status, WM_SIZE, 0, 0);
    RECT bar{};
    GetWindowRect(status, &bar);
    const int bottom = client.bottom - (bar.bottom - bar.top);
    const int margin = pixels(kMargin, dpi_);
    const int gap = pixels(kGap, dpi_);
    const int row = pixels(kRowHeight, dpi_);
    const int buttonHeight = pixels(kButtonHeight, dpi_);
    const int onlyFit = pixels(kOnlyFitWidth, dpi_);
    const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);

    const int preview = pixels(kPreviewWidth, dpi_);

    HDWP moves = BeginDeferWindowPos(9 + static_cast<int>(kActionButtons.size()));
    const auto place = [&moves, this](int id, int x, int y, int w, int h) {
        moves = DeferWindowPos(moves, control(id), nullptr, x, y, std::max(0, w), std::max(0, h),
                               SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(IDC_MAPS_SEARCH, margin, margin, width - onlyFit - gap, row);
    place(IDC_MAPS_ONLY_FIT, client.right - margin - onlyFit, margin, onlyFit, row);
    const int buttonsTop = bottom - margin - buttonHeight;
    const int listTop = margin + row + gap;
    place(IDC_MAPS_LIST, margin, listTop, width - preview - gap, buttonsTop - gap - listTop);
    place(IDC_MAPS_PREVIEW, client.right - margin - preview, listTop, preview,
          buttonsTop - gap - listTop);
    int x = margin;
    for (const Button& button : kActionButtons) {
        place(button.id, x, buttonsTop, pixels(button.width, dpi_), buttonHeight);
        x += pixels(button.width, dpi_) + gap / 2;
    }
    const int resume = pixels(kResumeWidth, dpi_);
    place(IDC_MAPS_RESUME, client.right - margin - resume, buttonsTop, resume, buttonHeight);
    EndDeferWindowPos(moves);
}

void MapsWindow::Impl::RowsChanged(std::optional<std::size_t> selected) {
    if (!window_)
        return;
    HWND list = control(IDC_MAPS_LIST);
    filling_ = true;
    ListView_SetItemCountEx(list, static_cast<int>(form_.RowCount()), LVSICF_NOSCROLL);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (selected) {
        const int row = static_cast<int>(*selected);
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, row, FALSE);
    }
    filling_ = false;
    InvalidateRect(list, nullptr, FALSE);
    showSortArrow();
    showButtons();
    showPreview();
}

// The caption comes from what the list knows; the picture is drawn off this thread.
void MapsWindow::Impl::showPreview() {
    const std::optional<std::size_t> row = form_.SelectedRow();
    if (!row) {
        preview_.show({}, {});
        return;
    }
    const FittingMaps::Entry& entry = source_.Maps().entries().at(form_.EntryOf(*row));
    const bool unreadable = entry.reading && !entry.reading->info;
    preview_.show(unreadable ? std::wstring() : entry.fullPath, previewCaption(entry));
}

void MapsWindow::Impl::showSortArrow() {
    HWND header = ListView_GetHeader(control(IDC_MAPS_LIST));
    for (int i = 0; i < static_cast<int>(kMapsColumnNames.size()); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, i, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == static_cast<int>(form_.SortColumn()))
            item.fmt |= form_.SortDescending() ? HDF_SORTDOWN : HDF_SORTUP;
        Header_SetItem(header, i, &item);
    }
}

void MapsWindow::Impl::showButtons() {
    const bool selected = form_.SelectedRow().has_value();
    for (const Button& button : kActionButtons)
        EnableWindow(control(button.id), selected);
    EnableWindow(control(IDC_MAPS_RESUME), form_.Holding());
}

std::optional<std::size_t> MapsWindow::Impl::listSelection() const {
    const int row = ListView_GetNextItem(control(IDC_MAPS_LIST), -1, LVNI_SELECTED);
    return row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row));
}

LRESULT CALLBACK MapsWindow::Impl::windowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = windowOwner(window, message, lParam, &Impl::window_);
    if (!self || self->window_ != window)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT MapsWindow::Impl::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY:
            return onNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam);
        case kTranslateKeyMessage:
            return translateKey(*reinterpret_cast<const MSG*>(lParam)) ? 1 : 0;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == control(IDC_MAPS_LIST)) {
                popUpMenu(lParam);
                return 0;
            }
            break;
        case WM_SIZE:
            layout();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {pixels(6000 + kPreviewWidth, dpi_), pixels(4000, dpi_)};
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return onFaceColour(wParam);
        case WM_DPICHANGED:
            moveToSuggestedRect(window_, lParam);
            applyDpi(HIWORD(wParam));
            return 0;
        case WM_CLOSE:
            close();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MapsWindow::Impl::close() {
    HwndFormWindow placement(window_);
    source_.SavePlacement(placement);
    HWND going = window_;
    window_ = nullptr;
    SetWindowLongPtrW(going, GWLP_USERDATA, 0);
    DestroyWindow(going);
    if (closed_)
        closed_();
}

bool MapsWindow::Impl::translateKey(const MSG& message) {
    if (message.message != WM_KEYDOWN)
        return false;
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool inList = message.hwnd == this->control(IDC_MAPS_LIST);
    if (control && message.wParam == 'F') {
        HWND search = this->control(IDC_MAPS_SEARCH);
        SetFocus(search);
        SendMessageW(search, EM_SETSEL, 0, -1);
        return true;
    }
    if (control && message.wParam == 'D') {
        form_.Favourite_Click();
        return true;
    }
    // Delete in the search box deletes text; in the list it marks the map.
    if (!control && inList && message.wParam == VK_DELETE) {
        form_.Never_Click();
        return true;
    }
    // Enter anywhere but on a button plays the selected map next.
    if (!control && message.wParam == VK_RETURN) {
        wchar_t className[16]{};
        GetClassNameW(message.hwnd, className, 16);
        if (lstrcmpiW(className, WC_BUTTONW) != 0) {
            form_.PlayNext_Click();
            return true;
        }
    }
    return false;
}

void MapsWindow::Impl::onCommand(int id, int code) {
    switch (id) {
        case IDC_MAPS_SEARCH:
            if (code == EN_CHANGE)
                form_.Search.UserText(windowText(control(IDC_MAPS_SEARCH)));
            break;
        case IDC_MAPS_ONLY_FIT:
            if (code == BN_CLICKED) {
                form_.OnlyFit.UserValue(static_cast<std::int32_t>(
                    SendMessageW(control(IDC_MAPS_ONLY_FIT), BM_GETCHECK, 0, 0)));
            }
            break;
        case IDC_MAPS_PLAY:
            form_.PlayNext_Click();
            break;
        case IDC_MAPS_FAVOURITE:
            form_.Favourite_Click();
            break;
        case IDC_MAPS_NEVER:
            form_.Never_Click();
            break;
        case IDC_MAPS_SHOW:
            form_.ShowInFolder_Click();
            break;
        case IDC_MAPS_RESUME:
            form_.Resume_Click();
            break;
        case IDCANCEL:
            close();
            break;
        default:
            break;
    }
}

LRESULT MapsWindow::Impl::onNotify(const NMHDR& header, LPARAM lParam) {
    if (header.idFrom != IDC_MAPS_LIST)
        return 0;
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            auto& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
            if ((item.mask & LVIF_TEXT) != 0 && item.iItem >= 0) {
                cellText_ = form_.CellText(static_cast<std::size_t>(item.iItem),
                                           static_cast<MapsColumn>(item.iSubItem));
                lstrcpynW(item.pszText, cellText_.c_str(), item.cchTextMax);
            }
            return 0;
        }
        case LVN_ITEMCHANGED: {
            const auto& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
            if (!filling_ && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0) {
                form_.Select(listSelection());
                showButtons();
                showPreview();
            }
            return 0;
        }
        case LVN_COLUMNCLICK:
            form_.Header_Click(
                static_cast<MapsColumn>(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem));
            return 0;
        case NM_DBLCLK:
            if (reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem >= 0)
                form_.PlayNext_Click();
            return 0;
        case NM_CUSTOMDRAW: {
            auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
            if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
                return CDRF_NOTIFYITEMDRAW;
            if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT &&
                form_.RowGreyed(static_cast<std::size_t>(draw.nmcd.dwItemSpec)))
                draw.clrText = GetSysColor(COLOR_GRAYTEXT);
            return CDRF_DODEFAULT;
        }
        default:
            return 0;
    }
}

void MapsWindow::Impl::popUpMenu(LPARAM at) {
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    const std::optional<std::size_t> row = form_.SelectedRow();
    if (point.x == -1 && point.y == -1) {
        // Shift+F10 or the Menu key: at the selected row, or the list's corner.
        RECT place{};
        HWND list = control(IDC_MAPS_LIST);
        if (row)
            ListView_GetItemRect(list, static_cast<int>(*row), &place, LVIR_LABEL);
        point = {place.left, place.bottom};
        MapWindowPoints(list, HWND_DESKTOP, &point, 1);
    }
    HMENU menu = CreatePopupMenu();
    const UINT onRow = row ? MF_STRING : MF_STRING | MF_GRAYED;
    AppendMenuW(menu, onRow | MF_DEFAULT, IDC_MAPS_PLAY, maps_text::kPlayNext);
    AppendMenuW(menu, onRow, IDC_MAPS_FAVOURITE, maps_text::kFavourite);
    AppendMenuW(menu, onRow, IDC_MAPS_NEVER, maps_text::kNever);
    AppendMenuW(menu, onRow, IDC_MAPS_SHOW, maps_text::kShowInFolder);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, form_.Holding() ? MF_STRING : MF_STRING | MF_GRAYED, IDC_MAPS_RESUME,
                maps_text::kResume);
    const UINT chosen =
        static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                         point.x, point.y, 0, window_, nullptr));
    DestroyMenu(menu);
    if (chosen != 0)
        onCommand(static_cast<int>(chosen), BN_CLICKED);
}

MapsWindow::MapsWindow(MapsSource& source, std::function<void()> closed)
    : impl_(std::make_unique<Impl>(source, std::move(closed))) {
    impl_->create();
}

MapsWindow::~MapsWindow() = default;

HWND MapsWindow::handle() const noexcept {
    return impl_->window_;
}

void MapsWindow::activate() {
    if (!impl_->window_)
        return;
    if (IsIconic(impl_->window_))
        ShowWindow(impl_->window_, SW_RESTORE);
    SetForegroundWindow(impl_->window_);
}

void MapsWindow::refresh() {
    if (impl_->window_)
        impl_->refresh();
}

}  // namespace qrvl::win32
