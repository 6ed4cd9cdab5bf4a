// "qrvl.exe /list" with a full cache against "qrvl.exe /pick", the unfiltered scan of the same
// folder, as whole processes started the same way under Wine; alternating runs.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/timing.h"

namespace {

// The seconds from start to end of the program with its standard output thrown away, or a
// negative number when it fails.
double secondsOfRun(const std::wstring& exe, const std::wstring& arguments,
                    const std::wstring& folder) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                             0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    const auto start = std::chrono::steady_clock::now();
    double seconds = -1;
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 1;
        GetExitCodeProcess(process.hProcess, &status);
        if (status == 0) {
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(nul);
    return seconds;
}

}  // namespace

// list_bench [runs] [qrvl.exe] [corpus]
int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 9;
    const std::wstring qrvlExe = argc > 2 ? argv[2] : QRVL_EXE_PATH;
    const std::wstring corpus = argc > 3 ? argv[3] : L"Z:\\tmp\\qrvl-bench-corpus";

    std::wstring temp(MAX_PATH, L'\0');
    temp.resize(GetTempPathW(MAX_PATH, temp.data()));
    const std::wstring folder = temp + L"qrvl-list-bench\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring exe = folder + L"qrvl.exe";
    if (!CopyFileW(qrvlExe.c_str(), exe.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %ls into %ls\n", qrvlExe.c_str(), folder.c_str());
        return 1;
    }
    std::ofstream(std::filesystem::path(folder + L"config.ini"), std::ios::binary)
        << "[QRVL]\r\npath=" << std::string(corpus.begin(), corpus.end())
        << "\\\r\nscm=yes\r\nscx=yes\r\n";
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"software\\Blizzard Entertainment\\Starcraft", 0, nullptr,
                    0, KEY_SET_VALUE, nullptr, &key, nullptr);
    RegCloseKey(key);

    // The first listing fills the cache and loads what a first start in a prefix loads.
    if (secondsOfRun(exe, L"/list", folder) < 0 || secondsOfRun(exe, L"/pick", folder) < 0) {
        std::fprintf(stderr, "qrvl.exe /list or /pick failed on %ls\n", corpus.c_str());
        return 1;
    }
    std::vector<double> listTimes;
    std::vector<double> pickTimes;
    for (int i = 0; i < runs; ++i) {
        const bool listFirst = i % 2 == 0;
        for (int which = 0; which < 2; ++which) {
            const bool list = (which == 0) == listFirst;
            (list ? listTimes : pickTimes)
                .push_back(secondsOfRun(exe, list ? L"/list" : L"/pick", folder));
        }
        std::printf("run %d: /list %.3f s, /pick %.3f s\n", i + 1, listTimes.back(),
                    pickTimes.back());
        std::fflush(stdout);
    }
    qrvl::bench::printComparison("/list, warm cache", listTimes, "/pick (the scan)", pickTimes);
    return 0;
}
