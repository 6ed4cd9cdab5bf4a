// Reading and writing .reg-style registry text through the registry seam.
#include "registry/portable_registry_text.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "registry/portable_registry_names.h"

namespace qrvl::reg {
namespace {

struct RootName {
    Handle handle;
    const char* longName;
    const char* shortName;
};

constexpr RootName kRoots[] = {
    {kClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},     {kCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {kLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},   {kUsers, "HKEY_USERS", "HKU"},
    {kCurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
};

std::optional<Handle> rootByName(std::string_view name) {
    for (const RootName& root : kRoots) {
        if (equalsIgnoringAsciiCase(name, root.longName) ||
            equalsIgnoringAsciiCase(name, root.shortName)) {
            return root.handle;
        }
    }
    return std::nullopt;
}

const char* rootName(Handle handle) {
    for (const RootName& root : kRoots) {
        if (root.handle == handle) {
            return root.longName;
        }
    }
    return nullptr;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads a quoted text at the start of `s`, moving past it.
bool readQuoted(std::string_view& s, std::string& out) {
    if (s.empty() || s.front() != '"') {
        return false;
    }
    out.clear();
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[++i];
        } else if (s[i] == '"') {
            s.remove_prefix(i + 1);
            return true;
        } else {
            out += s[i];
        }
    }
    return false;
}

bool readHexBytes(std::string_view s, std::vector<std::uint8_t>& out) {
    out.clear();
    std::size_t i = 0;
    auto skipSpaces = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) {
            ++i;
        }
    };
    skipSpaces();
    while (i < s.size()) {
        if (i + 1 >= s.size() || hexDigit(s[i]) < 0 || hexDigit(s[i + 1]) < 0) {
            return false;
        }
        out.push_back(static_cast<std::uint8_t>(hexDigit(s[i]) * 16 + hexDigit(s[i + 1])));
        i += 2;
        skipSpaces();
        if (i < s.size()) {
            if (s[i] != ',') {
                return false;
            }
            ++i;
            skipSpaces();
            if (i == s.size()) {
                return false;
            }
        }
    }
    return true;
}

// The value part after "=": its type and bytes.
bool readData(std::string_view s, std::uint32_t& type, std::vector<std::uint8_t>& bytes) {
    std::string text;
    if (!s.empty() && s.front() == '"') {
        if (!readQuoted(s, text) || !s.empty()) {
            return false;
        }
        type = kTypeSz;
        bytes.assign(text.begin(), text.end());
        bytes.push_back(0);
        return true;
    }
    if (s.substr(0, 6) == "dword:") {
        s.remove_prefix(6);
        if (s.size() != 8) {
            return false;
        }
        std::uint32_t v = 0;
        for (char c : s) {
            if (hexDigit(c) < 0) {
                return false;
            }
            v = v * 16 + static_cast<std::uint32_t>(hexDigit(c));
        }
        type = kTypeDword;
        bytes = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                 static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        return true;
    }
    if (s.substr(0, 4) == "hex:") {
        type = kTypeBinary;
        return readHexBytes(s.substr(4), bytes);
    }
    if (s.substr(0, 4) == "hex(") {
        const std::size_t close = s.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12) {
            return false;
        }
        std::uint32_t t = 0;
        for (char c : s.substr(4, close - 4)) {
            if (hexDigit(c) < 0) {
                return false;
            }
            t = t * 16 + static_cast<std::uint32_t>(hexDigit(c));
        }
        type = t;
        return readHexBytes(s.substr(close + 2), bytes);
    }
    return false;
}

std::string quote(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out + '"';
}

std::string formatData(std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
    char buffer[24];
    if (type == kTypeSz && !bytes.empty() && bytes.back() == 0) {
        bool plain = true;
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
            plain = plain && bytes[i] >= 0x20 && bytes[i] != 0x7F;
        }
        if (plain) {
            return quote(std::string(bytes.begin(), bytes.end() - 1));
        }
    }
    if (type == kTypeDword && bytes.size() == 4) {
        const std::uint32_t v = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                (static_cast<std::uint32_t>(bytes[3]) << 24);
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(v));
        return buffer;
    }
    std::string out;
    if (type == kTypeBinary) {
        out = "hex:";
    } else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(type));
        out = buffer;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, i == 0 ? "%02x" : ",%02x", bytes[i]);
        out += buffer;
    }
    return out;
}

