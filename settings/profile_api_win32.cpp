// kernel32's profile calls behind the profile seam.
#include "settings/profile_api_win32.h"

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

std::shared_ptr<ProfileApi> systemProfileApi() {
    static const auto api = std::make_shared<Win32ProfileApi>();
    return api;
}

}  // namespace qrvl
