// How RegistryRoutines reads and writes one value, on this computer or another: all four members
// share one conversion by type.
#include "registry/registry_routines.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "common/error.h"
#include "registry/registry_data.h"

namespace qrvl {

using namespace reg;

namespace {

constexpr std::uint32_t kFirstQueryBuffer = 1024;

bool writesData(std::int32_t type) {
    return type == static_cast<std::int32_t>(kTypeSz) ||
           type == static_cast<std::int32_t>(kTypeExpandSz) ||
           type == static_cast<std::int32_t>(kTypeBinary) ||
           type == static_cast<std::int32_t>(kTypeDword) ||
           type == static_cast<std::int32_t>(kTypeMultiSz);
}

}  // namespace

RegistryRoutines::RegistryRoutines(std::shared_ptr<RegistryApi> api) : api_(std::move(api)) {}

std::string RegistryRoutines::encode(const std::wstring& text) const {
    return api_->codec().encode(text);
}

std::wstring RegistryRoutines::decode(const std::uint8_t* bytes, std::size_t count) const {
    return api_->codec().decode(std::string_view(reinterpret_cast<const char*>(bytes), count));
}

Variant RegistryRoutines::GetRegistryValue(const std::wstring& ValueName,
                                           const Variant& DefaultValue) {
    Handle key = 0;
    if (api_->RegOpenKeyExA(hKey_, encode(keyPath()).c_str(), 0, kKeyRead, &key) != kSuccess) {
        return DefaultValue;
    }
    const KeyCloser closeKey(*api_, key);
    return queryValue(key, ValueName, DefaultValue);
}

// Reads one value of an open key and converts it by its type; `result` is what comes back when
// there is nothing to convert.
Variant RegistryRoutines::queryValue(Handle key, const std::wstring& valueName, Variant result) {
    const std::string name = encode(valueName);
    std::vector<std::uint8_t> buffer(kFirstQueryBuffer);
    std::uint32_t type = 0;
    std::uint32_t size = kFirstQueryBuffer;
    std::int32_t rc =
        api_->RegQueryValueExA(key, name.c_str(), nullptr, &type, buffer.data(), &size);
    if (rc == kMoreData) {
        buffer.assign(size, 0);
        rc = api_->RegQueryValueExA(key, name.c_str(), nullptr, &type, buffer.data(), &size);
    }
    // A value that grew again between the two queries, or any other failure, leaves nothing
    // trustworthy in the buffer.
    if (rc != kSuccess) {
        return result;
    }
    buffer.resize(std::min<std::size_t>(size, buffer.size()));

    switch (type) {
        case kTypeSz:
            if (!buffer.empty()) {
                result = decode(buffer.data(), withoutTrailingNuls(buffer, 1));
            }
            break;
        case kTypeExpandSz:
            if (!buffer.empty()) {
                result = expand(decode(buffer.data(), withoutTrailingNuls(buffer, 1)));
            }
            break;
        case kTypeBinary:
            result = Bytes(buffer.begin(), buffer.end());
            break;
        case kTypeDword:
            result = littleEndianInt32(buffer);
            break;
        case kTypeMultiSz: {
            std::wstring text = decode(buffer.data(), withoutTrailingNuls(buffer, 2));
            std::wstring firstItem = text;
            if (!TrimNull(firstItem).empty()) {
                result = std::move(text);
            }
            break;
        }
        default:
            break;
    }
    return result;
}

// The whole expansion: a first try with as much room as the text itself, then with the room
// the expansion reports it needs (the environment may change in between, so a few rounds).
std::wstring RegistryRoutines::expand(const std::wstring& text) {
    const std::string source = encode(text);
    std::vector<char> destination(std::max<std::size_t>(source.size(), 1));
    for (int round = 0; round < 4; ++round) {
        const auto capacity = static_cast<std::uint32_t>(destination.size());
        const std::uint32_t needed =
            api_->ExpandEnvironmentStringsA(source.c_str(), destination.data(), capacity);
        if (needed == 0) {
            return text;
        }
        if (needed <= capacity) {
            const auto end = std::find(destination.begin(), destination.end(), '\0');
            return decode(reinterpret_cast<const std::uint8_t*>(destination.data()),
                          static_cast<std::size_t>(end - destination.begin()));
        }
        destination.assign(needed, '\0');
    }
    return text;
}

bool RegistryRoutines::SetRegistryValue(const std::wstring& ValueName, const Variant& Value,
                                        std::int32_t DType) {
    Handle key = 0;
    if (api_->RegOpenKeyExA(hKey_, encode(keyPath()).c_str(), 0, kKeyWrite, &key) != kSuccess) {
        return false;
    }
    const KeyCloser closeKey(*api_, key);
    return setValue(&key, ValueName, Value, DType);
}

// Encodes `value` by `type` and writes it; without a key (it could not be opened) the conversion
// still runs, and may raise, but nothing is written.
bool RegistryRoutines::setValue(const Handle* key, const std::wstring& valueName,
                                const Variant& value, std::int32_t type) {
    std::string data;
    switch (type) {
        case static_cast<std::int32_t>(kTypeSz):
        case static_cast<std::int32_t>(kTypeExpandSz):
            data = encode(toText(value));
            data.push_back('\0');
            break;
        case static_cast<std::int32_t>(kTypeMultiSz):
            data = encode(toText(value));
            break;
        case static_cast<std::int32_t>(kTypeBinary): {
            const Bytes bytes = toBytes(value);
            data.assign(bytes.begin(), bytes.end());
            break;
        }
        case static_cast<std::int32_t>(kTypeDword): {
            const auto n = static_cast<std::uint32_t>(toInt32(value));
            for (int shift = 0; shift < 32; shift += 8) {
                data.push_back(static_cast<char>((n >> shift) & 0xFFu));
            }
            break;
        }
        default:
            break;
    }
    if (!writesData(type)) {
        return true;
    }
    if (key == nullptr) {
        return false;
    }
    // Windows stores one byte more for a text type whose given bytes do not end in NUL when
    // the byte after them is a NUL; a byte other than NUL there keeps the size exact.
    const auto size = static_cast<std::uint32_t>(data.size());
    data.push_back('\x01');
    return api_->RegSetValueExA(
               *key, encode(valueName).c_str(), 0, static_cast<std::uint32_t>(type),
               reinterpret_cast<const std::uint8_t*>(data.data()), size) == kSuccess;
}

Variant RegistryRoutines::ReadRemoteRegistryValue(const std::wstring& sRemoteComputer, Handle hKey,
                                                  const std::wstring& ValueName,
                                                  const std::optional<std::wstring>& KeyPath) {
    const std::wstring path = KeyPath ? *KeyPath : keyPath();
    Handle remote = 0;
    if (api_->RegConnectRegistryA(encode(sRemoteComputer).c_str(), hKey, &remote) != kSuccess) {
        return Variant(std::wstring(L"Error!"));
    }
    const KeyCloser closeRemote(*api_, remote);
    Handle key = 0;
    if (api_->RegOpenKeyExA(remote, encode(path).c_str(), 0, kKeyAllAccess, &key) != kSuccess) {
        return Variant();
    }
    const KeyCloser closeKey(*api_, key);
    return queryValue(key, ValueName, Variant());
}

bool RegistryRoutines::WriteRemoteRegistryValue(const std::wstring& sRemoteComputer, Handle hKey,
                                                const std::wstring& ValueName, const Variant& Value,
                                                std::int32_t DType,
                                                const std::optional<std::wstring>& KeyPath) {
    const std::wstring path = KeyPath ? *KeyPath : keyPath();
    Handle remote = 0;
    if (api_->RegConnectRegistryA(encode(sRemoteComputer).c_str(), hKey, &remote) != kSuccess) {
        throw Error(ErrorCode::TypeMismatch);
    }
    const KeyCloser closeRemote(*api_, remote);
    Handle key = 0;
    if (api_->RegOpenKeyExA(remote, encode(path).c_str(), 0, kKeyAllAccess, &key) != kSuccess) {
        return setValue(nullptr, ValueName, Value, DType);
    }
    const KeyCloser closeKey(*api_, key);
    return setValue(&key, ValueName, Value, DType);
}

std::wstring RegistryRoutines::TrimNull(std::wstring& item) {
    const auto nul = item.find(L'\0');
    if (nul != std::wstring::npos) {
        item.resize(nul);
    }
    return item;
}

}  // namespace qrvl
