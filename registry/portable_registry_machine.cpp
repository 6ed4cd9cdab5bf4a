// What the in-memory registry takes from the machine it runs on: its name, for
// RegConnectRegistryA, and its environment, for ExpandEnvironmentStringsA.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>

#include <unistd.h>  // environ, which the C library keeps in step with setenv and _putenv

#include "registry/portable_registry_names.h"
#include "registry/portable_registry_store.h"

namespace qrvl::reg {

std::string PortableRegistryStore::readComputerName() {
    if (const char* env = std::getenv("COMPUTERNAME"); env != nullptr && *env != '\0') {
        return env;
    }
    std::ifstream file("/proc/sys/kernel/hostname");
    std::string name;
    std::getline(file, name);
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r' || name.back() == ' ')) {
        name.pop_back();
    }
    return name;
}

std::int32_t PortableRegistryStore::RegConnectRegistryA(const char* machineName, Handle key,
                                                        Handle* result) {
    if (result == nullptr) {
        return kInvalidParameter;
    }
    std::string_view machine = machineName != nullptr ? machineName : "";
    if (machine.substr(0, 2) == "\\\\") {
        machine.remove_prefix(2);
    }
    // This computer's registry is reached through the very key given, as Wine does it; no other
    // computer is reachable.
    const bool thisComputer = !computerName_.empty() && sameName(machine, computerName_);
    if (machineName == nullptr || *machineName == '\0' || thisComputer) {
        *result = key;
        return kSuccess;
    }
    return kBadNetPath;
}

bool PortableRegistryStore::lookupVariable(std::string_view name, std::string& value) {
    if (name.empty() || environ == nullptr) {
        return false;
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable(*entry);
        // Windows keeps a few "=C:"-style entries whose names begin with "=".
        const std::size_t equals = variable.find('=', 1);
        if (equals != std::string_view::npos && sameName(variable.substr(0, equals), name)) {
            value = variable.substr(equals + 1);
            return true;
        }
    }
    return false;
}

std::uint32_t PortableRegistryStore::ExpandEnvironmentStringsA(const char* src, char* dst,
                                                               std::uint32_t size) {
    // "%name%" becomes the variable's value. A name that is not set keeps its text, closing "%"
    // and all, and the scan goes on after it; a "%" without a closing one stays as it is. No
    // source at all expands as an empty one.
    const std::string_view text(src != nullptr ? src : "");
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find('%', i);
        if (open == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, open - i));
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(open));
            break;
        }
        std::string value;
        if (lookupVariable(text.substr(open + 1, close - open - 1), value)) {
            out += value;
        } else {
            out.append(text.substr(open, close - open + 1));
        }
        i = close + 1;
    }
    // The result counts the NUL; a short destination takes what fits and its NUL.
    if (dst != nullptr && size > 0) {
        const std::size_t n = std::min<std::size_t>(out.size(), size - 1);
        std::memcpy(dst, out.data(), n);
        dst[n] = '\0';
    }
    return static_cast<std::uint32_t>(out.size() + 1);
}

}  // namespace qrvl::reg
