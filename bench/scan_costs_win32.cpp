// What each per-directory call costs a walk under Wine: the floor walk alone, then with one call
// added at every directory, and the listing by file-ID records the scan uses; alternating runs.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_tree.h"
#include "bench/floor_walk_win32.h"
#include "bench/timing.h"

namespace {

enum Extra : unsigned {
    kNothing = 0,
    kFullPath = 1,     // GetFullPathNameW of the directory
    kIdentity = 2,     // CreateFileW, GetFileInformationByHandle, CloseHandle
    kEveryPath = 4,    // a full path kept for every file, and the names sorted
    kPeekMessage = 8,  // one pass through the message queue
};

bool isMapName(std::wstring_view name) {
    return name.size() >= 4 &&
           (name.substr(name.size() - 4) == L".scm" || name.substr(name.size() - 4) == L".scx");
}

bool isDots(std::wstring_view name) {
    return name == L"." || name == L"..";
}

std::size_t walkWith(const std::wstring& directory, unsigned extra) {
    if (extra & kFullPath) {
        wchar_t full[MAX_PATH * 2];
        GetFullPathNameW(directory.c_str(), MAX_PATH * 2, full, nullptr);
    }
    if (extra & kIdentity) {
        HANDLE handle = CreateFileW(directory.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        BY_HANDLE_FILE_INFORMATION info;
        GetFileInformationByHandle(handle, &info);
        CloseHandle(handle);
    }
    if (extra & kPeekMessage) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
    WIN32_FIND_DATAW found;
    HANDLE search = qrvl::bench::findFirstEntry(directory, found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::size_t maps = 0;
    std::vector<std::wstring> paths;
    std::vector<std::wstring> subDirectories;
    do {
        const std::wstring_view name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            maps += isMapName(name);
            if (extra & kEveryPath) {
                paths.push_back(directory + L'\\' + found.cFileName);
            }
        } else if (!isDots(name)) {
            subDirectories.push_back(directory + L'\\' + found.cFileName);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(paths.begin(), paths.end());
    for (const std::wstring& subDirectory : subDirectories) {
        maps += walkWith(subDirectory, extra);
    }
    return maps;
}

std::size_t walkByFileIdRecords(const std::wstring& directory, std::vector<std::uint64_t>& buffer) {
    HANDLE handle =
        CreateFileW(directory.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::size_t maps = 0;
    std::vector<std::wstring> subDirectories;
    while (GetFileInformationByHandleEx(handle, FileIdBothDirectoryInfo, buffer.data(),
                                        static_cast<DWORD>(buffer.size() * sizeof buffer[0]))) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
        for (;;) {
            const auto& record = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes);
            const std::wstring_view name(record.FileName, record.FileNameLength / sizeof(wchar_t));
            if (!(record.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                maps += isMapName(name);
            } else if (!isDots(name)) {
                subDirectories.push_back(directory + L'\\' + std::wstring(name));
            }
            if (record.NextEntryOffset == 0) {
                break;
            }
            bytes += record.NextEntryOffset;
        }
    }
    CloseHandle(handle);
    for (const std::wstring& subDirectory : subDirectories) {
        maps += walkByFileIdRecords(subDirectory, buffer);
    }
    return maps;
}

}  // namespace

// scan_costs [runs]: over the standard tree, made on first use.
int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
    const std::wstring root = qrvl::bench::benchTree(L"Z:\\tmp\\qrvl-bench-maps").wstring();
    CreateWindowExW(0, L"STATIC", L"scan_costs", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                    nullptr);
    std::vector<std::uint64_t> buffer(8192);
    struct Walk {
        const char* name;
        std::function<std::size_t()> run;
        std::vector<double> seconds;
    };
    std::vector<Walk> walks = {
        {"floor walk", [&] { return qrvl::bench::floorWalk(root); }, {}},
        {"+ GetFullPathNameW", [&] { return walkWith(root, kFullPath); }, {}},
        {"+ open, identity, close", [&] { return walkWith(root, kIdentity); }, {}},
        {"+ every file's path, sorted", [&] { return walkWith(root, kEveryPath); }, {}},
        {"+ PeekMessageW", [&] { return walkWith(root, kPeekMessage); }, {}},
        {"file-ID records instead", [&] { return walkByFileIdRecords(root, buffer); }, {}},
    };
    for (int i = 0; i < runs; ++i) {
        // Each round starts one walk further on, so that none always follows the same one.
        for (std::size_t k = 0; k < walks.size(); ++k) {
            Walk& walk = walks[(i + k) % walks.size()];
            const auto start = std::chrono::steady_clock::now();
            const std::size_t maps = walk.run();
            walk.seconds.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            if (maps != qrvl::bench::kBenchTreeMaps) {
                std::fprintf(stderr, "%s found %zu maps\n", walk.name, maps);
                return 1;
            }
        }
    }
    const double floor = qrvl::bench::median(walks.front().seconds);
    std::printf("%d runs each, in turn; medians:\n", runs);
    for (const Walk& walk : walks) {
        const double median = qrvl::bench::median(walk.seconds);
        std::printf("%-30s %8.3f s %6.2fx the floor\n", walk.name, median, median / floor);
    }
    return 0;
}
