// advapi32 and kernel32 behind the registry seam.
#include "registry/registry_api_win32.h"

#include <windows.h>

#include <cstdint>

namespace qrvl::reg {
namespace {

static_assert(sizeof(DWORD) == sizeof(std::uint32_t) && sizeof(LONG) == sizeof(std::int32_t));
static_assert(sizeof(FILETIME) == sizeof(FileTime));

HKEY toHkey(Handle h) {
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(h));
}

// Windows only hands out key handles that fit in 32 bits, so nothing is lost here.
Handle fromHkey(HKEY h) {
    return static_cast<Handle>(reinterpret_cast<std::intptr_t>(h));
}

DWORD* dw(std::uint32_t* p) {
    return reinterpret_cast<DWORD*>(p);
}

// Copies a returned HKEY out only when the call wrote one, so a failing call leaves the
// caller's variable as Windows left ours.
class HkeyOut {
  public:
    explicit HkeyOut(Handle* target) : target_(target) {
        if (target_ != nullptr) {
            hkey_ = toHkey(*target_);
        }
    }
    ~HkeyOut() {
        if (target_ != nullptr) {
            *target_ = fromHkey(hkey_);
        }
    }
    HkeyOut(const HkeyOut&) = delete;
    HkeyOut& operator=(const HkeyOut&) = delete;
    PHKEY get() { return target_ != nullptr ? &hkey_ : nullptr; }

  private:
    Handle* target_;
    HKEY hkey_ = nullptr;
};

}  // namespace

const TextCodec& Win32RegistryApi::codec() const {
    return systemCodec();
}

std::int32_t Win32RegistryApi::RegOpenKeyExA(Handle key, const char* subKey, std::uint32_t options,
                                             std::uint32_t samDesired, Handle* result) {
    HkeyOut out(result);
    return ::RegOpenKeyExA(toHkey(key), subKey, options, samDesired, out.get());
}

std::int32_t Win32RegistryApi::RegCloseKey(Handle key) {
    return ::RegCloseKey(toHkey(key));
}

std::int32_t Win32RegistryApi::RegQueryValueExA(Handle key, const char* valueName,
                                                std::uint32_t* reserved, std::uint32_t* type,
                                                std::uint8_t* data, std::uint32_t* cbData) {
    return ::RegQueryValueExA(toHkey(key), valueName, dw(reserved), dw(type), data, dw(cbData));
}

std::int32_t Win32RegistryApi::RegSetValueExA(Handle key, const char* valueName,
                                              std::uint32_t reserved, std::uint32_t type,
                                              const std::uint8_t* data, std::uint32_t cbData) {
    return ::RegSetValueExA(toHkey(key), valueName, reserved, type, data, cbData);
}

std::int32_t Win32RegistryApi::RegCreateKeyExA(Handle key, const char* subKey,
                                               std::uint32_t reserved, const char* className,
                                               std::uint32_t options, std::uint32_t samDesired,
                                               const SecurityAttributes* securityAttributes,
                                               Handle* result, std::uint32_t* disposition) {
    // The record is the platform's own layout: length, descriptor, inherit flag.
    SECURITY_ATTRIBUTES sa{};
    LPSECURITY_ATTRIBUTES psa = nullptr;
    if (securityAttributes != nullptr) {
        sa.nLength = securityAttributes->nLength;
        sa.lpSecurityDescriptor = securityAttributes->lpSecurityDescriptor;
        sa.bInheritHandle = securityAttributes->bInheritHandle;
        psa = &sa;
    }
    HkeyOut out(result);
    return ::RegCreateKeyExA(toHkey(key), subKey, reserved, const_cast<LPSTR>(className), options,
                             samDesired, psa, out.get(), dw(disposition));
}

std::int32_t Win32RegistryApi::RegDeleteKeyA(Handle key, const char* subKey) {
    return ::RegDeleteKeyA(toHkey(key), subKey);
}

std::int32_t Win32RegistryApi::RegDeleteValueA(Handle key, const char* valueName) {
    return ::RegDeleteValueA(toHkey(key), valueName);
}

std::int32_t Win32RegistryApi::RegEnumKeyExA(Handle key, std::uint32_t index, char* name,
                                             std::uint32_t* cchName, std::uint32_t* reserved,
                                             char* className, std::uint32_t* cchClass,
                                             FileTime* lastWriteTime) {
    return ::RegEnumKeyExA(toHkey(key), index, name, dw(cchName), dw(reserved), className,
                           dw(cchClass), reinterpret_cast<PFILETIME>(lastWriteTime));
}

std::int32_t Win32RegistryApi::RegEnumValueA(Handle key, std::uint32_t index, char* valueName,
                                             std::uint32_t* cchValueName, std::uint32_t* reserved,
                                             std::uint32_t* type, std::uint8_t* data,
                                             std::uint32_t* cbData) {
    return ::RegEnumValueA(toHkey(key), index, valueName, dw(cchValueName), dw(reserved), dw(type),
                           data, dw(cbData));
}

std::int32_t Win32RegistryApi::RegConnectRegistryA(const char* machineName, Handle key,
                                                   Handle* result) {
    HkeyOut out(result);
    return ::RegConnectRegistryA(machineName, toHkey(key), out.get());
}

std::uint32_t Win32RegistryApi::ExpandEnvironmentStringsA(const char* src, char* dst,
                                                          std::uint32_t size) {
    return ::ExpandEnvironmentStringsA(src, dst, size);
}

std::shared_ptr<RegistryApi> systemRegistryApi() {
    static const auto api = std::make_shared<Win32RegistryApi>();
    return api;
}

}  // namespace qrvl::reg
