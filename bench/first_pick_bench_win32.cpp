// The time from starting qrvl.exe to its first write of "Recent Maps", against a floor process
// started the same way that walks the same tree bare and writes once; alternating runs. With a
// players count, qrvl.exe picks with that filter: once with a warm map cache against the bare
// walk, once with a warm cache against qrvl.exe without the filter, once with no cache against a
// floor that walks, then reads the maps cold in the order met until one fits.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_tree.h"
#include "bench/timing.h"

namespace {

constexpr wchar_t kGameKey[] = L"software\\Blizzard Entertainment\\Starcraft";
constexpr DWORD kPatienceMs = 10 * 60 * 1000;

std::wstring folderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

struct Started {
    PROCESS_INFORMATION process{};
    bool ok = false;
};

Started start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    Started started;
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    started.ok = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                nullptr, folder.c_str(), &startup, &started.process);
    return started;
}

void end(Started& started) {
    if (!started.ok) {
        return;
    }
    TerminateProcess(started.process.hProcess, 0);
    WaitForSingleObject(started.process.hProcess, INFINITE);
    CloseHandle(started.process.hThread);
    CloseHandle(started.process.hProcess);
}

// Starts the program in its scratch folder and gives the seconds until the game key's values
// change, or a negative number when they never do; the program is ended either way.
double secondsToFirstWrite(const std::wstring& exe, const std::wstring& arguments,
                           const std::wstring& folder) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_NOTIFY | KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return -1;
    }
    // Wine sends no change for a write of the value a key already holds, so every run starts
    // without one.
    RegDeleteValueW(key, L"Recent Maps");
    HANDLE changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed, TRUE);

    const auto begin = std::chrono::steady_clock::now();
    double seconds = -1;
    Started started = start(exe, arguments, folder);
    if (started.ok && WaitForSingleObject(changed, kPatienceMs) == WAIT_OBJECT_0) {
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }
    end(started);
    CloseHandle(changed);
    RegCloseKey(key);
    return seconds;
}

// One side of a comparison: a program, its argument, and whether the map cache goes first.
struct Side {
    const char* name;
    std::wstring exe;
    std::wstring arguments;
    bool noCache = false;
};

// Runs both sides in turn, each first in every other round and in its exe's folder (the
// config.ini there says what it picks); false when a run never wrote.
bool compare(int runs, const Side& measured, const Side& floor) {
    std::vector<double> times[2];
    for (int i = 0; i < runs; ++i) {
        for (int which = 0; which < 2; ++which) {
            const int side = (which + i) % 2;
            const Side& run = side == 0 ? measured : floor;
            const std::wstring folder = folderOf(run.exe);
            if (run.noCache) {
                DeleteFileW((folder + L"qrvl-maps.cache").c_str());
            }
            const double seconds = secondsToFirstWrite(run.exe, run.arguments, folder);
            if (seconds < 0) {
                std::fprintf(stderr, "%s never wrote \"Recent Maps\"\n", run.name);
                return false;
            }
            times[side].push_back(seconds);
        }
        std::printf("run %d: %s %.3f s, %s %.3f s\n", i + 1, measured.name, times[0].back(),
                    floor.name, times[1].back());
        std::fflush(stdout);
    }
    qrvl::bench::printComparison(measured.name, times[0], floor.name, times[1]);
    return true;
}

// Lets qrvl.exe read every map once, so that the next starts find them all in the cache.
bool fillCache(const std::wstring& exe, const std::wstring& folder) {
    const std::wstring cache = folder + L"qrvl-maps.cache";
    DeleteFileW(cache.c_str());
    Started started = start(exe, L"", folder);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    while (GetFileAttributesW(cache.c_str()) == INVALID_FILE_ATTRIBUTES &&
           std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    end(started);
    return GetFileAttributesW(cache.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Makes a scratch folder holding `exe` beside a config.ini that names the tree, both boxes
// ticked, and the players filter if any; gives the copy's path, or empty when it cannot.
std::wstring scratchCopy(const std::wstring& folder, const std::wstring& exe,
                         const std::wstring& tree, const std::wstring& players) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + exe.substr(exe.find_last_of(L"\\/") + 1);
    if (!CopyFileW(exe.c_str(), copy.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %ls into %ls\n", exe.c_str(), folder.c_str());
        return L"";
    }
    std::ofstream(std::filesystem::path(folder + L"config.ini"), std::ios::binary)
        << "[QRVL]\r\npath=" << std::string(tree.begin(), tree.end())
        << "\\\r\nscm=yes\r\nscx=yes\r\n"
        << (players.empty() ? "" : "players=" + std::string(players.begin(), players.end()))
        << "\r\n";
    return copy;
}

}  // namespace

// first_pick_bench [runs] [qrvl.exe] [maps directory] [players]: the directory defaults to the
// standard tree, made on first use. Needs a display, as qrvl.exe opens its window.
int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
    const std::wstring qrvlExe = argc > 2 && *argv[2] ? argv[2] : QRVL_EXE_PATH;
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    const std::wstring floorExe = folderOf(self) + L"scan_floor.exe";
    const std::wstring tree =
        argc > 3 ? argv[3] : qrvl::bench::benchTree(L"Z:\\tmp\\qrvl-bench-maps").wstring();
    const std::wstring players = argc > 4 ? argv[4] : L"";

    // A scratch folder holds both programs beside one config.ini: the tree, both boxes ticked.
    // With a filter, qrvl.exe also runs from a second one without it, to set the filtered pick
    // beside the unfiltered one.
    std::wstring temp(MAX_PATH, L'\0');
    temp.resize(GetTempPathW(MAX_PATH, temp.data()));
    const std::wstring folder = temp + L"qrvl-first-pick\\";
    const Side qrvl{"qrvl.exe to first pick", scratchCopy(folder, qrvlExe, tree, players), L""};
    const Side floor{"floor process", scratchCopy(folder, floorExe, tree, players), L""};
    const Side unfiltered{
        "qrvl.exe, no filter",
        players.empty() ? L"" : scratchCopy(temp + L"qrvl-first-pick-all\\", qrvlExe, tree, L""),
        L""};
    if (qrvl.exe.empty() || floor.exe.empty() || (!players.empty() && unfiltered.exe.empty())) {
        return 1;
    }

    // One start of each first, untimed: the first start of a program in a prefix loads more.
    for (const Side& side : {qrvl, floor, unfiltered}) {
        if (!side.exe.empty() && secondsToFirstWrite(side.exe, L"", folderOf(side.exe)) < 0) {
            std::fprintf(stderr, "%ls never wrote \"Recent Maps\"\n", side.exe.c_str());
            return 1;
        }
    }
    if (players.empty()) {
        return compare(runs, qrvl, floor) ? 0 : 1;
    }
    if (!fillCache(qrvl.exe, folder)) {
        std::fprintf(stderr, "qrvl.exe never wrote its map cache\n");
        return 1;
    }
    const Side warm{"qrvl.exe, warm cache", qrvl.exe, L""};
    std::printf("players=%ls, every map in the cache:\n", players.c_str());
    if (!compare(runs, warm, floor)) {
        return 1;
    }
    std::printf("\nplayers=%ls with every map in the cache, against no filter:\n", players.c_str());
    if (!compare(runs, warm, unfiltered)) {
        return 1;
    }
    std::printf("\nplayers=%ls, no cache:\n", players.c_str());
    return compare(runs, {"qrvl.exe, no cache", qrvl.exe, L"", true},
                   {"walk, read to a fit", floor.exe, L"/fit"})
               ? 0
               : 1;
}
