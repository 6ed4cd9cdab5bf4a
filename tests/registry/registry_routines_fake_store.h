// A small in-memory registry answering the seam's calls as Windows does, for RegistryRoutines
// tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "registry/registry_api.h"

namespace qrvl::test {

class FakeRegistryStore : public reg::RegistryApi {
  public:
    // The name RegConnectRegistryA takes for this machine (besides an empty name).
    std::string computerName = "LOCALBOX";
    std::map<std::string, std::string> environment;

    const TextCodec& codec() const override { return utf8Codec(); }

    std::int32_t RegOpenKeyExA(reg::Handle key, const char* subKey, std::uint32_t, std::uint32_t,
                               reg::Handle* result) override {
        Node* node = walk(key, subKey, false);
        if (node == nullptr) {
            return resolve(key) == nullptr ? reg::kInvalidHandle : reg::kFileNotFound;
        }
        *result = issue(node);
        return reg::kSuccess;
    }
    std::int32_t RegCloseKey(reg::Handle key) override {
        return handles_.erase(key) != 0 ? reg::kSuccess : reg::kInvalidHandle;
    }
    std::int32_t RegQueryValueExA(reg::Handle key, const char* valueName, std::uint32_t*,
                                  std::uint32_t* type, std::uint8_t* data,
                                  std::uint32_t* cbData) override {
        Node* node = resolve(key);
        if (node == nullptr) {
            return reg::kInvalidHandle;
        }
        const Value* value = find(*node, valueName ? valueName : "");
        if (value == nullptr) {
            return reg::kFileNotFound;
        }
        return deliver(*value, type, data, cbData);
    }
    std::int32_t RegSetValueExA(reg::Handle key, const char* valueName, std::uint32_t,
                                std::uint32_t type, const std::uint8_t* data,
                                std::uint32_t cbData) override {
        Node* node = resolve(key);
        if (node == nullptr) {
            return reg::kInvalidHandle;
        }
        const std::string name = valueName ? valueName : "";
        // Windows counts a NUL that follows text data the caller left unterminated.
        const bool text = type == reg::kTypeSz || type == reg::kTypeExpandSz ||
                          type == reg::kTypeMultiSz;
        if (text && cbData > 0 && data[cbData - 1] != 0 && data[cbData] == 0) {
            ++cbData;
        }
        std::vector<std::uint8_t> bytes(data, data + cbData);
        if (Value* existing = find(*node, name)) {
            existing->type = type;
            existing->data = std::move(bytes);
        } else {
            node->values.push_back({name, type, std::move(bytes)});
        }
        return reg::kSuccess;
    }
    std::int32_t RegCreateKeyExA(reg::Handle key, const char* subKey, std::uint32_t, const char*,
                                 std::uint32_t, std::uint32_t, const reg::SecurityAttributes*,
                                 reg::Handle* result, std::uint32_t* disposition) override {
        if (resolve(key) == nullptr) {
            return reg::kInvalidHandle;
        }
        Node* node = walk(key, subKey, true);
        *result = issue(node);
        if (disposition != nullptr) {
            *disposition = 1;
        }
        return reg::kSuccess;
    }
    std::int32_t RegDeleteKeyA(reg::Handle key, const char* subKey) override {
        std::string path = subKey ? subKey : "";
        while (!path.empty() && path.back() == '\\') {
            path.pop_back();
        }
        const auto cut = path.rfind('\\');
        Node* parent =
            walk(key, cut == std::string::npos ? "" : path.substr(0, cut).c_str(), false);
        const std::string leaf = cut == std::string::npos ? path : path.substr(cut + 1);
        if (parent == nullptr || leaf.empty()) {
            return reg::kFileNotFound;
        }
        const auto child = findChild(*parent, leaf);
        if (child == parent->children.end()) {
            return reg::kFileNotFound;
        }
        if (!(*child)->children.empty()) {
            return reg::kAccessDenied;
        }
        parent->children.erase(child);
        return reg::kSuccess;
    }
    std::int32_t RegDeleteValueA(reg::Handle key, const char* valueName) override {
        Node* node = resolve(key);
        if (node == nullptr) {
            return reg::kInvalidHandle;
        }
        const std::string name = valueName ? valueName : "";
        const auto it = std::find_if(node->values.begin(), node->values.end(),
                                     [&](const Value& v) { return same(v.name, name); });
        if (it == node->values.end()) {
            return reg::kFileNotFound;
        }
        node->values.erase(it);
        return reg::kSuccess;
    }
    std::int32_t RegEnumKeyExA(reg::Handle key, std::uint32_t index, char* name,
                               std::uint32_t* cchName, std::uint32_t*, char*, std::uint32_t*,
                               reg::FileTime*) override {
        Node* node = resolve(key);
        if (node == nullptr) {
            return reg::kInvalidHandle;
        }
        if (index >= node->children.size()) {
            return reg::kNoMoreItems;
        }
        const std::string& child = node->children[index]->name;
        if (*cchName <= child.size()) {
            return reg::kMoreData;
        }
        std::memcpy(name, child.c_str(), child.size() + 1);
        *cchName = static_cast<std::uint32_t>(child.size());
        return reg::kSuccess;
    }
    std::int32_t RegEnumValueA(reg::Handle key, std::uint32_t index, char* valueName,
                               std::uint32_t* cchValueName, std::uint32_t*, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* cbData) override {
        Node* node = resolve(key);
        if (node == nullptr) {
            return reg::kInvalidHandle;
        }
        if (index >= node->values.size()) {
            return reg::kNoMoreItems;
        }
        const Value& value = node->values[index];
        if (*cchValueName <= value.name.size()) {
            return reg::kMoreData;
        }
        std::memcpy(valueName, value.name.c_str(), value.name.size() + 1);
        *cchValueName = static_cast<std::uint32_t>(value.name.size());
        return deliver(value, type, data, cbData);
    }
    std::int32_t RegConnectRegistryA(const char* machineName, reg::Handle key,
                                     reg::Handle* result) override {
        std::string machine = machineName ? machineName : "";
        if (machine.rfind("\\\\", 0) == 0) {
            machine.erase(0, 2);
        }
        if (!machine.empty() && !same(machine, computerName)) {
            return 53;  // ERROR_BAD_NETPATH
        }
        Node* root = resolve(key);
        if (root == nullptr) {
            return reg::kInvalidHandle;
        }
        *result = issue(root);
        return reg::kSuccess;
    }
    std::uint32_t ExpandEnvironmentStringsA(const char* src, char* dst,
                                            std::uint32_t size) override {
        std::string text = src;
        std::string out;
        for (std::size_t i = 0; i < text.size();) {
            const auto close = text[i] == '%' ? text.find('%', i + 1) : std::string::npos;
            const auto found = close == std::string::npos
                                   ? environment.end()
                                   : environment.find(text.substr(i + 1, close - i - 1));
            if (found != environment.end()) {
                out += found->second;
                i = close + 1;
            } else {
                out += text[i++];
            }
        }
        const auto needed = static_cast<std::uint32_t>(out.size() + 1);
        if (needed <= size) {
            std::memcpy(dst, out.c_str(), needed);
        }
        return needed;
    }

