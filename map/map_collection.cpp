// Position checks of MapCollection; the 1-based offset stays in here.
#include "map/map_collection.h"

#include "common/error.h"

namespace qrvl {

const std::wstring& MapCollection::Item(std::int32_t position) const {
    if (position < 1 || position > Count()) {
        throw Error(ErrorCode::IndexOutOfRange);
    }
    return items_[static_cast<std::size_t>(position - 1)];
}

}  // namespace qrvl
