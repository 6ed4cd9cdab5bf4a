// The real directory listing on Windows: one handle per directory, read by file-ID records.
#include "map/directory_lister_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/text_codec.h"
#include "map/directory_calls_win32.h"
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

// The identity of a directory whose file system tells none: its full path, which every open of
// the same path shares. UTF-8 keeps two paths that differ in any character apart.
std::string pathIdentity(const std::wstring& full) {
    return utf8Codec().encode(full);
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// How the directories of one volume are listed.
enum class Listing {
    FileIds,     // FileIdBothDirectoryInfo, 64-bit IDs: NTFS, FAT, and every drive under Wine
    FileIds128,  // FileIdExtdDirectoryInfo, 128-bit IDs: ReFS, whose 64-bit IDs may repeat
    Names,       // FileFullDirectoryInfo, no IDs: served by every file system, shares included
};

// A file ID as a record or a question gave it; a 64-bit one fills `low` alone.
struct FileId {
    std::uint64_t low = 0;
    std::uint64_t high = 0;

    // 0 and all ones are what file systems without IDs report (FAT on some shares, and
    // FILE_INVALID_FILE_ID); such an ID names no directory in particular.
    bool trusted() const {
        constexpr std::uint64_t kOnes = ~std::uint64_t{0};
        return !(low == 0 && high == 0) && !(low == kOnes && (high == 0 || high == kOnes));
    }
};

FileId fileIdOf(const FILE_ID_128& id) {
    FileId result;
    std::memcpy(&result.low, id.Identifier, sizeof result.low);
    std::memcpy(&result.high, id.Identifier + sizeof result.low, sizeof result.high);
    return result;
}

// What a first listing query that fails with one of these says: this file system does not serve
// the class (shares, the named-pipe file system, ReFS for the 128-bit class on some versions),
// not that the directory is gone.
bool refusesClass(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION ||
           error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_LEVEL;
}

// What one walk learns as it goes: the volumes it meets, numbered in the order met (0 is the
// root's), how each is listed, and every file ID its listings have named a directory by.
class Walk {
  public:
    Walk(std::shared_ptr<DirectoryCalls> calls, std::wstring root)
        : calls_(std::move(calls)), root_(std::move(root)) {}

    DirectoryCalls& calls() { return *calls_; }

    Handle open(const std::wstring& path) {
        const HANDLE handle = calls_->openDirectory(path.c_str());
        return Handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
    }

    // The root's volume, asked once per walk through the root's own handle.
    void meetRoot(HANDLE root) { rootVolume_ = volumeOf(root); }

    // The number of the volume with this serial number, which `handle` lies on. Asking a
    // volume's serial number is the slowest question a walk can ask under Wine (a round trip to
    // the mount manager), so the root's is only asked once a link leads somewhere that must be
    // compared with it, and a walk without links never asks.
    std::uint64_t numberOf(DWORD serial, HANDLE handle) {
        if (!rootSerial_) {
            BY_HANDLE_FILE_INFORMATION info{};
            const Handle root = open(root_);
            rootSerial_ = root && calls_->fileInformation(root.get(), &info)
                              ? info.dwVolumeSerialNumber
                              : serial + 1;  // unknown: never the same volume
        }
        if (serial == *rootSerial_) {
            return 0;
        }
        const auto known =
            std::find_if(others_.begin(), others_.end(),
                         [serial](const auto& other) { return other.first == serial; });
        if (known == others_.end()) {
            others_.emplace_back(serial, volumeOf(handle));
            return others_.size();
        }
        return static_cast<std::uint64_t>(known - others_.begin()) + 1;
    }

    bool refs(std::uint64_t volume) { return at(volume).refs; }
    Listing listing(std::uint64_t volume) { return at(volume).listing; }
    // The volume refused its ID class: the rest of the walk lists it by names, without asking
    // each directory again.
    void refuse(std::uint64_t volume) { at(volume).listing = Listing::Names; }

    // Starts the next listing: the IDs it names directories by are checked against each other
    // and against every earlier listing's.
    void startListing() { ++listings_; }

    // Whether a listed directory may go by this identity: not when another directory was listed
    // under it before. `repeatsInThisListing` says whether that one came in the current listing,
    // whose entries are still to be handed out.
    bool claim(const std::string& identity, bool& repeatsInThisListing) {
        const auto [it, fresh] = claimed_.try_emplace(identity, listings_);
        repeatsInThisListing = !fresh && it->second == listings_;
        return fresh;
    }

  private:
    struct Volume {
        bool refs = false;
        Listing listing = Listing::FileIds;
    };

    Volume volumeOf(HANDLE handle) {
        wchar_t name[MAX_PATH + 1] = {};
        if (calls_->fileSystemName(handle, name, MAX_PATH + 1) &&
            CompareStringOrdinal(name, -1, L"ReFS", -1, TRUE) == CSTR_EQUAL) {
            return Volume{true, Listing::FileIds128};
        }
        return Volume{};
    }

    Volume& at(std::uint64_t volume) {
        return volume == 0 ? rootVolume_ : others_[static_cast<std::size_t>(volume - 1)].second;
    }

    std::shared_ptr<DirectoryCalls> calls_;
    std::wstring root_;
    Volume rootVolume_;
    std::optional<DWORD> rootSerial_;
    std::vector<std::pair<DWORD, Volume>> others_;
    std::uint64_t listings_ = 0;
    std::unordered_map<std::string, std::uint64_t> claimed_;
};
using WalkPtr = std::shared_ptr<Walk>;

// The records of one listing class, read the same way.
std::optional<FileId> recordId(const FILE_ID_BOTH_DIR_INFO& record) {
    return FileId{static_cast<std::uint64_t>(record.FileId.QuadPart), 0};
}
std::optional<FileId> recordId(const FILE_ID_EXTD_DIR_INFO& record) {
    return fileIdOf(record.FileId);
}
std::optional<FileId> recordId(const FILE_FULL_DIR_INFO&) {
    return std::nullopt;
}

// Each directory is read through its one handle, in records that carry every entry's attributes
// and, where the file system gives them, file IDs. An ordinary sub-directory lies on its
// parent's volume, so its identity comes from that record alone; only a link, a junction or a
// mount point (a reparse point), or a directory whose ID cannot be trusted, is opened and asked.
// Under Wine each question is a round trip to the wineserver, so the walk asks only where it
// must.
class FileIdLister final : public DirectoryLister {
  public:
    explicit FileIdLister(std::shared_ptr<DirectoryCalls> calls) : calls_(std::move(calls)) {}

    std::unique_ptr<Directory> open(const std::wstring& text) override {
        const std::optional<std::wstring> full = fullPathOf(text);
        if (!full) {
            return nullptr;
        }
        auto walk = std::make_shared<Walk>(calls_, *full);
        Handle handle = openFullPath(*walk, *full);
        if (!handle) {
            return nullptr;
        }
        walk->meetRoot(handle.get());
        if (walk->refs(0)) {
            const std::optional<std::string> identity = askedId128(*walk, handle.get(), 0);
            return list(handle.get(), *full, identity.value_or(pathIdentity(*full)), 0, walk);
        }
        std::uint64_t file = 0;
        if (!walk->calls().fileId(handle.get(), file) || !FileId{file, 0}.trusted()) {
            return openAsked(std::move(handle), *full, walk);
        }
        return list(handle.get(), *full, directoryIdentity(0, file), 0, walk);
    }

  private:
    static Handle openFullPath(Walk& walk, const std::wstring& full) {
        Handle handle = walk.open(full);
        if (!handle) {
            // A share's root (\\server\share) may open only with its separator.
            handle = walk.open(full + L'\\');
        }
        return handle;
    }

    // The identity from the 128-bit ID a ReFS volume keeps, or nullopt when it is not given.
    static std::optional<std::string> askedId128(Walk& walk, HANDLE handle, std::uint64_t volume) {
        FILE_ID_INFO info{};
        if (!walk.calls().queryHandle(handle, FileIdInfo, &info, sizeof info)) {
            return std::nullopt;
        }
        const FileId id = fileIdOf(info.FileId);
        if (!id.trusted()) {
            return std::nullopt;
        }
        return directoryIdentity(volume, id.high, id.low);
    }

    // A directory whose identity its parent's listing cannot tell: the file system is asked, and
    // where it cannot tell either, the path stands in.
    static std::unique_ptr<Directory> openAsked(Handle handle, const std::wstring& full,
                                                const WalkPtr& walk) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!walk->calls().fileInformation(handle.get(), &info)) {
            return list(handle.get(), full, pathIdentity(full), 0, walk);
        }
        if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return nullptr;
        }
        const std::uint64_t volume = walk->numberOf(info.dwVolumeSerialNumber, handle.get());
        std::optional<std::string> identity;
        if (walk->refs(volume)) {
            identity = askedId128(*walk, handle.get(), volume);
        } else if (const FileId id{(std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow,
                                   0};
                   id.trusted()) {
            identity = directoryIdentity(volume, id.low);
        }
        return list(handle.get(), full, identity.value_or(pathIdentity(full)), volume, walk);
    }

    static std::unique_ptr<Directory> openListed(const ListedDirectory::SubDirectory& sub,
                                                 std::uint64_t volume, const WalkPtr& walk) {
        if (!sub.identity) {
            const std::optional<std::wstring> full = fullPathOf(sub.path);
            Handle handle = full ? openFullPath(*walk, *full) : nullptr;
            return handle ? openAsked(std::move(handle), *full, walk) : nullptr;
        }
        const Handle handle = walk->open(sub.path);
        if (!handle) {
            return nullptr;
        }
        return list(handle.get(), sub.path, *sub.identity, volume, walk);
    }

    // One batch of `listing`'s records into the buffer.
    static BOOL query(Walk& walk, HANDLE handle, Listing listing, bool first, void* buffer,
                      DWORD size) {
        switch (listing) {
            case Listing::FileIds:
                return walk.calls().queryHandle(handle, FileIdBothDirectoryInfo, buffer, size);
            case Listing::FileIds128:
                return walk.calls().queryHandle(handle, FileIdExtdDirectoryInfo, buffer, size);
            case Listing::Names:
                // After a refused class, the first batch starts the listing afresh all the same.
                return walk.calls().queryHandle(
                    handle, first ? FileFullDirectoryRestartInfo : FileFullDirectoryInfo, buffer,
                    size);
        }
        return FALSE;
    }

    // A listed sub-directory and the ID its record gave, before the IDs are checked.
    struct Listed {
        ListedDirectory::SubDirectory sub;
        std::optional<FileId> id;
    };

    template <typename Record>
    static void read(const unsigned char* bytes, const std::wstring& path,
                     std::vector<DirectoryFile>& files, std::vector<Listed>& subDirectories) {
        for (;;) {
            const auto& record = *reinterpret_cast<const Record*>(bytes);
            const std::wstring_view name(record.FileName, record.FileNameLength / sizeof(wchar_t));
            if (!(record.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                // Every class the lister asks for gives each file's size and last write, which
                // tell the map cache whether a map changed without opening it.
                files.push_back(DirectoryFile{
                    std::wstring(name), joined(path, name),
                    FileStamp{static_cast<std::uint64_t>(record.EndOfFile.QuadPart),
                              record.LastWriteTime.QuadPart}});
            } else if (name != L"." && name != L"..") {
                // Junctions and links to directories carry the directory attribute too, so they
                // are walked like directories; the identity check keeps a loop from going round.
                Listed listed{{joined(path, name), std::nullopt}, std::nullopt};
                if (!(record.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                    !ListedDirectory::opensAsText(name)) {
                    listed.id = recordId(record);
                }
                subDirectories.push_back(std::move(listed));
            }
            if (record.NextEntryOffset == 0) {
                return;
            }
            bytes += record.NextEntryOffset;
        }
    }

    // Gives each listed sub-directory its identity where its ID can be trusted: not 0 or all
    // ones, and named by no other directory of the walk. A file system that repeats IDs would
    // otherwise have the loop check skip every directory after the first.
    static std::vector<ListedDirectory::SubDirectory> identified(std::vector<Listed> listed,
                                                                 std::uint64_t volume, Walk& walk) {
        walk.startListing();
        std::vector<ListedDirectory::SubDirectory> subDirectories;
        subDirectories.reserve(listed.size());
        for (Listed& entry : listed) {
            if (entry.id && entry.id->trusted()) {
                std::string identity =
                    walk.refs(volume) ? directoryIdentity(volume, entry.id->high, entry.id->low)
                                      : directoryIdentity(volume, entry.id->low);
                bool repeatsInThisListing = false;
                if (walk.claim(identity, repeatsInThisListing)) {
                    entry.sub.identity = std::move(identity);
                } else if (repeatsInThisListing) {
                    // The directory listed first under it is no more to be trusted than this one.
                    for (ListedDirectory::SubDirectory& earlier : subDirectories) {
                        if (earlier.identity == identity) {
                            earlier.identity.reset();
                        }
                    }
                }
            }
            subDirectories.push_back(std::move(entry.sub));
        }
        return subDirectories;
    }

    static std::unique_ptr<Directory> list(HANDLE handle, const std::wstring& path,
                                           std::string identity, std::uint64_t volume,
                                           const WalkPtr& walk) {
        auto directory = std::make_unique<ListedDirectory>();
        directory->path_ = path;
        directory->identity_ = std::move(identity);
        directory->opener_ = [volume, walk](const auto& sub) {
            return openListed(sub, volume, walk);
        };

        // 64 KiB hold some five hundred records, in 8-byte units as the records are aligned; left
        // uninitialised, as the file system fills what it reports.
        constexpr std::size_t kBufferUnits = 8192;
        const auto buffer = std::make_unique_for_overwrite<std::uint64_t[]>(kBufferUnits);
        constexpr DWORD kBufferBytes = kBufferUnits * sizeof(std::uint64_t);
        Listing listing = walk->listing(volume);
        bool refused = false;
        std::vector<DirectoryFile> files;
        std::vector<Listed> subDirectories;
        for (bool first = true;;) {
            if (!query(*walk, handle, listing, first, buffer.get(), kBufferBytes)) {
                const DWORD stop = GetLastError();
                if (stop == ERROR_NO_MORE_FILES) {
                    break;
                }
                if (first && listing != Listing::Names && refusesClass(stop)) {
                    listing = Listing::Names;
                    refused = true;
                    continue;
                }
                if (first) {
                    // Not a listing at all (the path reached no directory): it cannot be opened.
                    return nullptr;
                }
                // A listing broken off half-way would be a partial catalogue; take none of it.
                return directory;
            }
            first = false;
            const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.get());
            switch (listing) {
                case Listing::FileIds:
                    read<FILE_ID_BOTH_DIR_INFO>(bytes, path, files, subDirectories);
                    break;
                case Listing::FileIds128:
                    read<FILE_ID_EXTD_DIR_INFO>(bytes, path, files, subDirectories);
                    break;
                case Listing::Names:
                    read<FILE_FULL_DIR_INFO>(bytes, path, files, subDirectories);
                    break;
            }
        }
        if (refused) {
            // Only a listing that the other class served shows that the class, not the
            // directory, was refused.
            walk->refuse(volume);
        }
        directory->takeSorted(std::move(files),
                              identified(std::move(subDirectories), volume, *walk));
        return directory;
    }

    std::shared_ptr<DirectoryCalls> calls_;
};

}  // namespace

std::shared_ptr<DirectoryLister> win32DirectoryListerOver(std::shared_ptr<DirectoryCalls> calls) {
    return std::make_shared<FileIdLister>(std::move(calls));
}

std::shared_ptr<DirectoryLister> win32DirectoryLister() {
    return win32DirectoryListerOver(systemDirectoryCalls());
}

std::shared_ptr<DirectoryLister> systemDirectoryLister() {
    return win32DirectoryLister();
}

}  // namespace qrvl
