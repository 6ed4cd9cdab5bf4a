// The registry implementations that the contract suite runs against in this build.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "registry/registry_api.h"

namespace qrvl::reg::contract {

struct ApiFactory {
    std::string name;
    std::function<std::shared_ptr<RegistryApi>()> make;
};

// How a failing test names its implementation.
inline void PrintTo(const ApiFactory& factory, std::ostream* os) {
    *os << factory.name;
}

// The in-memory store everywhere; on Windows also the real advapi32.
std::vector<ApiFactory> apiFactories();

// Sets a variable in the process environment, where both the platform's expansion and the
// store's read it.
void setEnvironmentVariable(const std::string& name, const std::string& value);

// This computer's name as the platform gives it.
std::string localComputerName();

}  // namespace qrvl::reg::contract
