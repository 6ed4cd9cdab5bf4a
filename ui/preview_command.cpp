// The preview command: its arguments, the map's layout drawn, and the PNG written whole or not at
// all.
#include "ui/preview_command.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "mapfile/file_bytes.h"
#include "mapfile/map_layout.h"
#include "mapfile/map_preview.h"
#include "ui/png_encoder.h"

namespace qrvl {

namespace {

// Decimal digits only (no sign, no spaces) within the allowed sizes; nullopt otherwise.
std::optional<int> previewSize(const std::wstring& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    int value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        // Past the largest size there is no need to count on: the number is out of range.
        value = std::min(value * 10 + (c - L'0'), kMaxPreviewSize + 1);
    }
    if (value < kMinPreviewSize || value > kMaxPreviewSize) {
        return std::nullopt;
    }
    return value;
}

PickResult failed(std::wstring reason) {
    return {kPickFailedStatus, L"qrvl: " + std::move(reason)};
}

}  // namespace

PickResult previewMap(const std::vector<std::wstring>& arguments) {
    if (arguments.size() != 2 && arguments.size() != 3) {
        return {kUsageStatus, kUsageLine};
    }
    const std::wstring& map = arguments[0];
    const std::wstring& out = arguments[1];
    const std::optional<int> size =
        arguments.size() == 3 ? previewSize(arguments[2]) : kDefaultPreviewSize;
    if (!size) {
        return {kUsageStatus, kUsageLine};
    }
    const MapLayoutReading reading = readMapLayoutFile(map);
    if (!reading.layout) {
        return failed(L"cannot read the map \"" + map + L"\": " + reasonText(reading.error));
    }
    const auto png = encodePng(renderMapPreview(*reading.layout, *size));
    if (!png) {
        return failed(L"cannot make the picture of \"" + map + L"\" as a PNG");
    }
    if (!replaceFileBytes(out, *png)) {
        return failed(L"cannot write \"" + out + L"\"");
    }
    return {kPickWroteStatus, {}};
}

}  // namespace qrvl
