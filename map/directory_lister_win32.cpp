// The real directory listing on Windows: one handle per directory, read by file-ID records.
#include "map/directory_lister_win32.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "map/directory_identity.h"
#include "map/listed_directory.h"

namespace qrvl {
namespace {

// The absolute path that names the directory. GetFullPathNameW resolves a relative text against
// the current directory, folds "." and "..", and drops trailing spaces as the file system does.
std::optional<std::wstring> fullPathOf(const std::wstring& text) {
    if (text.empty() || text.find(L'\0') != std::wstring::npos) {
        return std::nullopt;
    }
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetFullPathNameW(text.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) {
            return std::nullopt;
        }
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    while (!full.empty() && full.back() == L' ') {
        full.pop_back();
    }
    // Keep a root's separator ("C:\"); drop any other trailing one.
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) {
        full.pop_back();
    }
    if (full.empty()) {
        return std::nullopt;
    }
    return full;
}

std::wstring joined(const std::wstring& directory, std::wstring_view name) {
    std::wstring path;
    path.reserve(directory.size() + 1 + name.size());
    path = directory;
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) {
        path += L'\\';
    }
    path += name;
    return path;
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

Handle openDirectory(const std::wstring& path) {
    // Backup semantics let CreateFileW open a directory; junctions and links are followed.
    HANDLE handle = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return Handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// The volumes one walk meets, numbered in the order met: 0 is the root's. Asking a volume's
// serial number is the slowest question a walk can ask under Wine (a round trip to the mount
// manager), so the root's is only asked once a link leads somewhere that must be compared with
// it, and a walk without links never asks.
class WalkVolumes {
  public:
    explicit WalkVolumes(std::wstring root) : root_(std::move(root)) {}

    std::uint64_t numberOf(DWORD serial) {
        if (!rootSerial_) {
            BY_HANDLE_FILE_INFORMATION info{};
            const Handle root = openDirectory(root_);
            rootSerial_ = root && GetFileInformationByHandle(root.get(), &info)
                              ? info.dwVolumeSerialNumber
                              : serial + 1;  // unknown: never the same volume
        }
        if (serial == *rootSerial_) {
            return 0;
        }
        const auto known = std::find(others_.begin(), others_.end(), serial);
        if (known == others_.end()) {
            others_.push_back(serial);
            return others_.size();
        }
        return static_cast<std::uint64_t>(known - others_.begin()) + 1;
    }

  private:
    std::wstring root_;
    std::optional<DWORD> rootSerial_;
    std::vector<DWORD> others_;
};
using Volumes = std::shared_ptr<WalkVolumes>;

// The file ID alone, without the volume's serial number that GetFileInformationByHandle would
// ask for too.
std::optional<std::uint64_t> fileIdOf(HANDLE handle) {
    IO_STATUS_BLOCK status{};
    FILE_INTERNAL_INFORMATION info{};
    if (!NT_SUCCESS(
            NtQueryInformationFile(handle, &status, &info, sizeof info, FileInternalInformation))) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.IndexNumber.QuadPart);
}

// Each directory is read through its one handle, in records that carry every entry's attributes
// and file ID. An ordinary sub-directory lies on its parent's volume, so its identity comes from
// that record alone; only a link, a junction or a mount point (a reparse point) is opened and
// asked where it leads. Under Wine each question is a round trip to the wineserver, so the walk
// asks only where it must.
class FileIdLister final : public DirectoryLister {
  public:
    std::unique_ptr<Directory> open(const std::wstring& text) override {
        const std::optional<std::wstring> full = fullPathOf(text);
        if (!full) {
            return nullptr;
        }
        Handle handle = openFullPath(*full);
        if (!handle) {
            return nullptr;
        }
        auto volumes = std::make_shared<WalkVolumes>(*full);
        const std::optional<std::uint64_t> file = fileIdOf(handle.get());
        if (!file) {
            return openAsked(std::move(handle), *full, volumes);
        }
        return list(handle.get(), *full, directoryIdentity(0, *file), 0, volumes);
    }

  private:
    static Handle openFullPath(const std::wstring& full) {
        Handle handle = openDirectory(full);
        if (!handle) {
            // A share's root (\\server\share) may open only with its separator.
            handle = openDirectory(full + L'\\');
        }
        return handle;
    }

