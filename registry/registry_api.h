// The registry seam: the advapi32 registry calls (and kernel32's expansion call) in their ANSI
// form.
#pragma once

#include <cstdint>
#include <memory>

#include "common/text_codec.h"

namespace qrvl::reg {

// A key handle as the registry class holds it: a signed 32-bit integer. Windows keeps handle
// values within 32 bits (sign-extended on 64-bit), and the predefined root keys are the values
// below.
using Handle = std::int32_t;

inline constexpr Handle kClassesRoot = static_cast<Handle>(0x80000000u);
inline constexpr Handle kCurrentUser = static_cast<Handle>(0x80000001u);
inline constexpr Handle kLocalMachine = static_cast<Handle>(0x80000002u);
inline constexpr Handle kUsers = static_cast<Handle>(0x80000003u);
inline constexpr Handle kCurrentConfig = static_cast<Handle>(0x80000005u);

inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

inline constexpr std::uint32_t kTypeNone = 0;
inline constexpr std::uint32_t kTypeSz = 1;
inline constexpr std::uint32_t kTypeExpandSz = 2;
inline constexpr std::uint32_t kTypeBinary = 3;
inline constexpr std::uint32_t kTypeDword = 4;
inline constexpr std::uint32_t kTypeDwordBigEndian = 5;
inline constexpr std::uint32_t kTypeLink = 6;
inline constexpr std::uint32_t kTypeMultiSz = 7;

inline constexpr std::int32_t kSuccess = 0;
inline constexpr std::int32_t kFileNotFound = 2;
inline constexpr std::int32_t kAccessDenied = 5;
inline constexpr std::int32_t kInvalidHandle = 6;
inline constexpr std::int32_t kBadNetPath = 53;
inline constexpr std::int32_t kInvalidParameter = 87;
inline constexpr std::int32_t kBadPathName = 161;
inline constexpr std::int32_t kMoreData = 234;
inline constexpr std::int32_t kNoMoreItems = 259;
// ERROR_NOACCESS, "Invalid access to memory location": the answer to a data pointer that
// cannot be read.
inline constexpr std::int32_t kBadBuffer = 998;
inline constexpr std::int32_t kKeyDeleted = 1018;

// The platform's SECURITY_ATTRIBUTES, as the registry class keeps it (always all zero).
struct SecurityAttributes {
    std::uint32_t nLength = 0;
    void* lpSecurityDescriptor = nullptr;
    std::int32_t bInheritHandle = 0;
};

// The platform's FILETIME.
struct FileTime {
    std::uint32_t dwLowDateTime = 0;
    std::uint32_t dwHighDateTime = 0;
};

// Every call answers exactly as its Windows namesake does: the same result codes, the same
// in/out sizes, the same truncation. Texts are 8-bit, in codec()'s code page. Null pointers
// are allowed where Windows allows them.
class RegistryApi {
  public:
    virtual ~RegistryApi() = default;

    // The code page of every text that goes through these calls.
    virtual const TextCodec& codec() const = 0;

    virtual std::int32_t RegOpenKeyExA(Handle key, const char* subKey, std::uint32_t options,
                                       std::uint32_t samDesired, Handle* result) = 0;
    virtual std::int32_t RegCloseKey(Handle key) = 0;
    virtual std::int32_t RegQueryValueExA(Handle key, const char* valueName,
                                          std::uint32_t* reserved, std::uint32_t* type,
                                          std::uint8_t* data, std::uint32_t* cbData) = 0;
    virtual std::int32_t RegSetValueExA(Handle key, const char* valueName, std::uint32_t reserved,
                                        std::uint32_t type, const std::uint8_t* data,
                                        std::uint32_t cbData) = 0;
    virtual std::int32_t RegCreateKeyExA(Handle key, const char* subKey, std::uint32_t reserved,
                                         const char* className, std::uint32_t options,
                                         std::uint32_t samDesired,
                                         const SecurityAttributes* securityAttributes,
                                         Handle* result, std::uint32_t* disposition) = 0;
    virtual std::int32_t RegDeleteKeyA(Handle key, const char* subKey) = 0;
    virtual std::int32_t RegDeleteValueA(Handle key, const char* valueName) = 0;
    virtual std::int32_t RegEnumKeyExA(Handle key, std::uint32_t index, char* name,
                                       std::uint32_t* cchName, std::uint32_t* reserved,
                                       char* className, std::uint32_t* cchClass,
                                       FileTime* lastWriteTime) = 0;
    virtual std::int32_t RegEnumValueA(Handle key, std::uint32_t index, char* valueName,
                                       std::uint32_t* cchValueName, std::uint32_t* reserved,
                                       std::uint32_t* type, std::uint8_t* data,
                                       std::uint32_t* cbData) = 0;
    virtual std::int32_t RegConnectRegistryA(const char* machineName, Handle key,
                                             Handle* result) = 0;

    // kernel32: the expanded text in dst (cut to fit), and as result the characters the whole
    // expansion needs, its NUL included; 0 on failure.
    virtual std::uint32_t ExpandEnvironmentStringsA(const char* src, char* dst,
                                                    std::uint32_t size) = 0;
};

// The platform's registry: advapi32 on Windows, a process-wide in-memory store elsewhere.
std::shared_ptr<RegistryApi> systemRegistryApi();

}  // namespace qrvl::reg
