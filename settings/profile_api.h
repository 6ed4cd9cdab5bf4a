// The profile seam: kernel32's private-profile calls in their ANSI form.
#pragma once

#include <cstdint>
#include <memory>

#include "common/text_codec.h"

namespace qrvl {

// Both calls answer exactly as their Windows namesakes do. A null section, key, default or text
// is an absent argument, distinct from an empty text. Texts are 8-bit, in codec()'s code page.
class ProfileApi {
  public:
    virtual ~ProfileApi() = default;

    // The code page of every text that goes through these calls.
    virtual const TextCodec& codec() const = 0;

    // Characters placed in the buffer, without the terminating NUL. With a section and a key:
    // the value, or the default when missing, cut to size - 1. With a null key: the section's
    // key names, each NUL-terminated, the list closed by one more NUL; with a null section the
    // section names likewise. A list that does not fit is cut, closed by two NULs, and the
    // result is size - 2.
    virtual std::uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                                   const char* defaultText, char* buffer,
                                                   std::uint32_t size, const char* fileName) = 0;

    // Nonzero on success, 0 on failure. A null text removes the key; a null key removes the
    // whole section. The file and the section are created when missing.
    virtual std::int32_t WritePrivateProfileStringA(const char* section, const char* key,
                                                    const char* text, const char* fileName) = 0;
};

// The platform's profile calls: kernel32 on Windows, the portable INI engine elsewhere.
std::shared_ptr<ProfileApi> systemProfileApi();

}  // namespace qrvl
