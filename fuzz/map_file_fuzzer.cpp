// Whole map files: any bytes through the archive and the scenario must end in information or in a
// reason, within bounded time and memory; the layout a picture reads likewise.
#include <cstdint>
#include <cstdlib>

#include "mapfile/map_layout.h"
#include "mapfile/map_reader.h"

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
