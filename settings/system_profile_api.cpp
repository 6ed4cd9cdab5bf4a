// Picks the profile calls that CINI uses unless it is given others.
#include "settings/profile_api.h"

#ifdef _WIN32
#include "settings/win32_profile_api.h"
#else
#include "settings/portable_profile_engine.h"
#endif

namespace qrvl {

std::shared_ptr<ProfileApi> systemProfileApi() {
#ifdef _WIN32
    static const auto api = std::make_shared<Win32ProfileApi>();
#else
    static const auto api = std::make_shared<PortableProfileEngine>();
#endif
    return api;
}

}  // namespace qrvl
