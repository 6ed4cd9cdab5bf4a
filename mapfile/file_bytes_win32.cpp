// Whole files through CreateFileW, so that any path the scan found opens, whatever its script.
#include "mapfile/file_bytes.h"

#include <windows.h>

namespace qrvl {

bool readFileInto(const std::wstring& path, std::uint64_t maxBytes, std::string& error,
                  std::vector<std::uint8_t>& buffer) {
    // Sharing everything: the player may be copying or deleting maps while they are read.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot open the file";
        return false;
    }
    bool read = false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        error = "cannot read the file";
    } else if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
        error = "the file is larger than any map";
    } else {
        buffer.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t done = 0;
        DWORD got = 0;
        while (done < buffer.size() &&
               ReadFile(file, buffer.data() + done, static_cast<DWORD>(buffer.size() - done), &got,
                        nullptr) &&
               got > 0) {
            done += got;
        }
        // A file cut while it was read is read as far as it went.
        buffer.resize(done);
        read = true;
    }
    CloseHandle(file);
    return read;
}

std::optional<FileStamp> fileStamp(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return FileStamp{
        std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow,
        static_cast<std::int64_t>(std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 |
                                  data.ftLastWriteTime.dwLowDateTime)};
}

bool replaceFileBytes(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    const std::wstring temporary = path + L".tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::size_t done = 0;
    DWORD wrote = 0;
    while (done < bytes.size() &&
           WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote,
                     nullptr) &&
           wrote > 0) {
        done += wrote;
    }
    const bool written = done == bytes.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (written && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return true;
    }
    DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace qrvl
