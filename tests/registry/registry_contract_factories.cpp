// Picks the registry implementations for the contract suite, and the few platform facts it needs.
#include "tests/registry/registry_contract_factories.h"

#include <cstdlib>

#include "registry/portable_registry_store.h"

#ifdef _WIN32
#include "registry/registry_api_win32.h"
#else
#include <unistd.h>
#endif

namespace qrvl::reg::contract {

std::vector<ApiFactory> apiFactories() {
    std::vector<ApiFactory> factories{
        {"Store", [] { return std::make_shared<PortableRegistryStore>(); }}};
#ifdef _WIN32
    factories.push_back({"Win32", [] { return std::make_shared<Win32RegistryApi>(); }});
#endif
    return factories;
}

void setEnvironmentVariable(const std::string& name, const std::string& value) {
#ifdef _WIN32
    // The C runtime's copy and the process block both change, so getenv and the kernel32
    // expansion agree.
    _putenv_s(name.c_str(), value.c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

std::string localComputerName() {
#ifdef _WIN32
    const char* name = std::getenv("COMPUTERNAME");
    return name != nullptr ? name : "";
#else
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
#endif
}

}  // namespace qrvl::reg::contract