    // A directory whose identity its parent's listing cannot tell: the file system is asked.
    static std::unique_ptr<Directory> openAsked(Handle handle, const std::wstring& full,
                                                const Volumes& volumes) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(handle.get(), &info)) {
            // The path stands in for an identity the file system does not give.
            return list(handle.get(), full, std::string(full.begin(), full.end()), 0, volumes);
        }
        if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return nullptr;
        }
        const std::uint64_t volume = volumes->numberOf(info.dwVolumeSerialNumber);
        const std::uint64_t file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
        return list(handle.get(), full, directoryIdentity(volume, file), volume, volumes);
    }

    static std::unique_ptr<Directory> openListed(const ListedDirectory::SubDirectory& sub,
                                                 std::uint64_t volume, const Volumes& volumes) {
        if (!sub.identity) {
            const std::optional<std::wstring> full = fullPathOf(sub.path);
            Handle handle = full ? openFullPath(*full) : nullptr;
            return handle ? openAsked(std::move(handle), *full, volumes) : nullptr;
        }
        const Handle handle = openDirectory(sub.path);
        if (!handle) {
            return nullptr;
        }
        return list(handle.get(), sub.path, *sub.identity, volume, volumes);
    }

    static std::unique_ptr<Directory> list(HANDLE handle, const std::wstring& path,
                                           std::string identity, std::uint64_t volume,
                                           const Volumes& volumes) {
        auto directory = std::make_unique<ListedDirectory>();
        directory->path_ = path;
        directory->identity_ = std::move(identity);
        directory->opener_ = [volume, volumes](const auto& sub) {
            return openListed(sub, volume, volumes);
        };

        // 64 KiB hold some five hundred records, in 8-byte units as the records are aligned; left
        // uninitialised, as the file system fills what it reports.
        constexpr std::size_t kBufferUnits = 8192;
        const auto buffer = std::make_unique_for_overwrite<std::uint64_t[]>(kBufferUnits);
        std::vector<DirectoryFile> files;
        std::vector<ListedDirectory::SubDirectory> subDirectories;
        for (bool first = true;; first = false) {
            if (!GetFileInformationByHandleEx(handle, FileIdBothDirectoryInfo, buffer.get(),
                                              kBufferUnits * sizeof(std::uint64_t))) {
                const DWORD stop = GetLastError();
                if (stop == ERROR_NO_MORE_FILES) {
                    break;
                }
                if (first) {
                    // Not a listing at all (the path reached no directory): it cannot be opened.
                    return nullptr;
                }
                // A listing broken off half-way would be a partial catalogue; take none of it.
                return directory;
            }
            const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.get());
            for (;;) {
                const auto& record = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes);
                const std::wstring_view name(record.FileName,
                                             record.FileNameLength / sizeof(wchar_t));
                if (!(record.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    files.push_back(DirectoryFile{
                        std::wstring(name), joined(path, name),
                        FileStamp{static_cast<std::uint64_t>(record.EndOfFile.QuadPart),
                                  record.LastWriteTime.QuadPart}});
                } else if (name != L"." && name != L"..") {
                    // Junctions and links to directories carry the directory attribute too, so
                    // they are walked like directories; the identity check keeps a loop from
                    // going round.
                    ListedDirectory::SubDirectory sub{joined(path, name), std::nullopt};
                    if (!(record.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                        !ListedDirectory::opensAsText(name)) {
                        sub.identity = directoryIdentity(
                            volume, static_cast<std::uint64_t>(record.FileId.QuadPart));
                    }
                    subDirectories.push_back(std::move(sub));
                }
                if (record.NextEntryOffset == 0) {
                    break;
                }
                bytes += record.NextEntryOffset;
            }
        }
        directory->takeSorted(std::move(files), std::move(subDirectories));
        return directory;
    }
};

}  // namespace

std::shared_ptr<DirectoryLister> win32DirectoryLister() {
    return std::make_shared<FileIdLister>();
}

std::shared_ptr<DirectoryLister> systemDirectoryLister() {
    return win32DirectoryLister();
}

}  // namespace qrvl
