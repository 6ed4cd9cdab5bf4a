// Lines of the marks file for the maps of the window's fake files.
#pragma once

#include <string>

#include "common/text_codec.h"
#include "mapfile/sha256.h"

namespace qrvl::test {

// A line of the marks file for the map that FakeMapFiles gives the content of `path`.
inline std::string markLine(const char* word, const std::wstring& path) {
    const std::string bytes = utf8Codec().encode(path);
    return std::string(word) + "\t" +
           sha256Hex(*sha256({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()})) +
           "\t1000\n";
}

}  // namespace qrvl::test
