// The time from starting qrvl.exe to its first write of "Recent Maps", against a floor process
// started the same way that walks the same tree bare and writes once; alternating runs.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_tree.h"
#include "bench/timing.h"

namespace {

constexpr wchar_t kGameKey[] = L"software\\Blizzard Entertainment\\Starcraft";
constexpr DWORD kPatienceMs = 10 * 60 * 1000;

std::wstring folderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// Starts the program in its scratch folder and gives the seconds until the game key's values
// change, or a negative number when they never do; the program is ended either way.
double secondsToFirstWrite(const std::wstring& exe, const std::wstring& folder) {
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

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    const auto start = std::chrono::steady_clock::now();
    double seconds = -1;
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.c_str(), &startup, &process)) {
        if (WaitForSingleObject(changed, kPatienceMs) == WAIT_OBJECT_0) {
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(changed);
    RegCloseKey(key);
    return seconds;
}

}  // namespace

// first_pick_bench [runs] [qrvl.exe] [maps directory]: the directory defaults to the standard
// tree, made on first use. Needs a display, as qrvl.exe opens its window.
int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
    const std::wstring qrvlExe = argc > 2 ? argv[2] : QRVL_EXE_PATH;
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    const std::wstring floorExe = folderOf(self) + L"scan_floor.exe";
    const std::wstring tree =
        argc > 3 ? argv[3] : qrvl::bench::benchTree(L"Z:\\tmp\\qrvl-bench-maps").wstring();

    // A scratch folder holds both programs beside one config.ini: the tree, both boxes ticked.
    std::wstring temp(MAX_PATH, L'\0');
    temp.resize(GetTempPathW(MAX_PATH, temp.data()));
    const std::wstring folder = temp + L"qrvl-first-pick\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copies[] = {folder + L"qrvl.exe", folder + L"scan_floor.exe"};
    if (!CopyFileW(qrvlExe.c_str(), copies[0].c_str(), FALSE) ||
        !CopyFileW(floorExe.c_str(), copies[1].c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %ls and %ls into %ls\n", qrvlExe.c_str(),
                     floorExe.c_str(), folder.c_str());
        return 1;
    }
    std::ofstream(std::filesystem::path(folder + L"config.ini"), std::ios::binary)
        << "[QRVL]\r\npath=" << std::string(tree.begin(), tree.end())
        << "\\\r\nscm=yes\r\nscx=yes\r\n";

    // One start of each first, untimed: the first start of a program in a prefix loads more.
    for (const std::wstring& exe : copies) {
        if (secondsToFirstWrite(exe, folder) < 0) {
            std::fprintf(stderr, "%ls never wrote \"Recent Maps\"\n", exe.c_str());
            return 1;
        }
    }
    std::vector<double> qrvlTimes;
    std::vector<double> floorTimes;
    for (int i = 0; i < runs; ++i) {
        const bool qrvlFirst = i % 2 == 0;
        for (int which = 0; which < 2; ++which) {
            const bool qrvl = (which == 0) == qrvlFirst;
            const double seconds = secondsToFirstWrite(copies[qrvl ? 0 : 1], folder);
            if (seconds < 0) {
                std::fprintf(stderr, "a run never wrote \"Recent Maps\"\n");
                return 1;
            }
            (qrvl ? qrvlTimes : floorTimes).push_back(seconds);
        }
        std::printf("run %d: qrvl.exe %.3f s, floor process %.3f s\n", i + 1, qrvlTimes.back(),
                    floorTimes.back());
        std::fflush(stdout);
    }
    qrvl::bench::printComparison("qrvl.exe to first pick", qrvlTimes, "floor process", floorTimes);
    return 0;
}