void saveKey(RegistryApi& api, Handle key, const std::string& fullName, std::string& out) {
    out += "\n[" + fullName + "]\n";
    for (std::uint32_t i = 0;; ++i) {
        std::vector<char> name(16384);
        auto length = static_cast<std::uint32_t>(name.size());
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        if (api.RegEnumValueA(key, i, name.data(), &length, nullptr, &type, nullptr, &size) !=
            kSuccess) {
            break;
        }
        std::vector<std::uint8_t> data(size);
        if (size > 0 && api.RegQueryValueExA(key, name.data(), nullptr, &type, data.data(),
                                             &size) != kSuccess) {
            continue;
        }
        data.resize(size);
        const std::string valueName(name.data(), length);
        out += (valueName.empty() ? std::string("@") : quote(valueName)) + "=" +
               formatData(type, data) + "\n";
    }
    for (std::uint32_t i = 0;; ++i) {
        char name[256];
        std::uint32_t length = sizeof name;
        if (api.RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            kSuccess) {
            break;
        }
        Handle child = 0;
        if (api.RegOpenKeyExA(key, name, 0, kKeyRead, &child) == kSuccess) {
            saveKey(api, child, fullName + "\\" + std::string(name, length), out);
            api.RegCloseKey(child);
        }
    }
}

}  // namespace

bool loadRegistryText(RegistryApi& api, std::string_view text, std::string* error) {
    Handle current = 0;
    bool ok = true;
    auto fail = [&](std::size_t line, const char* why) {
        if (ok && error != nullptr) {
            *error = "line " + std::to_string(line) + ": " + why;
        }
        ok = false;
    };
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // One logical line: physical lines joined where one ends in a backslash after a comma.
        std::string line;
        const std::size_t firstLine = lineNumber + 1;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) {
                end = text.size();
            }
            std::string_view part = text.substr(pos, end - pos);
            pos = end + 1;
            ++lineNumber;
            if (!part.empty() && part.back() == '\r') {
                part.remove_suffix(1);
            }
            if (!line.empty()) {
                while (!part.empty() && (part.front() == ' ' || part.front() == '\t')) {
                    part.remove_prefix(1);
                }
            }
            if (!part.empty() && part.back() == '\\' && part.size() >= 2 &&
                part[part.size() - 2] == ',') {
                line.append(part.substr(0, part.size() - 1));
                continue;
            }
            line.append(part);
            break;
        }
        std::string_view s = line;
        if (s.empty() || s.front() == ';' ||
            (firstLine == 1 &&
             (s == "REGEDIT4" || s.substr(0, 31) == "Windows Registry Editor Version"))) {
            continue;
        }
        if (s.front() == '[') {
            if (current != 0) {
                api.RegCloseKey(current);
                current = 0;
            }
            if (s.back() != ']') {
                fail(firstLine, "a key line must end in ]");
                continue;
            }
            s = s.substr(1, s.size() - 2);
            const std::size_t slash = s.find('\\');
            const auto root = rootByName(s.substr(0, slash));
            if (!root) {
                fail(firstLine, "unknown root key");
                continue;
            }
            const std::string path(slash == std::string_view::npos ? std::string_view()
                                                                   : s.substr(slash + 1));
            if (api.RegCreateKeyExA(*root, path.c_str(), 0, "", 0, kKeyAllAccess, nullptr, &current,
                                    nullptr) != kSuccess) {
                current = 0;
                fail(firstLine, "the key cannot be created");
            }
            continue;
        }
        std::string name;
        if (s.front() == '@') {
            s.remove_prefix(1);
        } else if (!readQuoted(s, name)) {
            fail(firstLine, "a value line must begin with @ or a quoted name");
            continue;
        }
        std::uint32_t type = 0;
        std::vector<std::uint8_t> bytes;
        if (s.empty() || s.front() != '=' || !readData(s.substr(1), type, bytes)) {
            fail(firstLine, "the value's data cannot be read");
            continue;
        }
        if (current == 0) {
            fail(firstLine, "a value outside any key");
            continue;
        }
        // Windows takes in the byte after a text value's data when that byte is a NUL and the
        // last one is not; a byte that is not NUL there keeps the listed bytes exact.
        const auto size = static_cast<std::uint32_t>(bytes.size());
        bytes.push_back('X');
        if (api.RegSetValueExA(current, name.c_str(), 0, type, bytes.data(), size) != kSuccess) {
            fail(firstLine, "the value cannot be written");
        }
    }
    if (current != 0) {
        api.RegCloseKey(current);
    }
    return ok;
}

std::string saveRegistryText(RegistryApi& api, Handle root, const std::string& path) {
    const char* name = rootName(root);
    Handle key = 0;
    if (name == nullptr || api.RegOpenKeyExA(root, path.c_str(), 0, kKeyRead, &key) != kSuccess) {
        return {};
    }
    std::string trimmed = path;
    while (!trimmed.empty() && trimmed.back() == '\\') {
        trimmed.pop_back();
    }
    std::string out = "REGEDIT4\n";
    saveKey(api, key, trimmed.empty() ? std::string(name) : std::string(name) + "\\" + trimmed,
            out);
    if (key != root) {
        api.RegCloseKey(key);
    }
    return out;
}

}  // namespace qrvl::reg
