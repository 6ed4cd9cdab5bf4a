// The real directory calls with the faults of file systems that Wine does not have put in: a
// refused listing class, IDs of 0 or all ones or repeated, a ReFS volume, a listing cut off.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "map/directory_calls_win32.h"

namespace qrvl::test {

class FaultyDirectoryCalls final : public DirectoryCalls {
  public:
    enum class Ids { Real, Zero, AllOnes, Repeated };
    struct Faults {
        // FileIdBothDirectoryInfo refused with this error (0: served) on the directories whose
        // path ends in `refusedIn`, or on every directory when it is empty.
        DWORD refusal = 0;
        std::wstring refusedIn{};
        // What the listings' records say the sub-directories' IDs are. Asked of an opened
        // directory, an ID of 0 or all ones is given the same; a repeated one is the real one.
        Ids ids = Ids::Real;
        // The volume names itself ReFS: every 64-bit ID is the same, and the 128-bit class and
        // FileIdInfo give IDs that differ from the real ones in their high half...
        bool refs = false;
        // ...unless both are refused as well.
        bool refs128Refused = false;
        // The listing of the directory whose path ends in this fails after its first record.
        std::wstring brokenIn{};
    };

    explicit FaultyDirectoryCalls(Faults faults) : faults_(std::move(faults)) {}

    // Listing queries refused, and listing queries of the class that carries no IDs.
    int refusals = 0;
    int nameQueries = 0;

    HANDLE openDirectory(const wchar_t* path) override {
        const HANDLE handle = real_->openDirectory(path);
        if (handle != INVALID_HANDLE_VALUE) {
            opened_[handle] = Opened{path, 0};
        }
        return handle;
    }

    BOOL queryHandle(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void* buffer,
                     DWORD size) override {
        Opened& opened = opened_[handle];
        if (type == FileIdInfo) {
            return askId128(handle, buffer, size);
        }
        if (type == FileFullDirectoryInfo || type == FileFullDirectoryRestartInfo) {
            ++nameQueries;
        }
        if (type == FileIdBothDirectoryInfo && faults_.refusal != 0 &&
            endsWith(opened.path, faults_.refusedIn)) {
            return refuse(faults_.refusal);
        }
        if (type == FileIdExtdDirectoryInfo && (!faults_.refs || faults_.refs128Refused)) {
            return refuse(ERROR_INVALID_PARAMETER);
        }
        if (!faults_.brokenIn.empty() && endsWith(opened.path, faults_.brokenIn)) {
            // Room for one record per batch, and the second batch fails as a dropped share does.
            if (++opened.batches == 2) {
                SetLastError(ERROR_UNEXP_NET_ERR);
                return FALSE;
            }
            size = std::min<DWORD>(size, 160);
        }
        if (type == FileIdExtdDirectoryInfo) {
            return list128(handle, buffer, size);
        }
        if (!real_->queryHandle(handle, type, buffer, size)) {
            return FALSE;
        }
        if (type == FileIdBothDirectoryInfo) {
            forEachRecord<FILE_ID_BOTH_DIR_INFO>(buffer, [&](FILE_ID_BOTH_DIR_INFO& record) {
                record.FileId.QuadPart = static_cast<LONGLONG>(
                    listedId(static_cast<std::uint64_t>(record.FileId.QuadPart)));
            });
        }
        return TRUE;
    }

    BOOL fileInformation(HANDLE handle, BY_HANDLE_FILE_INFORMATION* info) override {
        if (!real_->fileInformation(handle, info)) {
            return FALSE;
        }
        const std::uint64_t id =
            askedId((std::uint64_t{info->nFileIndexHigh} << 32) | info->nFileIndexLow);
        info->nFileIndexHigh = static_cast<DWORD>(id >> 32);
        info->nFileIndexLow = static_cast<DWORD>(id);
        return TRUE;
    }

    bool fileId(HANDLE handle, std::uint64_t& id) override {
        if (!real_->fileId(handle, id)) {
            return false;
        }
        id = askedId(id);
        return true;
    }

