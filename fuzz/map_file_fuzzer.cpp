// Whole map files: any bytes through the archive and the scenario must end in information or in a
// reason, within bounded time and memory; a scenario read in pieces reads as one read whole; and
// the layout a picture reads likewise ends in a layout or a reason.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "mapfile/map_layout.h"
#include "mapfile/map_reader.h"
#include "mapfile/mpq_archive.h"

namespace {

// The first candidate's scenario read whole, and again front to back in pieces as the section
// walk reads it: each sector taken up where the read before left it must give the same bytes, or
// fail as the whole read does. Only for scenarios of a size a test can hold.
void compareReadInPieces(std::span<const std::uint8_t> file) {
    qrvl::ScenarioCandidates candidates(file);
    const std::unique_ptr<qrvl::ByteSource> whole = candidates.next();
    if (!whole || whole->size() > (1u << 20)) {
        return;
    }
    std::vector<std::uint8_t> bytes(whole->size());
    const bool read = whole->read(0, bytes);

    qrvl::ScenarioCandidates again(file);
    const std::unique_ptr<qrvl::ByteSource> pieces = again.next();
    if (!pieces) {
        std::abort();
    }
    std::vector<std::uint8_t> pieced(pieces->size());
    bool readInPieces = true;
    std::uint32_t piece = static_cast<std::uint32_t>(file.size() % 613 + 1);
    for (std::uint32_t at = 0; readInPieces && at < pieced.size(); at += piece) {
        piece = piece * 7 % 613 + 1;
        const std::uint32_t length = std::min<std::uint32_t>(piece, pieces->size() - at);
        readInPieces = pieces->read(at, {pieced.data() + at, length});
    }
    if (read != readInPieces || (read && bytes != pieced)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qrvl::MapReading reading = qrvl::readMapBytes({data, size}, L"fuzzed.scx");
    if (reading.info.has_value() == !reading.error.empty()) {
        std::abort();
    }
    if (reading.info) {
        const qrvl::MapInfo& info = *reading.info;
        // A map that names no title is named after its file.
        if (info.title.empty() || info.players < 0 || info.players > 8 || info.width < 0 ||
            info.width > 0xFFFF || info.height < 0 || info.height > 0xFFFF) {
            std::abort();
        }
    }
    compareReadInPieces({data, size});
    const qrvl::MapLayoutReading layout = qrvl::readMapLayoutBytes({data, size});
    if (layout.layout.has_value() == !layout.error.empty()) {
        std::abort();
    }
    if (layout.layout && layout.layout->starts.size() + layout.layout->minerals.size() +
                                 layout.layout->geysers.size() >
                             qrvl::kMaxLayoutUnits) {
        std::abort();
    }
    return 0;
}
