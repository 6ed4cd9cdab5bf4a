// How RegistryRoutines makes, removes and lists keys and values. The listings convert data their
// own way (a multi-string joined by commas, bytes as hexadecimal text), not as a value read does.
#include "registry/registry_routines.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "registry/registry_data.h"

namespace qrvl {

using namespace reg;

namespace {

constexpr std::uint32_t kNameBuffer = 260;
constexpr std::uint32_t kFirstDataBuffer = 4096;

// Names that differ only in characters the code page cannot show arrive as the same text; the
// later one is still listed, reachable by its position.
template <typename T>
void addNamed(KeyedCollection<T>& collection, T item, const std::wstring& name) {
    if (collection.Contains(name)) {
        collection.Add(std::move(item));
    } else {
        collection.Add(std::move(item), name);
    }
}

// A listing of a named sub-key reads it through a handle of its own, opened for reading and
// closed when the listing ends; without a name the caller's handle is listed and left open.
bool openForListing(RegistryApi& api, Handle parent, const std::string& path, Handle& listed,
                    std::optional<KeyCloser>& closeKey) {
    if (api.RegOpenKeyExA(parent, path.c_str(), 0, kKeyRead, &listed) != kSuccess) {
        return false;
    }
    closeKey.emplace(api, listed);
    return true;
}

}  // namespace

bool RegistryRoutines::KeyExists() {
    Handle key = 0;
    if (api_->RegOpenKeyExA(hKey_, encode(keyPath()).c_str(), 0, kKeyRead, &key) != kSuccess) {
        return false;
    }
    api_->RegCloseKey(key);
    return true;
}

std::wstring RegistryRoutines::CreateKey() {
    return createKeyAt(subkey_);
}

std::wstring RegistryRoutines::CreateKey(Variant& KeyName) {
    std::wstring name = toText(KeyName);
    KeyName = name;
    return createKeyAt(name);
}

std::wstring RegistryRoutines::createKeyAt(const std::wstring& name) {
    Handle key = 0;
    std::uint32_t disposition = 0;
    const std::int32_t rc =
        api_->RegCreateKeyExA(hKey_, encode(keyRoot_ + L"\\" + name).c_str(), 0, "", 0,
                              kKeyAllAccess, &securityAttributes_, &key, &disposition);
    if (rc != kSuccess) {
        return {};
    }
    api_->RegCloseKey(key);
    return L"0";
}

std::int32_t RegistryRoutines::DeleteKey(const std::wstring& KeyName) {
    return api_->RegDeleteKeyA(hKey_, encode(keyRoot_ + L"\\" + KeyName).c_str());
}

std::int32_t RegistryRoutines::DeleteValue(std::wstring& ValueName) {
    Handle key = 0;
    const std::int32_t opened =
        api_->RegOpenKeyExA(hKey_, encode(keyPath()).c_str(), 0, kKeyAllAccess, &key);
    if (opened != kSuccess) {
        return opened;
    }
    const std::string name = encode(ValueName);
    const std::int32_t rc = api_->RegDeleteValueA(key, name.c_str());
    api_->RegCloseKey(key);
    ValueName = api_->codec().decode(name);
    return rc;
}

KeyedCollection<std::wstring> RegistryRoutines::EnumRegistryKeys(Handle hKey,
                                                                 const std::wstring& KeyName) {
    KeyedCollection<std::wstring> keys;
    Handle listed = hKey;
    std::optional<KeyCloser> closeKey;
    if (!KeyName.empty() && !openForListing(*api_, hKey, encode(KeyName), listed, closeKey)) {
        return keys;
    }
    std::vector<char> name(kNameBuffer);
    for (std::uint32_t index = 0;; ++index) {
        std::fill(name.begin(), name.end(), ' ');
        std::uint32_t nameLength = kNameBuffer;
        FileTime lastWrite;
        // The class name is not wanted; asking for none also keeps the platform from answering
        // ERROR_MORE_DATA, without the name, for a sub-key that has a class.
        const std::int32_t rc = api_->RegEnumKeyExA(listed, index, name.data(), &nameLength,
                                                    nullptr, nullptr, nullptr, &lastWrite);
        if (rc == kNoMoreItems) {
            break;
        }
        // Any other answer counts as a name, which must then be NUL-terminated in the buffer.
        const auto nul = std::find(name.begin(), name.end(), '\0');
        if (nul == name.end()) {
            throw Error(ErrorCode::InvalidArgument);
        }
        const std::wstring text = decode(reinterpret_cast<const std::uint8_t*>(name.data()),
                                         static_cast<std::size_t>(nul - name.begin()));
        addNamed(keys, text, text);
    }
    return keys;
}

KeyedCollection<ValuePair> RegistryRoutines::EnumRegistryValues(Handle hKey,
                                                                const std::wstring& KeyName) {
    KeyedCollection<ValuePair> values;
    Handle listed = hKey;
    std::optional<KeyCloser> closeKey;
    if (!KeyName.empty() && !openForListing(*api_, hKey, encode(KeyName), listed, closeKey)) {
        return values;
    }
    std::vector<char> name(kNameBuffer);
    std::vector<std::uint8_t> data;
    for (std::uint32_t index = 0;; ++index) {
        std::fill(name.begin(), name.end(), ' ');
        std::uint32_t nameLength = kNameBuffer;
        data.assign(kFirstDataBuffer, 0);
        std::uint32_t size = kFirstDataBuffer;
        std::uint32_t type = 0;
        std::int32_t rc = api_->RegEnumValueA(listed, index, name.data(), &nameLength, nullptr,
                                              &type, data.data(), &size);
        if (rc == kMoreData) {
            // The first call may have cut the name length down; the retry needs the whole
            // buffer again or a long-data value ends the listing.
            data.assign(size, 0);
            std::fill(name.begin(), name.end(), ' ');
            nameLength = kNameBuffer;
            rc = api_->RegEnumValueA(listed, index, name.data(), &nameLength, nullptr, &type,
                                     data.data(), &size);
        }
        if (rc != kSuccess) {
            break;
        }
        data.resize(std::min<std::size_t>(size, data.size()));
        const std::wstring valueName = decode(reinterpret_cast<const std::uint8_t*>(name.data()),
                                              std::min(nameLength, kNameBuffer));

        Variant listedData;
        switch (type) {
            case kTypeSz:
                listedData = decode(data.data(), withoutTrailingNuls(data, 1));
                break;
            case kTypeExpandSz: {
                std::wstring expanded =
                    data.empty() ? std::wstring()
                                 : expand(decode(data.data(), withoutTrailingNuls(data, 1)));
                listedData = TrimNull(expanded);
                break;
            }
            case kTypeBinary:
                listedData = hexText(data);
                break;
            case kTypeDword:
                listedData = littleEndianInt32(data);
                break;
            case kTypeMultiSz: {
                std::wstring text = decode(data.data(), withoutTrailingNuls(data, 2));
                std::replace(text.begin(), text.end(), L'\0', L',');
                listedData = std::move(text);
                break;
            }
            default:
                break;
        }
        addNamed(values, ValuePair{Variant(valueName), std::move(listedData)}, valueName);
    }
    return values;
}

}  // namespace qrvl
