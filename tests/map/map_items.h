// The paths a map collection holds, in order, so that tests compare whole collections.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "map/map_collection.h"

namespace qrvl::test {

inline std::vector<std::wstring> items(const MapCollection& col) {
    std::vector<std::wstring> out;
    for (std::int32_t i = 1; i <= col.Count(); ++i) {
        out.push_back(col.Item(i));
    }
    return out;
}

}  // namespace qrvl::test
