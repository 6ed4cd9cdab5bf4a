// Byte-level helpers shared by the value readers of RegistryRoutines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "registry/registry_api.h"

namespace qrvl::reg {

// Closes a key that a member opened, on every way out of the member (a raised error included).
class KeyCloser {
  public:
    KeyCloser(RegistryApi& api, Handle key) : api_(api), key_(key) {}
    ~KeyCloser() { api_.RegCloseKey(key_); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

  private:
    RegistryApi& api_;
    Handle key_;
};

// The length of `data` once at most `maxNuls` NUL bytes are dropped from its end. Values written
// by other programs do not always carry their terminators, so only real NULs are dropped.
std::size_t withoutTrailingNuls(const std::vector<std::uint8_t>& data, std::size_t maxNuls);

// The first four bytes, least significant first; bytes the data lacks count as 0.
std::int32_t littleEndianInt32(const std::vector<std::uint8_t>& data);

// Every byte as two upper-case hexadecimal digits, separated by single spaces.
std::wstring hexText(const std::vector<std::uint8_t>& data);

}  // namespace qrvl::reg
