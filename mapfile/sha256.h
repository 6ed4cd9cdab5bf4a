// SHA-256 through the platform's own implementation: bcrypt on Windows, nettle elsewhere.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qrvl {

using Sha256 = std::array<std::uint8_t, 32>;

// The digest of `bytes`; nullopt only when the platform's hashing cannot be had (bcrypt missing).
// Safe to call from several threads at once.
std::optional<Sha256> sha256(std::span<const std::uint8_t> bytes);

// 64 lowercase hex digits.
std::string sha256Hex(const Sha256& digest);
// 64 hex digits in either case; nullopt for anything else.
std::optional<Sha256> parseSha256Hex(std::string_view text);

}  // namespace qrvl
