// A scratch folder per test, and whole-file helpers, for every test that needs real files.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

namespace qrvl::test {

// Made fresh under the system temp folder and removed with everything in it.
class ScratchFolder {
  public:
    // The label only tells the folders apart in the temp folder.
    explicit ScratchFolder(std::wstring_view label = L"profile") {
        static std::atomic<unsigned> counter{0};
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                (L"qrvl-" + std::wstring(label) + L"-" + std::to_wstring(ticks) + L"-" +
                 std::to_wstring(++counter));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        // Windows will not delete a read-only file, so give every file its write right back first.
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(path_, error)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, error);
        }
        std::filesystem::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(std::string_view name) const { return path_ / name; }
    // The name as the profile calls take it; the folder names are plain ASCII.
    std::string name(std::string_view fileName) const { return file(fileName).string(); }
    // The folder as the program takes it: on Windows, with backslashes and none at the end.
    std::wstring text() const { return path_.wstring(); }

    // Creates an empty file, and the folders above it, at a path relative to the folder.
    std::wstring touch(std::wstring_view relative) const {
        const auto created = path_ / relative;
        std::filesystem::create_directories(created.parent_path());
        std::ofstream empty(created, std::ios::binary | std::ios::trunc);
        return created.wstring();
    }

    std::size_t entryCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                                      std::filesystem::directory_iterator()));
    }

  private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// ASCII text as a UTF-16 file holds it, byte-order mark first.
inline std::string utf16Bytes(std::string_view ascii, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return bytes;
}

}  // namespace qrvl::test
