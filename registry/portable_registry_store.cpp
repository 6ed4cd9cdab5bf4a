// The in-memory registry: a tree of keys behind a table of handles.
#include "registry/portable_registry_store.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "registry/portable_registry_names.h"

namespace qrvl::reg {
namespace {

constexpr std::uint32_t kQueryValue = 0x0001;
constexpr std::uint32_t kSetValue = 0x0002;
constexpr std::uint32_t kEnumerateSubKeys = 0x0008;

// Limits in characters. The "A" calls convert a sub-key path into a buffer of 260 characters
// and answer kMoreData for a longer one; Wine takes key names of up to 256 characters (Windows
// says 255) and value names of up to 16383.
constexpr std::size_t kMaxPathLength = 260;
constexpr std::size_t kMaxKeyNameLength = 256;
constexpr std::size_t kMaxValueNameLength = 16383;

constexpr std::uint32_t kCreatedNewKey = 1;
constexpr std::uint32_t kOpenedExistingKey = 2;

// The generic rights as the registry maps them; anything else is taken as it stands.
std::uint32_t mapAccess(std::uint32_t access) {
    constexpr std::uint32_t kGenericRead = 0x80000000u;
    constexpr std::uint32_t kGenericWrite = 0x40000000u;
    constexpr std::uint32_t kGenericAll = 0x10000000u;
    constexpr std::uint32_t kMaximumAllowed = 0x02000000u;
    std::uint32_t mapped = access & 0x00FFFFFFu;
    if (access & kGenericRead) {
        mapped |= kKeyRead;
    }
    if (access & kGenericWrite) {
        mapped |= kKeyWrite;
    }
    if (access & (kGenericAll | kMaximumAllowed)) {
        mapped |= kKeyAllAccess;
    }
    return mapped;
}

bool isTextType(std::uint32_t type) {
    return type == kTypeSz || type == kTypeExpandSz || type == kTypeMultiSz;
}

FileTime now() {
    // FILETIME counts 100 ns steps from 1601-01-01.
    using namespace std::chrono;
    const auto since1970 = duration_cast<nanoseconds>(system_clock::now().time_since_epoch());
    const std::uint64_t ticks =
        static_cast<std::uint64_t>(since1970.count() / 100) + 116444736000000000ull;
    return FileTime{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
}

std::string textOf(const char* s) {
    return s != nullptr ? std::string(s) : std::string();
}

// Copies value data out, with the NUL that Windows adds after unterminated text when there
// is room for it.
void copyData(std::uint32_t type, const std::vector<std::uint8_t>& bytes, std::uint8_t* data,
              std::uint32_t capacity) {
    if (!bytes.empty()) {
        std::memcpy(data, bytes.data(), bytes.size());
    }
    if (isTextType(type) && !bytes.empty() && bytes.back() != 0 && bytes.size() < capacity) {
        data[bytes.size()] = 0;
    }
}

// Whether a name and its NUL fit in `room` characters.
bool fits(const std::string& text, std::uint32_t room) {
    return text.size() < room;
}

// Writes a text that fits, NUL-ended, and its length without the NUL.
void putText(const std::string& text, char* buffer, std::uint32_t* length) {
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    *length = static_cast<std::uint32_t>(text.size());
}

std::size_t characters(std::string_view text) {
    return nameKey(text).size();
}

// Splits a sub-key path as the platform does: kBadPathName for one that begins with a
// backslash, kInvalidParameter for a key name too long.
std::int32_t parsePath(std::string_view path, std::vector<std::string>& parts) {
    if (!splitKeyPath(path, parts)) {
        return kBadPathName;
    }
    for (const auto& part : parts) {
        if (characters(part) > kMaxKeyNameLength) {
            return kInvalidParameter;
        }
    }
    return kSuccess;
}

}  // namespace

struct PortableRegistryStore::Node {
    struct Value {
        std::string name;
        std::u16string key;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };

    std::string name;
    std::u16string key;
    std::string className;
    Node* parent = nullptr;
    bool deleted = false;
    FileTime lastWrite{};
    std::vector<std::shared_ptr<Node>> children;
    std::vector<Value> values;

