// An in-memory registry that answers the seam's calls as Windows (as Wine) answers them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "registry/registry_api.h"

namespace qrvl::reg {

// The registry of the native build, and a test double anywhere. Every store is independent:
// tests make one each. It starts with the predefined root keys, all empty, and keeps nothing on
// disk.
//
// What it copies from Windows, as Wine 8 shows it:
// - Handles are values it hands out; a closed or unknown handle, and handle 0, give
//   kInvalidHandle. A handle keeps the access it was opened with: a value needs query access to
//   be read and set access to be written or deleted, listing sub-keys needs enumerate access,
//   else kAccessDenied. Creating and deleting sub-keys needs no access on the parent. The
//   predefined keys have all access, and closing one does nothing.
// - A path of more than 260 characters is refused before the handle is looked at, and handle 0
//   before that. A failed open or create sets the caller's handle to 0, except for those two
//   failures, which leave it alone. A query clears the type, and a size asked for without
//   a buffer, before it looks at the handle (again except handle 0); a buffer's size is only
//   ever set to the value's.
// - Names are matched without regard to case and keep the case they were created with; sub-keys
//   and values both list in case-folded order. A path that begins with "\" (so also "\" alone)
//   gives kBadPathName; empty parts elsewhere, a trailing "\" among them, are ignored. An empty
//   path opens the key itself: the very same handle for a predefined key, a new one otherwise.
//   A path of more than 260 characters gives kMoreData, a key name of more than 256 or a value
//   name of more than 16383 characters kInvalidParameter.
// - RegCreateKeyExA gives its class to the key it names, replacing the class of a key that was
//   there already, and to every parent it makes on the way; parents that were there keep theirs.
// - Values keep exactly the bytes given. On reading a text type (kTypeSz, kTypeExpandSz,
//   kTypeMultiSz) whose data does not end in NUL, a NUL is put after the data when the buffer
//   has room; it is not counted.
// - A key that was deleted stays reachable through handles already open to it, and every call
//   through them but RegCloseKey gives kKeyDeleted, once the handle's rights are found enough.
// - RegConnectRegistryA takes a null or empty name, or this computer's name (leading "\\"
//   optional, any case), and then hands back the key it was given; any other name gives
//   kBadNetPath.
// - ExpandEnvironmentStringsA reads the process environment, names in any case, and takes a null
//   source as an empty one.
//
// Where Windows would read beyond what the caller passed, the store does not: RegSetValueExA
// of a text type stores exactly cbData bytes, while Windows also takes in the byte after them
// when it is a NUL and the last given byte is not.
class PortableRegistryStore final : public RegistryApi {
  public:
    PortableRegistryStore();
    ~PortableRegistryStore() override;
    PortableRegistryStore(const PortableRegistryStore&) = delete;
    PortableRegistryStore& operator=(const PortableRegistryStore&) = delete;

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

  private:
    struct Node;
    struct OpenKey {
        std::shared_ptr<Node> node;
        std::uint32_t access = 0;
    };
    struct Target;

    // The node a handle stands for, when the handle is one and has all the `rights` asked for.
    std::int32_t resolve(Handle key, std::uint32_t rights, Target& target) const;
    // What open, create and delete do first: the handle, and the path below it split into parts.
    std::int32_t reach(Handle key, const char* path, Target& target,
                       std::vector<std::string>& parts) const;
    // The answer of an open or create whose reach failed with `rc`.
    static std::int32_t failedReach(Handle key, std::int32_t rc, Handle* result);
    Handle allocate(std::shared_ptr<Node> node, std::uint32_t access);
    // The listing calls' shared part: the handle must have `right`, `valid` says whether the
    // caller's pointers make sense, and `index` must name an entry of the node's `entries`;
    // `answer` then writes that entry out.
    template <typename Entry, typename Answer>
    std::int32_t listEntry(Handle key, std::uint32_t right, bool valid, std::uint32_t index,
                           std::vector<Entry> Node::*entries, Answer answer);

    // This computer's name, from COMPUTERNAME or the host name: RegConnectRegistryA takes it.
    static std::string readComputerName();
    // A variable of the process environment, its name in any case, as Windows names have none.
    static bool lookupVariable(std::string_view name, std::string& value);

    std::map<Handle, std::shared_ptr<Node>> roots_;
    std::map<Handle, OpenKey> handles_;
    std::uint32_t nextHandle_ = 0x100;
    std::string computerName_;
};

}  // namespace qrvl::reg
