// The archive's cipher table, built once at compile time, and the hash and decryption over it.
#include "mapfile/mpq_crypto.h"

#include <algorithm>
#include <array>
#include <cstring>

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

// Written out rather than looped, so that the compiler makes it one store.
inline void storeU32(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}
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
        storeU32(bytes.data() + at, plain);
    }
    cipher = {key, seed};
}

std::size_t MpqSectorFeed::read(std::span<std::uint8_t> out) {
    std::size_t n = 0;
    const auto fromWord = [&] {
        while (wordAt_ < word_.size() && n < out.size()) {
            out[n++] = word_[wordAt_++];
        }
    };
    const auto asStored = [&](std::size_t count) {
        if (count > 0) {
            std::memcpy(out.data() + n, stored_.data() + at_, count);
        }
        at_ += count;
        n += count;
    };
    fromWord();
    if (!encrypted_) {
        asStored(std::min(out.size() - n, stored_.size() - at_));
        return n;
    }
    const std::size_t words = std::min(out.size() - n, stored_.size() - at_) / 4 * 4;
    asStored(words);
    if (words > 0) {
        mpqDecryptNext(out.subspan(n - words, words), cipher_);
    }
    // The room left is less than a word, or the bytes left are.
    if (n < out.size() && at_ < stored_.size()) {
        if (stored_.size() - at_ >= word_.size()) {
            std::memcpy(word_.data(), stored_.data() + at_, word_.size());
            mpqDecryptNext(word_, cipher_);
            at_ += word_.size();
            wordAt_ = 0;
            fromWord();
        } else {
            // The last 1 to 3 bytes were never encrypted.
            asStored(std::min(out.size() - n, stored_.size() - at_));
        }
    }
    return n;
}

}  // namespace qrvl
