// The registry seam over the real advapi32 and kernel32 calls, for the Windows build.
#pragma once

#include <cstdint>

#include "registry/registry_api.h"

namespace qrvl::reg {

// Forwards every call unchanged. A Handle becomes an HKEY by sign extension, which is how
// Windows writes the predefined keys on 64-bit and how it keeps its handle values (within 32
// bits); a returned HKEY is cut back to 32 bits. Texts are in the system ANSI code page.
class Win32RegistryApi final : public RegistryApi {
  public:
    const TextCodec& codec() const override;

    std::int32_t RegOpenKeyExA(Handle key, const char* subKey, std::uint32_t options,
                               std::uint32_t samDesired, Handle* result) override;
    std::int32_t RegCloseKey(Handle key) override;
    std::int32_t RegQueryValueExA(Handle key, const char* valueName, std::uint32_t* reserved,
                                  std::uint32_t* type, std::uint8_t* data,
                                  std::uint32_t* cbData) override;
    std::int32_t RegSetValueExA(Handle key, const char* valueName, std::uint32_t reserved,
                                std::uint32_t type, const std::uint8_t* data,
                                std::uint32_t cbData) override;
    std::int32_t RegCreateKeyExA(Handle key, const char* subKey, std::uint32_t reserved,
                                 const char* className, std::uint32_t options,
                                 std::uint32_t samDesired,
                                 const SecurityAttributes* securityAttributes, Handle* result,
                                 std::uint32_t* disposition) override;
    std::int32_t RegDeleteKeyA(Handle key, const char* subKey) override;
    std::int32_t RegDeleteValueA(Handle key, const char* valueName) override;
    std::int32_t RegEnumKeyExA(Handle key, std::uint32_t index, char* name, std::uint32_t* cchName,
                               std::uint32_t* reserved, char* className, std::uint32_t* cchClass,
                               FileTime* lastWriteTime) override;
    std::int32_t RegEnumValueA(Handle key, std::uint32_t index, char* valueName,
                               std::uint32_t* cchValueName, std::uint32_t* reserved,
                               std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* cbData) override;
    std::int32_t RegConnectRegistryA(const char* machineName, Handle key, Handle* result) override;
    std::uint32_t ExpandEnvironmentStringsA(const char* src, char* dst,
                                            std::uint32_t size) override;
};

}  // namespace qrvl::reg
