// kernel32's profile calls behind the profile seam.
#include "settings/win32_profile_api.h"

#include <windows.h>

namespace qrvl {

const TextCodec& Win32ProfileApi::codec() const {
    return systemCodec();
}

std::uint32_t Win32ProfileApi::GetPrivateProfileStringA(const char* section, const char* key,
                                                        const char* defaultText, char* buffer,
                                                        std::uint32_t size, const char* fileName) {
    return ::GetPrivateProfileStringA(section, key, defaultText, buffer, size, fileName);
}

std::int32_t Win32ProfileApi::WritePrivateProfileStringA(const char* section, const char* key,
                                                         const char* text, const char* fileName) {
    return ::WritePrivateProfileStringA(section, key, text, fileName);
}

}  // namespace qrvl
