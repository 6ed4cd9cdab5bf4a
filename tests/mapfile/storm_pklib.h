// libstorm's pklib implode and explode over byte vectors: the reference for our DCL decoder.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

// libstorm exports these but installs no header for them.
extern "C" {
unsigned int implode(unsigned int (*read_buf)(char* buf, unsigned int* size, void* param),
                     void (*write_buf)(char* buf, unsigned int* size, void* param), char* work_buf,
                     void* param, unsigned int* type, unsigned int* dsize);
unsigned int explode(unsigned int (*read_buf)(char* buf, unsigned int* size, void* param),
                     void (*write_buf)(char* buf, unsigned int* size, void* param), char* work_buf,
                     void* param);
}

namespace qrvl::test {

enum class PklibMode : unsigned { Binary = 0, Ascii = 1 };

// pklib's result for success. Seen otherwise: 1 for a bad dictionary size, 2 for a bad literal
// mode, 3 for a stream of 4 bytes or fewer, 4 for a stream that ends before its end marker.
constexpr unsigned kPklibOk = 0;

struct PklibStream {
    std::span<const std::uint8_t> in;
    std::size_t position = 0;
    std::vector<std::uint8_t> out;
};

inline unsigned int pklibRead(char* buf, unsigned int* size, void* param) {
    auto& stream = *static_cast<PklibStream*>(param);
    const std::size_t n = std::min<std::size_t>(*size, stream.in.size() - stream.position);
    if (n != 0) {
        std::memcpy(buf, stream.in.data() + stream.position, n);
    }
    stream.position += n;
    return static_cast<unsigned int>(n);
}

inline void pklibWrite(char* buf, unsigned int* size, void* param) {
    auto& out = static_cast<PklibStream*>(param)->out;
    out.insert(out.end(), buf, buf + *size);
}

// The real work structures are about 36 KB (implode) and 13 KB (explode).
inline char* pklibWorkBuffer() {
    alignas(64) static char buffer[1 << 16];
    std::memset(buffer, 0, sizeof buffer);
    return buffer;
}

struct PklibResult {
    unsigned code = 0;
    std::vector<std::uint8_t> bytes;
};

inline PklibResult stormImplode(std::span<const std::uint8_t> data, PklibMode mode,
                                unsigned dictionarySize) {
    PklibStream stream;
    stream.in = data;
    unsigned type = static_cast<unsigned>(mode);
    const unsigned code =
        implode(pklibRead, pklibWrite, pklibWorkBuffer(), &stream, &type, &dictionarySize);
    return {code, std::move(stream.out)};
}

inline PklibResult stormExplode(std::span<const std::uint8_t> compressed) {
    PklibStream stream;
    stream.in = compressed;
    const unsigned code = explode(pklibRead, pklibWrite, pklibWorkBuffer(), &stream);
    return {code, std::move(stream.out)};
}

}  // namespace qrvl::test
