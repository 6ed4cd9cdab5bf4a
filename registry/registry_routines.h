// RegistryRoutines: the program's access object for the registry, local and remote.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/variant.h"
#include "registry/keyed_collection.h"
#include "registry/registry_api.h"

namespace qrvl {

// One listed value of EnumRegistryValues: [0] the value's name (text), [1] its converted data.
using ValuePair = std::array<Variant, 2>;

// Points at one key through hKey (a root key or a handle the caller opened; never closed here)
// and the path KeyRoot + "\" + Subkey, joined that way every time, even when Subkey is empty.
// Every member opens the keys it needs and closes them before it returns; the object holds no
// handle and no data between calls. Texts cross the seam in api->codec()'s code page.
//
// Failures come back as values (false, "", the default, a platform result code) as each member
// says; faults inside a member (a conversion that cannot be made) raise qrvl::Error.
class RegistryRoutines {
  public:
    explicit RegistryRoutines(std::shared_ptr<reg::RegistryApi> api = reg::systemRegistryApi());

    reg::Handle hKey() const { return hKey_; }
    void hKey(reg::Handle vData) { hKey_ = vData; }
    const std::wstring& KeyRoot() const { return keyRoot_; }
    void KeyRoot(const std::wstring& vData) { keyRoot_ = vData; }
    const std::wstring& Subkey() const { return subkey_; }
    void Subkey(const std::wstring& vData) { subkey_ = vData; }

    // True when the object's key can be opened for reading.
    bool KeyExists();
    // Creates (or opens) KeyRoot + "\" + Subkey under hKey; "0" on success, "" on any failure.
    std::wstring CreateKey();
    // As above with KeyName's text form in place of Subkey; KeyName afterwards holds that text.
    // A KeyName that has no text form (a byte array) raises error 13.
    std::wstring CreateKey(Variant& KeyName);
    // Deletes KeyRoot + "\" + KeyName under hKey; the platform's result code (0 when deleted).
    std::int32_t DeleteKey(const std::wstring& KeyName);
    // Deletes a value of the object's key; the open's code when the key cannot be opened, else
    // the deletion's (0 deleted, 2 missing). ValueName is given back as the code page has it.
    std::int32_t DeleteValue(std::wstring& ValueName);
    // The sub-keys (or values) of KeyName under the given handle, or of the handle itself when
    // KeyName is empty; an empty collection when KeyName cannot be opened. Items are keyed by
    // name. The object's own settings play no part.
    KeyedCollection<std::wstring> EnumRegistryKeys(reg::Handle hKey, const std::wstring& KeyName);
    KeyedCollection<ValuePair> EnumRegistryValues(reg::Handle hKey, const std::wstring& KeyName);

    // The value converted by its type (REG_SZ / REG_EXPAND_SZ / REG_MULTI_SZ text, REG_BINARY
    // bytes, REG_DWORD integer); DefaultValue when the key or value is missing, the type has
    // no conversion, or the text is empty.
    Variant GetRegistryValue(const std::wstring& ValueName, const Variant& DefaultValue = {});
    // Writes into the existing object's key (never creates it). Types 1, 2: the text and one
    // terminating NUL; 7: exactly the text given; 3: the bytes; 4: four bytes, low first. Other
    // types write nothing and answer true. False when the key cannot be opened or the write
    // fails. A Value without the form DType asks for raises 13 (6 out of range, 9 no bytes).
    bool SetRegistryValue(const std::wstring& ValueName, const Variant& Value, std::int32_t DType);

    // As GetRegistryValue, on another computer's hKey and KeyPath (default: the object's key
    // path), with the empty value as the default; the text "Error!" when the connection fails.
    Variant ReadRemoteRegistryValue(const std::wstring& sRemoteComputer, reg::Handle hKey,
                                    const std::wstring& ValueName,
                                    const std::optional<std::wstring>& KeyPath = std::nullopt);
    // As SetRegistryValue, on another computer; a failed connection raises error 13.
    bool WriteRemoteRegistryValue(const std::wstring& sRemoteComputer, reg::Handle hKey,
                                  const std::wstring& ValueName, const Variant& Value,
                                  std::int32_t DType,
                                  const std::optional<std::wstring>& KeyPath = std::nullopt);

    // item up to its first NUL; the caller's text is cut the same way.
    static std::wstring TrimNull(std::wstring& item);

  private:
    std::wstring keyPath() const { return keyRoot_ + L"\\" + subkey_; }
    std::string encode(const std::wstring& text) const;
    std::wstring decode(const std::uint8_t* bytes, std::size_t count) const;
    std::wstring createKeyAt(const std::wstring& name);
    Variant queryValue(reg::Handle key, const std::wstring& valueName, Variant result);
    bool setValue(const reg::Handle* key, const std::wstring& valueName, const Variant& value,
                  std::int32_t type);
    std::wstring expand(const std::wstring& text);

    std::shared_ptr<reg::RegistryApi> api_;
    reg::Handle hKey_ = 0;
    std::wstring keyRoot_;
    std::wstring subkey_;
    reg::SecurityAttributes securityAttributes_{};
};

}  // namespace qrvl
