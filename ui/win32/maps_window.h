// frmMaps's real window: the search box, the list of every map, the actions and the status bar.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "ui/maps_form.h"

namespace qrvl::win32 {

inline constexpr wchar_t kMapsWindowClass[] = L"QuorvelPickerMaps";

// A modeless, resizable top-level window with a taskbar button of its own, so that it stays
// while the main window lives in the notification area. Its place and size come from config.ini
// through the source when it opens and go back there when it closes.
class MapsWindow {
  public:
    // Creates and shows the window; `closed` runs once it has been closed (from inside its
    // window procedure: the owner deletes this object later, not then).
    MapsWindow(MapsSource& source, std::function<void()> closed);
    ~MapsWindow();
    MapsWindow(const MapsWindow&) = delete;
    MapsWindow& operator=(const MapsWindow&) = delete;

    HWND handle() const noexcept;
    // Brings the window to the front, restored.
    void activate();
    // The source's maps, marks or hold changed.
    void refresh();

  private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace qrvl::win32
