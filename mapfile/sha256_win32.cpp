// SHA-256 through bcrypt, Windows' own hashing, loaded the first time a map is hashed.
#include <windows.h>

#include <bcrypt.h>

#include <algorithm>

#include "common/system_function_win32.h"
#include "mapfile/sha256.h"

namespace qrvl {

namespace {

template <typename Function>
Function* bcrypt(const char* name) {
    return systemFunction<Function>(L"bcrypt.dll", name);
}

// The algorithm's provider, opened once and kept for the process: each hash below has an object
// of its own, so threads may hash at once.
BCRYPT_ALG_HANDLE provider() {
    static const BCRYPT_ALG_HANDLE handle = [] {
        static const auto open =
            bcrypt<decltype(::BCryptOpenAlgorithmProvider)>("BCryptOpenAlgorithmProvider");
        BCRYPT_ALG_HANDLE opened = nullptr;
        if (!open || !BCRYPT_SUCCESS(open(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
            return BCRYPT_ALG_HANDLE{};
        }
        return opened;
    }();
    return handle;
}

}  // namespace

std::optional<Sha256> sha256(std::span<const std::uint8_t> bytes) {
    static const auto create = bcrypt<decltype(::BCryptCreateHash)>("BCryptCreateHash");
    static const auto hashData = bcrypt<decltype(::BCryptHashData)>("BCryptHashData");
    static const auto finish = bcrypt<decltype(::BCryptFinishHash)>("BCryptFinishHash");
    static const auto destroy = bcrypt<decltype(::BCryptDestroyHash)>("BCryptDestroyHash");
    BCRYPT_ALG_HANDLE algorithm = provider();
    if (!algorithm || !create || !hashData || !finish || !destroy) {
        return std::nullopt;
    }
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!BCRYPT_SUCCESS(create(algorithm, &hash, nullptr, 0, nullptr, 0, 0))) {
        return std::nullopt;
    }
    Sha256 digest{};
    bool hashed = true;
    // BCryptHashData takes at most 4 GiB a call; maps are far smaller, but the span need not be.
    for (std::size_t at = 0; at < bytes.size() && hashed;) {
        const std::size_t part = std::min<std::size_t>(bytes.size() - at, 1u << 30);
        hashed = BCRYPT_SUCCESS(
            hashData(hash, const_cast<PUCHAR>(bytes.data() + at), static_cast<ULONG>(part), 0));
        at += part;
    }
    hashed =
        hashed && BCRYPT_SUCCESS(finish(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    destroy(hash);
    return hashed ? std::optional<Sha256>(digest) : std::nullopt;
}

}  // namespace qrvl
