// The Maps window's preview pane: the selected map's picture, scaled to the pane with its
// proportions kept, and under it the map's title, its facts and its description, wrapped.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/map_preview_pane.h"
#include "ui/win32/dpi_layout.h"

namespace qrvl::win32 {

inline constexpr wchar_t kPreviewPaneClass[] = L"QuorvelPickerPreview";

// A child window that never reads a map: a thread of its own reads the layout and draws the
// picture at the pane's size, and the pane shows it when it comes. Until then it keeps the
// picture it had for a tenth of a second, so that holding an arrow key down in the list shows
// no flicker, then clears it. Its window text is the title it shows.
class PreviewPane {
  public:
    PreviewPane() = default;
    // Stops the drawing thread with the window, if the window is still there.
    ~PreviewPane();
    PreviewPane(const PreviewPane&) = delete;
    PreviewPane& operator=(const PreviewPane&) = delete;

    // Creates the pane as child `id` of `parent`. It takes its text font through WM_SETFONT.
    void create(HWND parent, int id);
    HWND handle() const noexcept { return window_; }

    // The map to show, by its file (empty for no picture: nothing selected, or a map that cannot
    // be read), and what to say under it.
    void show(const std::wstring& path, const PreviewCaption& caption);

  private:
    static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    // The square at the top that the picture is fitted into.
    PixelSize pictureArea() const;
    void askForPicture();
    void takePicture();
    void dropPicture();
    void paint(HDC dc, const RECT& client);
    void setFont(HFONT font);

    HWND window_ = nullptr;
    PreviewRequests requests_;
    std::unique_ptr<PreviewWorker> worker_;
    std::wstring path_;
    PreviewCaption caption_;
    // The picture shown, as 32-bit top-down rows, and the map it is of.
    std::vector<std::uint32_t> bits_;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    std::wstring picturePath_;
    HFONT font_ = nullptr;
    Font bold_;
};

}  // namespace qrvl::win32
