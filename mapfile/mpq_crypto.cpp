// The archive's cipher table, built once at compile time, and the hash and decryption over it.
#include "mapfile/mpq_crypto.h"

#include <array>

namespace qrvl {

namespace {

constexpr std::array<std::uint32_t, 1280> buildCryptTable() {
    std::array<std::uint32_t, 1280> table{};
    std::uint32_t seed = 0x00100001;
    for (std::size_t i = 0; i < 256; ++i) {
        for (std::size_t group = 0; group < 5; ++group) {
            seed = (seed * 125 + 3) % 0x2AAAAB;
            const std::uint32_t high = seed & 0xFFFF;
            seed = (seed * 125 + 3) % 0x2AAAAB;
            const std::uint32_t low = seed & 0xFFFF;
            table[256 * group + i] = high << 16 | low;
        }
    }
    return table;
}

constexpr std::array<std::uint32_t, 1280> kCryptTable = buildCryptTable();
static_assert(kCryptTable[0] == 0x55C636E2 && kCryptTable[0x4FF] == 0x7303286C);

}  // namespace

std::uint32_t mpqCryptTable(std::size_t index) {
    return kCryptTable[index];
}

std::uint32_t mpqHash(std::string_view name, MpqHashType type) {
    std::uint32_t a = 0x7FED7FED;
    std::uint32_t b = 0xEEEEEEEE;
    const std::size_t base = 256 * static_cast<std::size_t>(type);
    for (const char ch : name) {
        std::uint8_t c = static_cast<std::uint8_t>(ch);
        if (c >= 'a' && c <= 'z') {
            c = static_cast<std::uint8_t>(c - 'a' + 'A');
        } else if (c == '/') {
            c = '\\';
        }
        a = kCryptTable[base + c] ^ (a + b);
        b = c + a + b + (b << 5) + 3;
    }
    return a;
}

void mpqDecrypt(std::span<std::uint8_t> bytes, std::uint32_t key) {
    MpqCipher cipher{key};
    mpqDecryptNext(bytes, cipher);
}

void mpqDecryptNext(std::span<std::uint8_t> bytes, MpqCipher& cipher) {
    std::uint32_t key = cipher.key;
    std::uint32_t seed = cipher.seed;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        seed += kCryptTable[0x400 + (key & 0xFF)];
        const std::uint32_t plain = loadU32(bytes.data() + at) ^ (key + seed);
        key = ((~key << 21) + 0x11111111) | (key >> 11);
        seed = plain + seed + (seed << 5) + 3;
        for (std::size_t i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<std::uint8_t>(plain >> (8 * i));
        }
    }
    cipher = {key, seed};
}

}  // namespace qrvl
