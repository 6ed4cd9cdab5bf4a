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

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    const int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    out += static_cast<char>(kLead[extra] | (c >> (6 * extra)));
    for (int shift = 6 * (extra - 1); shift >= 0; shift -= 6) {
        out += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
    }
}

// Windows reads a file that starts with a UTF-16 byte-order mark as UTF-16 text; we read it into
// the engine's UTF-8. A surrogate without its partner becomes U+FFFD.
std::string utf8FromUtf16(std::string_view bytes, bool bigEndian) {
    const auto unit = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    std::string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            const auto low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(text, c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
    }
    return text;
}

// What a profile call finds at a file name.
struct FileText {
    // Missing: nothing there, in a folder that exists. Unreadable: a folder, a file that cannot
    // be read, or a path through a folder that does not exist.
    enum class State { Missing, Unreadable, Read } state = State::Missing;
    std::string text;  // UTF-8
    bool utf16 = false;
};

FileText readFile(const fs::path& path) {
    FileText file;
    std::error_code error;
    const auto status = fs::status(path, error);
    if (!fs::exists(status)) {
        const auto folder = path.parent_path();
        if (!folder.empty() && !fs::is_directory(folder, error)) {
            file.state = FileText::State::Unreadable;
        }
        return file;
    }
    file.state = FileText::State::Unreadable;
    std::ifstream in(path, std::ios::binary);
    if (!fs::is_regular_file(status) || !in) {
        return file;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return file;
    }
    file.state = FileText::State::Read;
    const auto mark = std::string_view(bytes).substr(0, 2);
    file.utf16 = mark == "\xFF\xFE" || mark == "\xFE\xFF";
    file.text = file.utf16 ? utf8FromUtf16(std::string_view(bytes).substr(2), mark[0] == '\xFE')
                           : std::move(bytes);
    return file;
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

// A default given for a value loses its trailing spaces (only spaces: a tab stays), though never
// its first character, so a default of blanks gives one; given for a key list, it keeps them.
std::string_view valueDefault(const char* defaultText) {
    std::string_view text = defaultText ? defaultText : "";
    while (text.size() > 1 && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view listDefault(const char* defaultText) {
    return defaultText ? defaultText : "";
}

std::uint32_t copyText(std::string_view text, char* buffer, std::uint32_t size) {
    const auto count = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<std::uint32_t>(count);
}

// A value (or default) wrapped in one pair of matching quotes loses them: "a" and 'a' read as a.
// Windows cuts such a value as if the closing quote were still there and then drops the last
// character, so when the buffer is exactly one too short for the value and its closing quote, one
// character more is lost: "quoted" in 7 characters reads as quote.
std::uint32_t copyValue(std::string_view value, char* buffer, std::uint32_t size) {
    if (value.size() < 2 || !isQuote(value.front()) || value.front() != value.back()) {
        return copyText(value, buffer, size);
    }
    value = value.substr(1, value.size() - 2);
    if (size == value.size() + 1 && !value.empty()) {
        value.remove_suffix(1);
    }
    return copyText(value, buffer, size);
}

// Names each closed by a NUL and the list by one more. When that does not fit (Windows counts a
// list that exactly fills the buffer as not fitting), the list is cut at size - 2 and closed by
// one NUL; Windows leaves the buffer's last byte as it was.
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
        const auto file = fileName ? readFile(pathFromUtf8(fileName)) : FileText{};
        std::optional<IniDocument> document;
        if (file.state == FileText::State::Read) {
            document.emplace(file.text);
        }
        if (!section) {
            return copyList(document ? document->sectionNames() : std::vector<std::string_view>{},
                            buffer, size);
        }
        if (!key) {
            const auto found = document ? document->findSection(section) : std::nullopt;
            const auto names = found ? document->keyNames(*found) : std::vector<std::string_view>{};
            // A list that would start with a NUL (no keys, no section, or a first key without a
            // name), or that has room for nothing but its closing NULs, answers with the default.
            return names.empty() || names.front().empty() || size <= 2
                       ? copyValue(listDefault(defaultText), buffer, size)
                       : copyList(names, buffer, size);
        }
        if (file.state == FileText::State::Unreadable) {
            // Windows gives the default as it stands then: it loses trailing spaces but not its
            // quotes.
            return copyText(valueDefault(defaultText), buffer, size);
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
        const auto file = readFile(target);
        if (file.state == FileText::State::Unreadable) {
            return 0;
        }
        const bool existed = file.state == FileText::State::Read;
        IniDocument document(file.text);
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
        // Windows writes a UTF-16 file back whole as UTF-16. Our edits keep the other lines'
        // bytes and write 8-bit text, which would corrupt it, so the file is left alone.
        if (file.utf16) {
            return 0;
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
            fs::permissions(temporary.path, fs::status(target, error).permissions(), error);
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
