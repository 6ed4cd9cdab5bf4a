// The preview pane's caption, the picture's fit, and the thread that draws the pictures.
#include "ui/map_preview_pane.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "mapfile/map_preview.h"
#include "ui/maps_form.h"

namespace qrvl {

PreviewCaption previewCaption(const FittingMaps::Entry& entry) {
    PreviewCaption caption;
    if (entry.reading && entry.reading->info) {
        const MapInfo& info = *entry.reading->info;
        caption.title = info.title;
        caption.facts = std::to_wstring(info.players) +
                        (info.players == 1 ? L" player \u00B7 " : L" players \u00B7 ") +
                        std::to_wstring(info.width) + L" \u00D7 " + std::to_wstring(info.height) +
                        L" \u00B7 " + std::wstring(tilesetName(info.tileset));
        caption.description = info.description;
        return caption;
    }
    caption.title = entry.title();
    caption.facts =
        entry.reading ? reasonText(entry.reading->error) : std::wstring(maps_text::kReading);
    return caption;
}

PixelSize fitInside(int width, int height, PixelSize area) {
    if (width <= 0 || height <= 0 || area.width <= 0 || area.height <= 0) {
        return {};
    }
    const std::int64_t w = width;
    const std::int64_t h = height;
    // Wider than the area, in proportion: the width fills it; otherwise the height does.
    if (w * area.height >= h * area.width) {
        const std::int64_t other = (2 * area.width * h + w) / (2 * w);
        return {area.width, static_cast<int>(std::max<std::int64_t>(1, other))};
    }
    const std::int64_t other = (2 * area.height * w + h) / (2 * h);
    return {static_cast<int>(std::max<std::int64_t>(1, other)), area.height};
}

std::optional<PreviewRequest> PreviewRequests::ask(const std::wstring& path, PixelSize area) {
    if (path == path_ && area == area_) {
        return std::nullopt;
    }
    ++number_;
    path_ = path;
    area_ = area;
    if (path.empty() || area.width <= 0 || area.height <= 0) {
        return std::nullopt;
    }
    return PreviewRequest{number_, path, area};
}

PreviewWorker::PreviewWorker(std::function<void()> ready, LayoutReader reader)
    : ready_(std::move(ready)),
      reader_(reader ? std::move(reader) : LayoutReader(readMapLayoutFile)),
      thread_([this] { run(); }) {}

PreviewWorker::~PreviewWorker() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void PreviewWorker::request(PreviewRequest request) {
    {
        const std::lock_guard lock(mutex_);
        waiting_ = std::move(request);
    }
    wake_.notify_one();
}

std::optional<PreviewPicture> PreviewWorker::take() {
    const std::lock_guard lock(mutex_);
    return std::exchange(drawn_, std::nullopt);
}

void PreviewWorker::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stop_ || waiting_.has_value(); });
        if (stop_) {
            return;
        }
        const PreviewRequest request = std::exchange(waiting_, std::nullopt).value();
        lock.unlock();
        if (request.path != layoutPath_) {
            layout_ = reader_(request.path);
            layoutPath_ = request.path;
        }
        lock.lock();
        if (waiting_ || stop_) {
            continue;  // a newer request, or the end: this picture would only be dropped
        }
        lock.unlock();
        PreviewPicture picture{request.number, {}, layout_.error};
        if (layout_.layout) {
            // A side of 0 tiles draws as 1, as the renderer counts it.
            const PixelSize fit = fitInside(std::max(layout_.layout->width, 1),
                                            std::max(layout_.layout->height, 1), request.area);
            picture.image = renderMapPreview(*layout_.layout, std::max(fit.width, fit.height));
        }
        lock.lock();
        const bool wasEmpty = !drawn_.has_value();
        drawn_ = std::move(picture);
        if (wasEmpty && ready_) {
            lock.unlock();
            ready_();
            lock.lock();
        }
    }
}

}  // namespace qrvl
