// The preview pane's window: requests go to the drawing thread, pictures come back as a posted
// message, and painting only copies what is there.
#include "ui/win32/preview_pane.h"

#include <algorithm>

#include "ui/win32/window_basics.h"
#include "ui/win32/window_owner.h"

namespace qrvl::win32 {

namespace {

// Posted by the drawing thread: a picture waits to be taken.
constexpr UINT kPictureMessage = WM_APP + 30;
// How long a picture of the map selected before stays while the new one is drawn.
constexpr UINT_PTR kStaleTimer = 1;
constexpr UINT kStaleMilliseconds = 100;

}  // namespace

PreviewPane::~PreviewPane() {
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void PreviewPane::create(HWND parent, int id) {
    registerWindowClass(kPreviewPaneClass, &PreviewPane::windowProc);
    CreateWindowExW(0, kPreviewPaneClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), moduleInstance(), this);
    if (!window_)
        return;
    HWND target = window_;
    worker_ =
        std::make_unique<PreviewWorker>([target] { PostMessageW(target, kPictureMessage, 0, 0); });
}

void PreviewPane::show(const std::wstring& path, const PreviewCaption& caption) {
    if (!window_)
        return;
    if (caption != caption_) {
        caption_ = caption;
        SetWindowTextW(window_, caption_.title.c_str());
        InvalidateRect(window_, nullptr, FALSE);
    }
    if (path == path_)
        return;
    path_ = path;
    askForPicture();
    InvalidateRect(window_, nullptr, FALSE);
    // No selection for a moment is what the list reports between an arrow key's deselect and
    // select: the picture is only dropped once the new one is late, and no map shows none.
    if (picturePath_ != path_)
        SetTimer(window_, kStaleTimer, kStaleMilliseconds, nullptr);
}

PixelSize PreviewPane::pictureArea() const {
    RECT client{};
    GetClientRect(window_, &client);
    const int width = static_cast<int>(client.right);
    return {width, std::min(width, static_cast<int>(client.bottom) * 2 / 3)};
}

void PreviewPane::askForPicture() {
    if (!worker_)
        return;
    if (const std::optional<PreviewRequest> request = requests_.ask(path_, pictureArea()))
        worker_->request(*request);
}

void PreviewPane::takePicture() {
    std::optional<PreviewPicture> picture = worker_->take();
    if (!picture || !requests_.latest(picture->number))
        return;
    KillTimer(window_, kStaleTimer);
    const RgbImage& image = picture->image;
    bits_.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    for (std::size_t i = 0; i < bits_.size(); ++i) {
        const std::uint8_t* rgb = &image.rgb[i * 3];
        bits_[i] = static_cast<std::uint32_t>(rgb[0]) << 16 |
                   static_cast<std::uint32_t>(rgb[1]) << 8 | rgb[2];
    }
    pictureWidth_ = image.width;
    pictureHeight_ = image.height;
    picturePath_ = path_;
    InvalidateRect(window_, nullptr, FALSE);
}

void PreviewPane::dropPicture() {
    KillTimer(window_, kStaleTimer);
    bits_.clear();
    pictureWidth_ = pictureHeight_ = 0;
    picturePath_.clear();
    InvalidateRect(window_, nullptr, FALSE);
}

void PreviewPane::setFont(HFONT font) {
    font_ = font;
    LOGFONTW face{};
    if (font && GetObjectW(font, sizeof face, &face) == sizeof face) {
        face.lfWeight = FW_BOLD;
        bold_ = Font(CreateFontIndirectW(&face));
    }
    InvalidateRect(window_, nullptr, FALSE);
}

void PreviewPane::paint(HDC dc, const RECT& client) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (path_.empty() && caption_.title.empty())
        return;
    const PixelSize area = pictureArea();
    if (!path_.empty() && pictureWidth_ > 0 && pictureHeight_ > 0) {
        // Drawn at the pane's size already; scaled only while a picture for a new size is drawn.
        const PixelSize fit = fitInside(pictureWidth_, pictureHeight_, area);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = pictureWidth_;
        info.bmiHeader.biHeight = -pictureHeight_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, (area.width - fit.width) / 2, (area.height - fit.height) / 2, fit.width,
                      fit.height, 0, 0, pictureWidth_, pictureHeight_, bits_.data(), &info,
                      DIB_RGB_COLORS, SRCCOPY);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ before = SelectObject(dc, bold_.get() ? bold_.get() : font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int gap = std::max(2, static_cast<int>(metrics.tmHeight) / 2);
    RECT place{0, area.height + gap, client.right, client.bottom};
    // Each line drawn in the room left, the next below it.
    const auto line = [&](const std::wstring& text, UINT format) {
        RECT measured = place;
        DrawTextW(dc, text.c_str(), -1, &measured, format | DT_CALCRECT);
        DrawTextW(dc, text.c_str(), -1, &place, format);
        place.top = std::min(place.bottom, measured.bottom);
    };
    constexpr UINT wrapped = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
    line(caption_.title, wrapped);
    SelectObject(dc, font_);
    line(caption_.facts, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    place.top += gap;
    line(caption_.description, wrapped);
    SelectObject(dc, before);
}

LRESULT CALLBACK PreviewPane::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowOwner(window, message, lParam, &PreviewPane::window_);
    if (!self || self->window_ != window)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT PreviewPane::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kPictureMessage:
            takePicture();
            return 0;
        case WM_TIMER:
            if (wParam == kStaleTimer && picturePath_ != path_)
                dropPicture();
            KillTimer(window_, wParam);
            return 0;
        case WM_SIZE:
            askForPicture();
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        case WM_SETFONT:
            setFont(reinterpret_cast<HFONT>(wParam));
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT paintStruct;
            HDC dc = BeginPaint(window_, &paintStruct);
            RECT client{};
            GetClientRect(window_, &client);
            // Drawn off screen first, so that the picture never flickers under its caption.
            HDC memory = CreateCompatibleDC(dc);
            HBITMAP bitmap =
                CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
            HGDIOBJ before = SelectObject(memory, bitmap);
            paint(memory, client);
            BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
            SelectObject(memory, before);
            DeleteObject(bitmap);
            DeleteDC(memory);
            EndPaint(window_, &paintStruct);
            return 0;
        }
        case WM_DESTROY:
            // The thread ends with the window: nothing it draws later has anywhere to go.
            worker_.reset();
            KillTimer(window_, kStaleTimer);
            return 0;
        case WM_NCDESTROY: {
            HWND going = window_;
            SetWindowLongPtrW(going, GWLP_USERDATA, 0);
            window_ = nullptr;
            return DefWindowProcW(going, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace qrvl::win32