    BOOL fileSystemName(HANDLE handle, wchar_t* name, DWORD size) override {
        if (faults_.refs) {
            wcsncpy(name, L"ReFS", size);
            return TRUE;
        }
        return real_->fileSystemName(handle, name, size);
    }

  private:
    struct Opened {
        std::wstring path;
        int batches = 0;
    };
    static constexpr std::uint64_t kRepeated = 7;
    static constexpr std::uint64_t kHighHalf = 0x51;

    static bool endsWith(const std::wstring& path, const std::wstring& tail) {
        return path.size() >= tail.size() &&
               path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
    }

    BOOL refuse(DWORD error) {
        ++refusals;
        SetLastError(error);
        return FALSE;
    }

    std::uint64_t listedId(std::uint64_t real) const {
        if (faults_.refs || faults_.ids == Ids::Repeated) {
            return kRepeated;
        }
        return askedId(real);
    }

    std::uint64_t askedId(std::uint64_t real) const {
        if (faults_.refs) {
            return kRepeated;
        }
        switch (faults_.ids) {
            case Ids::Zero:
                return 0;
            case Ids::AllOnes:
                return ~std::uint64_t{0};
            default:
                return real;
        }
    }

    template <typename Record, typename Change>
    static void forEachRecord(void* buffer, Change change) {
        auto* bytes = static_cast<unsigned char*>(buffer);
        for (;;) {
            auto& record = *reinterpret_cast<Record*>(bytes);
            change(record);
            if (record.NextEntryOffset == 0) {
                return;
            }
            bytes += record.NextEntryOffset;
        }
    }

    // The 128-bit ID a ReFS volume would give: the real 64-bit one, with a high half.
    void fill128(FILE_ID_128& id, std::uint64_t low) const {
        const std::uint64_t high = kHighHalf;
        std::memcpy(id.Identifier, &low, sizeof low);
        std::memcpy(id.Identifier + sizeof low, &high, sizeof high);
    }

    BOOL askId128(HANDLE handle, void* buffer, DWORD size) {
        if (faults_.refs && faults_.refs128Refused) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (!real_->queryHandle(handle, FileIdInfo, buffer, size)) {
            return FALSE;
        }
        if (faults_.refs) {
            auto& info = *static_cast<FILE_ID_INFO*>(buffer);
            std::uint64_t low = 0;
            std::memcpy(&low, info.FileId.Identifier, sizeof low);
            fill128(info.FileId, low);
        }
        return TRUE;
    }

    // FileIdExtdDirectoryInfo, which Wine does not serve, made from FileIdBothDirectoryInfo's
    // records. Each record is smaller than the one it is made from, so the batch fits.
    BOOL list128(HANDLE handle, void* buffer, DWORD size) {
        std::vector<std::uint64_t> both((size + 7) / 8);
        if (!real_->queryHandle(handle, FileIdBothDirectoryInfo, both.data(), size)) {
            return FALSE;
        }
        auto* out = static_cast<unsigned char*>(buffer);
        FILE_ID_EXTD_DIR_INFO* last = nullptr;
        forEachRecord<FILE_ID_BOTH_DIR_INFO>(both.data(), [&](FILE_ID_BOTH_DIR_INFO& from) {
            auto& to = *reinterpret_cast<FILE_ID_EXTD_DIR_INFO*>(out);
            to = FILE_ID_EXTD_DIR_INFO{};
            to.FileAttributes = from.FileAttributes;
            to.FileNameLength = from.FileNameLength;
            fill128(to.FileId, static_cast<std::uint64_t>(from.FileId.QuadPart));
            std::memcpy(to.FileName, from.FileName, from.FileNameLength);
            const std::size_t length =
                (offsetof(FILE_ID_EXTD_DIR_INFO, FileName) + from.FileNameLength + 7) / 8 * 8;
            to.NextEntryOffset = static_cast<DWORD>(length);
            last = &to;
            out += length;
        });
        last->NextEntryOffset = 0;
        return TRUE;
    }

    Faults faults_;
    std::shared_ptr<DirectoryCalls> real_ = systemDirectoryCalls();
    std::map<HANDLE, Opened> opened_;
};

}  // namespace qrvl::test