    std::size_t liveHandles() const { return handles_.size(); }

  private:
    struct Value {
        std::string name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    struct Node {
        std::string name;
        std::vector<std::unique_ptr<Node>> children;
        std::vector<Value> values;
    };
    using Children = std::vector<std::unique_ptr<Node>>;

    static bool same(const std::string& a, const std::string& b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::toupper(static_cast<unsigned char>(x)) ==
                          std::toupper(static_cast<unsigned char>(y));
               });
    }
    static Children::iterator findChild(Node& node, const std::string& name) {
        return std::find_if(node.children.begin(), node.children.end(),
                            [&](const auto& c) { return same(c->name, name); });
    }
    static Value* find(Node& node, const std::string& name) {
        for (auto& v : node.values) {
            if (same(v.name, name)) {
                return &v;
            }
        }
        return nullptr;
    }
    static std::int32_t deliver(const Value& value, std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* cbData) {
        if (type != nullptr) {
            *type = value.type;
        }
        const auto size = static_cast<std::uint32_t>(value.data.size());
        if (data != nullptr && cbData != nullptr && *cbData < size) {
            *cbData = size;
            return reg::kMoreData;
        }
        if (data != nullptr && size != 0) {
            std::memcpy(data, value.data.data(), size);
        }
        if (cbData != nullptr) {
            *cbData = size;
        }
        return reg::kSuccess;
    }

    Node* resolve(reg::Handle key) {
        if (key >= reg::kClassesRoot && key <= reg::kCurrentConfig) {
            auto& root = roots_[key];
            if (!root) {
                root = std::make_unique<Node>();
            }
            return root.get();
        }
        const auto found = handles_.find(key);
        return found == handles_.end() ? nullptr : found->second;
    }
    // Empty path components are skipped, so "a\" names the same key as "a".
    Node* walk(reg::Handle key, const char* path, bool create) {
        Node* node = resolve(key);
        std::string rest = path ? path : "";
        std::size_t start = 0;
        while (node != nullptr && start <= rest.size()) {
            const auto end = std::min(rest.find('\\', start), rest.size());
            const std::string part = rest.substr(start, end - start);
            start = end + 1;
            if (part.empty()) {
                continue;
            }
            auto child = findChild(*node, part);
            if (child == node->children.end()) {
                if (!create) {
                    return nullptr;
                }
                node->children.push_back(std::make_unique<Node>(Node{part, {}, {}}));
                child = std::prev(node->children.end());
            }
            node = child->get();
        }
        return node;
    }
    reg::Handle issue(Node* node) {
        handles_[next_] = node;
        return next_++;
    }

    std::map<reg::Handle, std::unique_ptr<Node>> roots_;
    std::map<reg::Handle, Node*> handles_;
    reg::Handle next_ = 0x100;
};

}  // namespace qrvl::test
