// "qrvl.exe /preview PATH OUT.png [SIZE]": a map's picture saved as a PNG file, for players and
// for scripts that show maps.
#pragma once

#include <string>
#include <vector>

#include "ui/pick_command.h"

namespace qrvl {

// The picture's longer side in pixels.
inline constexpr int kDefaultPreviewSize = 256;
inline constexpr int kMinPreviewSize = 16;
inline constexpr int kMaxPreviewSize = 2048;

// `arguments` are those after "/preview": the map's path, the PNG's path, and optionally the size,
// in decimal digits only. The map's picture (renderMapPreview) is written as a PNG at OUT. Needs
// no config.ini and reads nothing else.
// - kPickWroteStatus after OUT is written, with no reason.
// - kUsageStatus with kUsageLine for a count other than two or three, or a size that is not a
//   number from kMinPreviewSize to kMaxPreviewSize.
// - kPickFailedStatus with one line ("qrvl: ...") when the map cannot be read or OUT cannot be
//   written.
// OUT is written beside itself under another name, then renamed over: it is either as it was or
// the whole new picture, and a failure leaves nothing else behind.
PickResult previewMap(const std::vector<std::wstring>& arguments);

}  // namespace qrvl