    std::vector<std::shared_ptr<Node>>::iterator childSlot(const std::u16string& k) {
        return std::lower_bound(children.begin(), children.end(), k,
                                [](const std::shared_ptr<Node>& n, const std::u16string& want) {
                                    return n->key < want;
                                });
    }
    std::shared_ptr<Node> child(const std::string& childName) {
        const std::u16string k = nameKey(childName);
        auto it = childSlot(k);
        return (it != children.end() && (*it)->key == k) ? *it : nullptr;
    }
    // The key a sub-key path leads to from `from`, or null when a step is missing.
    static std::shared_ptr<Node> descendant(std::shared_ptr<Node> from,
                                            const std::vector<std::string>& parts) {
        for (const auto& part : parts) {
            if (!(from = from->child(part))) {
                break;
            }
        }
        return from;
    }
    std::vector<Value>::iterator valueSlot(const std::u16string& k) {
        return std::lower_bound(
            values.begin(), values.end(), k,
            [](const Value& v, const std::u16string& want) { return v.key < want; });
    }
    Value* value(const std::string& valueName) {
        const std::u16string k = nameKey(valueName);
        auto it = valueSlot(k);
        return (it != values.end() && it->key == k) ? &*it : nullptr;
    }
};

// What a handle stands for in one call.
struct PortableRegistryStore::Target {
    std::shared_ptr<Node> node;
    bool predefined = false;
};

PortableRegistryStore::PortableRegistryStore() {
    // HKEY_CLASSES_ROOT through HKEY_DYN_DATA; each is its own tree here.
    for (std::uint32_t i = 0; i <= 6; ++i) {
        auto root = std::make_shared<Node>();
        root->lastWrite = now();
        roots_.emplace(static_cast<Handle>(0x80000000u + i), std::move(root));
    }
    computerName_ = readComputerName();
}

PortableRegistryStore::~PortableRegistryStore() = default;

const TextCodec& PortableRegistryStore::codec() const {
    return utf8Codec();
}

std::int32_t PortableRegistryStore::resolve(Handle key, std::uint32_t rights,
                                            Target& target) const {
    if (auto root = roots_.find(key); root != roots_.end()) {
        target = Target{root->second, true};
        return kSuccess;
    }
    auto open = handles_.find(key);
    if (key == 0 || open == handles_.end()) {
        return kInvalidHandle;
    }
    // As Windows does, the handle's rights first, and only then the key behind it.
    if ((open->second.access & rights) != rights) {
        return kAccessDenied;
    }
    target = Target{open->second.node, false};
    return target.node->deleted ? kKeyDeleted : kSuccess;
}

Handle PortableRegistryStore::allocate(std::shared_ptr<Node> node, std::uint32_t access) {
    // Handle values step by 4, as the platform's do, and stay small and positive.
    Handle handle = 0;
    do {
        handle = static_cast<Handle>(nextHandle_);
        nextHandle_ = nextHandle_ + 4 < 0x40000000u ? nextHandle_ + 4 : 0x100;
    } while (handles_.count(handle) != 0);
    handles_[handle] = OpenKey{std::move(node), mapAccess(access)};
    return handle;
}

std::int32_t PortableRegistryStore::reach(Handle key, const char* path, Target& target,
                                          std::vector<std::string>& parts) const {
    if (key == 0) {
        return kInvalidHandle;
    }
    // The "A" calls convert the path before they look at the handle.
    const std::string_view text = path != nullptr ? path : "";
    if (characters(text) > kMaxPathLength) {
        return kMoreData;
    }
    if (const std::int32_t rc = resolve(key, 0, target); rc != kSuccess) {
        return rc;
    }
    return parsePath(text, parts);
}

std::int32_t PortableRegistryStore::RegOpenKeyExA(Handle key, const char* subKey,
                                                  std::uint32_t options, std::uint32_t samDesired,
                                                  Handle* result) {
    (void)options;  // Only a volatile or a link key would care, and the store keeps neither.
    if (result == nullptr) {
        return kInvalidParameter;
    }
    Target target;
    std::vector<std::string> parts;
    const std::int32_t rc = reach(key, subKey, target, parts);
    if (rc != kSuccess) {
        return failedReach(key, rc, result);
    }
    *result = 0;
    if (parts.empty()) {
        *result = target.predefined ? key : allocate(target.node, samDesired);
        return kSuccess;
    }
    const std::shared_ptr<Node> node = Node::descendant(target.node, parts);
    if (!node) {
        return kFileNotFound;
    }
    *result = allocate(node, samDesired);
    return kSuccess;
}

std::int32_t PortableRegistryStore::RegCloseKey(Handle key) {
    return roots_.count(key) == 0 && handles_.erase(key) == 0 ? kInvalidHandle : kSuccess;
}

std::int32_t PortableRegistryStore::RegQueryValueExA(Handle key, const char* valueName,
                                                     std::uint32_t* reserved, std::uint32_t* type,
                                                     std::uint8_t* data, std::uint32_t* cbData) {
    if (key == 0) {
        return kInvalidHandle;
    }
    if (reserved != nullptr || (data != nullptr && cbData == nullptr)) {
        return kInvalidParameter;
    }
    // Windows clears the type, and a size asked for alone, before it looks at the key, so every
    // later failure reports 0 in them.
    if (type != nullptr) {
        *type = kTypeNone;
    }
    if (data == nullptr && cbData != nullptr) {
        *cbData = 0;
    }
    Target target;
    if (const std::int32_t rc = resolve(key, kQueryValue, target); rc != kSuccess) {
        return rc;
    }
    const Node::Value* value = target.node->value(textOf(valueName));
    if (value == nullptr) {
        return kFileNotFound;
    }
    const auto size = static_cast<std::uint32_t>(value->data.size());
    if (type != nullptr) {
        *type = value->type;
    }
    std::int32_t rc = kSuccess;
    if (data != nullptr) {
        if (*cbData < size) {
            rc = kMoreData;
        } else {
            copyData(value->type, value->data, data, *cbData);
        }
    }
    if (cbData != nullptr) {
        *cbData = size;
    }
    return rc;
}

std::int32_t PortableRegistryStore::RegSetValueExA(Handle key, const char* valueName,
                                                   std::uint32_t reserved, std::uint32_t type,
                                                   const std::uint8_t* data, std::uint32_t cbData) {
    (void)reserved;  // Windows ignores it.
    Target target;
    if (const std::int32_t rc = resolve(key, kSetValue, target); rc != kSuccess) {
        return rc;
    }
    if (data == nullptr && cbData > 0) {
        return kBadBuffer;
    }
    const std::string name = textOf(valueName);
    if (characters(name) > kMaxValueNameLength) {
        return kInvalidParameter;
    }
    Node& node = *target.node;
    const std::u16string k = nameKey(name);
    auto slot = node.valueSlot(k);
    if (slot == node.values.end() || slot->key != k) {
        slot = node.values.insert(slot, Node::Value{name, k, 0, {}});
    }
    slot->type = type;
    slot->data.assign(data, data + cbData);
    node.lastWrite = now();
    return kSuccess;
}

std::int32_t PortableRegistryStore::RegCreateKeyExA(Handle key, const char* subKey,
                                                    std::uint32_t reserved, const char* className,
                                                    std::uint32_t options, std::uint32_t samDesired,
                                                    const SecurityAttributes* securityAttributes,
                                                    Handle* result, std::uint32_t* disposition) {
    (void)reserved;
    (void)options;             // Every key here is as volatile as the store itself.
    (void)securityAttributes;  // The store keeps no security.
    if (result == nullptr) {
        return kInvalidParameter;
    }
    Target target;
    std::vector<std::string> parts;
    // Nothing is created unless the whole path can be, not even the parents.
    if (const std::int32_t rc = reach(key, subKey, target, parts); rc != kSuccess) {
        return failedReach(key, rc, result);
    }
    // Wine answers "created" for an empty path, although the key was there already.
    bool created = parts.empty();
    std::shared_ptr<Node> node = target.node;
    for (const auto& part : parts) {
        std::shared_ptr<Node> next = node->child(part);
        if (!next) {
            // Wine gives the class to every key it makes on the way, parents too.
            next = std::make_shared<Node>();
            next->name = part;
            next->key = nameKey(part);
            next->className = textOf(className);
            next->parent = node.get();
            next->lastWrite = now();
            node->children.insert(node->childSlot(next->key), next);
            node->lastWrite = next->lastWrite;
            created = true;
        }
        node = std::move(next);
    }
    // The key asked for takes the class given, whether it was there already or not; no class
    // empties it.
    node->className = textOf(className);
    *result = allocate(node, samDesired);
    if (disposition != nullptr) {
        *disposition = created ? kCreatedNewKey : kOpenedExistingKey;
    }
    return kSuccess;
}

std::int32_t PortableRegistryStore::RegDeleteKeyA(Handle key, const char* subKey) {
    Target target;
    std::vector<std::string> parts;
    if (const std::int32_t rc = reach(key, subKey, target, parts); rc != kSuccess) {
        return rc;
    }
    if (subKey == nullptr) {
        return kInvalidParameter;
    }
    // An empty path deletes the handle's own key; a root key is never deleted.
    if (parts.empty() && target.predefined) {
        return kAccessDenied;
    }
    const std::shared_ptr<Node> node = Node::descendant(target.node, parts);
    if (!node) {
        return kFileNotFound;
    }
    if (!node->children.empty() || node->parent == nullptr) {
        return kAccessDenied;
    }
    Node& parent = *node->parent;
    auto slot = parent.childSlot(node->key);
    if (slot != parent.children.end() && *slot == node) {
        parent.children.erase(slot);
    }
    parent.lastWrite = now();
    node->deleted = true;
    node->parent = nullptr;
    return kSuccess;
}

std::int32_t PortableRegistryStore::RegDeleteValueA(Handle key, const char* valueName) {
    Target target;
    if (const std::int32_t rc = resolve(key, kSetValue, target); rc != kSuccess) {
        return rc;
    }
    Node& node = *target.node;
    const std::u16string k = nameKey(textOf(valueName));
    auto slot = node.valueSlot(k);
    if (slot == node.values.end() || slot->key != k) {
        return kFileNotFound;
    }
    node.values.erase(slot);
    node.lastWrite = now();
    return kSuccess;
}

std::int32_t PortableRegistryStore::failedReach(Handle key, std::int32_t rc, Handle* result) {
    // Windows sets the caller's handle to 0, unless the call failed before it looked at the
    // handle: for handle 0, or a path too long.
    if (key != 0 && rc != kMoreData) {
        *result = 0;
    }
    return rc;
}

template <typename Entry, typename Answer>
std::int32_t PortableRegistryStore::listEntry(Handle key, std::uint32_t right, bool valid,
                                              std::uint32_t index,
                                              std::vector<Entry> Node::*entries, Answer answer) {
    Target target;
    if (const std::int32_t rc = resolve(key, right, target); rc != kSuccess) {
        return rc;
    }
    // Windows faults on pointers that make no sense; the store refuses them.
    if (!valid) {
        return kInvalidParameter;
    }
    const std::vector<Entry>& list = (*target.node).*entries;
    return index < list.size() ? answer(list[index]) : kNoMoreItems;
}

std::int32_t PortableRegistryStore::RegEnumKeyExA(Handle key, std::uint32_t index, char* name,
                                                  std::uint32_t* cchName, std::uint32_t* reserved,
                                                  char* className, std::uint32_t* cchClass,
                                                  FileTime* lastWriteTime) {
    const bool valid = reserved == nullptr && name != nullptr && cchName != nullptr &&
                       (className == nullptr || cchClass != nullptr);
    return listEntry(key, kEnumerateSubKeys, valid, index, &Node::children,
                     [&](const std::shared_ptr<Node>& entry) -> std::int32_t {
                         const Node& child = *entry;
                         // Nothing is written unless the name and the class (when asked for)
                         // both fit with their NUL.
                         if (!fits(child.name, *cchName) ||
                             (className != nullptr && !fits(child.className, *cchClass))) {
                             return kMoreData;
                         }
                         putText(child.name, name, cchName);
                         if (className != nullptr) {
                             putText(child.className, className, cchClass);
                         } else if (cchClass != nullptr) {
                             *cchClass = static_cast<std::uint32_t>(child.className.size());
                         }
                         if (lastWriteTime != nullptr) {
                             *lastWriteTime = child.lastWrite;
                         }
                         return kSuccess;
                     });
}

std::int32_t PortableRegistryStore::RegEnumValueA(Handle key, std::uint32_t index, char* valueName,
                                                  std::uint32_t* cchValueName,
                                                  std::uint32_t* reserved, std::uint32_t* type,
                                                  std::uint8_t* data, std::uint32_t* cbData) {
    const bool valid = reserved == nullptr && valueName != nullptr && cchValueName != nullptr &&
                       (data == nullptr || cbData != nullptr);
    return listEntry(key, kQueryValue, valid, index, &Node::values,
                     [&](const Node::Value& value) -> std::int32_t {
                         const auto size = static_cast<std::uint32_t>(value.data.size());
                         std::int32_t rc = kSuccess;
                         if (data != nullptr && *cbData < size) {
                             // Too little room for the data: neither the data nor the name is
                             // written.
                             rc = kMoreData;
                         } else {
                             if (data != nullptr) {
                                 copyData(value.type, value.data, data, *cbData);
                             }
                             if (fits(value.name, *cchValueName)) {
                                 putText(value.name, valueName, cchValueName);
                             } else {
                                 // A name that does not fit is cut to the room less one,
                                 // NUL-ended, and its length left as the caller gave it.
                                 if (*cchValueName > 0) {
                                     std::memcpy(valueName, value.name.data(), *cchValueName - 1);
                                     valueName[*cchValueName - 1] = '\0';
                                 }
                                 rc = kMoreData;
                             }
                         }
                         if (type != nullptr) {
                             *type = value.type;
                         }
                         if (cbData != nullptr) {
                             *cbData = size;
                         }
                         return rc;
                     });
}

}  // namespace qrvl::reg
