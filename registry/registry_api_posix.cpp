// Off Windows there is no registry: RegistryRoutines uses the in-memory store unless given another.
#include "registry/portable_registry_store.h"
#include "registry/registry_api.h"

namespace qrvl::reg {

std::shared_ptr<RegistryApi> systemRegistryApi() {
    // The whole process shares one store, as it would share one registry.
    static const auto api = std::make_shared<PortableRegistryStore>();
    return api;
}

}  // namespace qrvl::reg
