// Picks the registry that RegistryRoutines uses unless it is given another.
#include "registry/registry_api.h"

#ifdef _WIN32
#include "registry/win32_registry_api.h"
#else
#include "registry/portable_registry_store.h"
#endif

namespace qrvl::reg {

std::shared_ptr<RegistryApi> systemRegistryApi() {
#ifdef _WIN32
    static const auto api = std::make_shared<Win32RegistryApi>();
#else
    // Without a Windows registry the whole process shares one in-memory store.
    static const auto api = std::make_shared<PortableRegistryStore>();
#endif
    return api;
}

}  // namespace qrvl::reg
