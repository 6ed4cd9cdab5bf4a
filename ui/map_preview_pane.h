// The Maps window's preview pane, apart from its window: the lines under the picture, the
// picture's size in the pane, which picture is the latest asked for, and the thread that draws
// pictures so that the window's thread never reads a map.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "common/rgb_image.h"
#include "mapfile/map_layout.h"
#include "ui/fitting_maps.h"

namespace qrvl {

// What the pane says under the picture.
struct PreviewCaption {
    std::wstring title;
    // "2 players · 128 × 112 · Space Platform"; "reading…" until the map is read; the reason
    // when it cannot be.
    std::wstring facts;
    std::wstring description;

    bool operator==(const PreviewCaption&) const = default;
};

// The caption of a map as the list knows it: a map not read yet goes by its file name.
PreviewCaption previewCaption(const FittingMaps::Entry& entry);

struct PixelSize {
    int width = 0;
    int height = 0;

    bool operator==(const PixelSize&) const = default;
};

// The largest size with the proportions of width × height that fits in area, each side at least
// a pixel, the shorter rounded to the nearest (an exact half up). 0 × 0 when either is empty.
PixelSize fitInside(int width, int height, PixelSize area);

// A picture to draw: the map's file and the area it must fit in.
struct PreviewRequest {
    std::uint64_t number = 0;
    std::wstring path;
    PixelSize area;
};

// A drawn picture, answering the request of its number. An empty image when the map's layout
// cannot be read (error says why).
struct PreviewPicture {
    std::uint64_t number = 0;
    RgbImage image;
    std::string error;
};

// Numbers the requests, so that a picture of a map no longer selected, or drawn for an area the
// pane no longer has, is known when it comes back late.
class PreviewRequests {
  public:
    // The map to show (empty for none) and the area its picture has. A new request when either
    // changed since the last call; nullopt when neither did, or when there is nothing to draw
    // (no map, or an empty area), which makes every picture still to come a stale one.
    std::optional<PreviewRequest> ask(const std::wstring& path, PixelSize area);
    // True when `number` answers the latest request.
    bool latest(std::uint64_t number) const noexcept { return number == number_; }

  private:
    std::uint64_t number_ = 0;
    std::wstring path_;
    PixelSize area_;
};

using LayoutReader = std::function<MapLayoutReading(const std::wstring& path)>;

// A thread that reads maps' layouts and draws them, one at a time. The latest request wins: one
// that waits when a newer comes is dropped unread, and a picture is dropped undrawn when a newer
// request came while its map was read. The layout last read is kept, so that a pane that only
// changed its size costs no reading.
class PreviewWorker {
  public:
    // `ready` runs on the worker's thread when a picture joins an empty outbox: it posts the
    // window a message whose handler calls take(). `reader` empty means readMapLayoutFile.
    explicit PreviewWorker(std::function<void()> ready, LayoutReader reader = {});
    // Stops after the picture in hand and waits for the thread.
    ~PreviewWorker();
    PreviewWorker(const PreviewWorker&) = delete;
    PreviewWorker& operator=(const PreviewWorker&) = delete;

    void request(PreviewRequest request);
    // The latest picture drawn, once.
    std::optional<PreviewPicture> take();

  private:
    void run();

    std::function<void()> ready_;
    LayoutReader reader_;
    // The worker's thread only.
    std::wstring layoutPath_;
    MapLayoutReading layout_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<PreviewRequest> waiting_;
    std::optional<PreviewPicture> drawn_;
    bool stop_ = false;
    std::thread thread_;  // last: it starts once everything else is ready
};

}  // namespace qrvl
