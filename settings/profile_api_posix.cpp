// Off Windows CINI reads and writes through our own INI engine unless given other profile calls.
#include "settings/portable_profile_engine.h"
#include "settings/profile_api.h"

namespace qrvl {

std::shared_ptr<ProfileApi> systemProfileApi() {
    static const auto api = std::make_shared<PortableProfileEngine>();
    return api;
}

}  // namespace qrvl
