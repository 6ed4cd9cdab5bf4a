// The host name.
#include "mapfile/machine_name.h"

#include <unistd.h>

#include "common/text_codec.h"

namespace qrvl {

std::wstring machineName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return utf8Codec().decode(name);
}

}  // namespace qrvl
