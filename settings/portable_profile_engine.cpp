// The portable INI engine: kernel32's profile answers over a line-preserving, atomic file store.
#include "settings/portable_profile_engine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "settings/ini_document.h"

namespace qrvl {

namespace {

namespace fs = std::filesystem;

fs::path pathFromUtf8(std::string_view name) {
    return fs::path(std::u8string(name.begin(), name.end()));
}

// None when the file cannot be read as a file: missing, a directory, or not readable.
std::optional<std::string> readFile(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

// A default given for a value loses its trailing spaces (only spaces: a tab stays); given for a
// key list, it keeps them.
std::string_view valueDefault(const char* defaultText) {
    std::string_view text = defaultText ? defaultText : "";
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view listDefault(const char* defaultText) {
    return defaultText ? defaultText : "";
}

// A value (or default) wrapped in one pair of matching quotes loses them: "a" and 'a' read as a.
// Windows cuts such a value as if the closing quote were still there and then drops the last
// character, so when the buffer is exactly one too short for the value and its closing quote, one
// character more is lost: "quoted" in 7 characters reads as quote.
std::uint32_t copyValue(std::string_view value, char* buffer, std::uint32_t size) {
    std::size_t count = std::min<std::size_t>(value.size(), size - 1);
    if (value.size() >= 2 && isQuote(value.front()) && value.front() == value.back()) {
        value = value.substr(1, value.size() - 2);
        if (size <= value.size()) {
            count = size - 1;
        } else if (size == value.size() + 1) {
            count = value.empty() ? 0 : value.size() - 1;
        } else {
            count = value.size();
        }
    }
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return static_cast<std::uint32_t>(count);
}

// Names each closed by a NUL and the list by one more. When that does not fit (Windows counts a
// list that exactly fills the buffer as not fitting), the list is cut at size - 2 and closed by
// two NULs.
std::uint32_t copyList(const std::vector<std::string_view>& names, char* buffer,
                       std::uint32_t size) {
    std::string list;
    for (const auto name : names) {
        list += name;
        list += '\0';
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    if (list.size() <= size - 2u) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        return static_cast<std::uint32_t>(list.size());
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

bool hasLineBreak(const char* text) {
    return text && std::strpbrk(text, "\r\n") != nullptr;
}

// Windows writes such a key as it stands and then finds another key, or a header, in its place.
bool isWritableKey(const char* key) {
    const auto name = IniDocument::trim(key);
    return name.find('=') == std::string_view::npos && (name.empty() || name.front() != '[');
}

fs::path temporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        auto candidate = target;
        candidate += ".~" + std::to_string(ticks) + "-" + std::to_string(++counter) + ".tmp";
        std::error_code error;
        if (!fs::exists(candidate, error)) {
            return candidate;
        }
    }
}

}  // namespace

const TextCodec& PortableProfileEngine::codec() const {
    return utf8Codec();
}

std::uint32_t PortableProfileEngine::GetPrivateProfileStringA(const char* section, const char* key,
                                                              const char* defaultText, char* buffer,
                                                              std::uint32_t size,
                                                              const char* fileName) {
    if (!buffer || size == 0) {
        return 0;
    }
    try {
        std::optional<IniDocument> document;
        if (fileName) {
            if (auto bytes = readFile(pathFromUtf8(fileName))) {
                document.emplace(*bytes);
            }
        }
        if (!section) {
            return copyList(document ? document->sectionNames() : std::vector<std::string_view>{},
                            buffer, size);
        }
        if (!key) {
            const auto found = document ? document->findSection(section) : std::nullopt;
            const auto names = found ? document->keyNames(*found) : std::vector<std::string_view>{};
            // A list that would start with a NUL (no keys, no section, or a first key without a
            // name) answers with the default instead.
            return names.empty() || names.front().empty()
                       ? copyValue(listDefault(defaultText), buffer, size)
                       : copyList(names, buffer, size);
        }
        const auto found =
            document ? document->findSection(IniDocument::trim(section)) : std::nullopt;
        const auto entry =
            found ? document->findEntry(*found, IniDocument::trim(key)) : std::nullopt;
        if (entry && entry->value) {
            return copyValue(*entry->value, buffer, size);
        }
        return copyValue(valueDefault(defaultText), buffer, size);
    } catch (const std::exception&) {
        return copyValue(valueDefault(defaultText), buffer, size);
    }
}

std::int32_t PortableProfileEngine::WritePrivateProfileStringA(const char* section, const char* key,
                                                               const char* text,
                                                               const char* fileName) {
    if (!section || !fileName || !*fileName) {
        return 0;
    }
    if (key && text &&
        (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(text) || !isWritableKey(key))) {
        return 0;
    }
    try {
        auto target = pathFromUtf8(fileName);
        std::error_code error;
        // Renaming over a link would replace the link; the new file belongs beside the real one.
        if (fs::is_symlink(fs::symlink_status(target, error))) {
            target = fs::canonical(target, error);
            if (error) {
                return 0;
            }
        }
        const auto status = fs::status(target, error);
        const bool existed = fs::exists(status);
        if (existed && !fs::is_regular_file(status)) {
            return 0;
        }
        std::string bytes;
        if (existed) {
            auto read = readFile(target);
            if (!read) {
                return 0;
            }
            bytes = std::move(*read);
        }
        IniDocument document(bytes);
        if (key && text) {
            document.setValue(section, key, IniDocument::trim(text));
        } else if (key) {
            // Nothing to remove is a success that leaves the file alone (and does not create it).
            if (!document.removeEntry(section, key)) {
                return 1;
            }
        } else if (!document.removeSection(section)) {
            return 1;
        }

        if (existed) {
            // Renaming over a file needs no right to the file itself; Windows asks for it.
            std::fstream probe(target, std::ios::in | std::ios::out | std::ios::binary);
            if (!probe) {
                return 0;
            }
        }
        // From here on every way out but a successful rename removes the temporary file.
        struct Discard {
            fs::path path;
            ~Discard() {
                std::error_code ignored;
                if (!path.empty()) {
                    fs::remove(path, ignored);
                }
            }
        } temporary{temporaryBeside(target)};
        {
            std::ofstream out(temporary.path, std::ios::binary | std::ios::trunc);
            const auto newBytes = document.bytes();
            out.write(newBytes.data(), static_cast<std::streamsize>(newBytes.size()));
            out.close();
            if (!out) {
                return 0;
            }
        }
        if (existed) {
            fs::permissions(temporary.path, status.permissions(), error);
        }
        bool replaced = false;
        try {
            replaced = replaceFile(temporary.path, target);
        } catch (...) {
            replaced = false;
        }
        if (!replaced) {
            return 0;
        }
        temporary.path.clear();
        return 1;
    } catch (const std::exception&) {
        return 0;
    }
}

bool PortableProfileEngine::replaceFile(const fs::path& temporary, const fs::path& target) {
    std::error_code error;
    fs::rename(temporary, target, error);
    return !error;
}

}  // namespace qrvl
