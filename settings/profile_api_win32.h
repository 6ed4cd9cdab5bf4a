// The profile seam over kernel32's own profile calls.
#pragma once

#include <cstdint>

#include "settings/profile_api.h"

namespace qrvl {

// Forwards every call to kernel32 unchanged; texts are in the system ANSI code page.
class Win32ProfileApi : public ProfileApi {
  public:
    const TextCodec& codec() const override;

    std::uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                           const char* defaultText, char* buffer,
                                           std::uint32_t size, const char* fileName) override;

    std::int32_t WritePrivateProfileStringA(const char* section, const char* key, const char* text,
                                            const char* fileName) override;
};

}  // namespace qrvl
