// Whole files through the standard library, for the native build and its tests. Paths become
// UTF-8 for the file system, whatever the locale.
#include "mapfile/file_bytes.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/native_path.h"

namespace qrvl {

bool readFileInto(const std::wstring& path, std::uint64_t maxBytes, std::string& error,
                  std::vector<std::uint8_t>& buffer) {
    std::error_code failed;
    const std::filesystem::path name = nativePath(path);
    const std::uintmax_t size = std::filesystem::file_size(name, failed);
    if (failed) {
        error = "cannot open the file";
        return false;
    }
    if (size > maxBytes) {
        error = "the file is larger than any map";
        return false;
    }
    std::ifstream in(name, std::ios::binary);
    if (!in) {
        error = "cannot open the file";
        return false;
    }
    buffer.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    buffer.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

std::optional<FileStamp> fileStamp(const std::wstring& path) {
    std::error_code failed;
    const std::filesystem::path name = nativePath(path);
    const std::uintmax_t size = std::filesystem::file_size(name, failed);
    const auto written = std::filesystem::last_write_time(name, failed);
    if (failed) {
        return std::nullopt;
    }
    return FileStamp{size, static_cast<std::int64_t>(written.time_since_epoch().count())};
}

bool replaceFileBytes(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target = nativePath(path);
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code failed;
    std::filesystem::rename(temporary, target, failed);
    if (failed) {
        std::filesystem::remove(temporary, failed);
        return false;
    }
    return true;
}

}  // namespace qrvl
