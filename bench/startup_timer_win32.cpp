// Times programs from their start to the showing of a window captioned "Quorvel picker", runs
// alternating between them (each round starting with the next program), and prints each time,
// the medians and each median's ratio to the yardsticks' (the last program's, or with /floors:K
// the last K programs').
//   startup_timer.exe <runs> [/floors:K] <program.exe>... <yardstick.exe>...
// Each program starts in its own folder, as a player starts it from Explorer. The time ends when
// the window is visible.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

HWND mainWindow = nullptr;

void CALLBACK windowCreated(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    wchar_t caption[32]{};
    if (object == OBJID_WINDOW && GetAncestor(window, GA_ROOT) == window &&
        GetWindowTextW(window, caption, 32) && std::wstring(caption) == L"Quorvel picker") {
        mainWindow = window;
    }
}

double now() {
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from CreateProcess to the window's showing; negative when it never showed.
double timeOne(const std::wstring& exe) {
    const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = now();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, folder.c_str(), &startup, &process)) {
        return -1;
    }
    mainWindow = nullptr;
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, windowCreated,
                        process.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    ResumeThread(process.hThread);
    double shown = -1;
    while (now() - start < 60000) {
        // Wine reports a window's creation to the hook but not its showing: once created, the
        // window is looked at every millisecond.
        MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, mainWindow ? 1 : 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        if (mainWindow && IsWindowVisible(mainWindow)) {
            shown = now() - start;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0)
            break;
    }
    UnhookWinEvent(hook);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown;
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int first = 2;
    std::size_t floors = 1;
    if (argc > 2 && std::wstring(argv[2]).rfind(L"/floors:", 0) == 0) {
        floors = static_cast<std::size_t>(std::max(1, _wtoi(argv[2] + 8)));
        first = 3;
    }
    if (argc - first < static_cast<int>(floors) + 1) {
        std::fputs(
            "usage: startup_timer.exe <runs> [/floors:K] <program.exe>... "
            "<yardstick.exe>...\n",
            stderr);
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    const std::vector<std::wstring> programs(argv + first, argv + argc);
    std::vector<std::vector<double>> times(programs.size());
    // One start of each first, not counted: the DLLs come into the page cache.
    for (const std::wstring& program : programs)
        timeOne(program);
    for (int run = 0; run < runs; ++run) {
        // Each round starts one program further on, so that every program takes every place in
        // the order equally often: a start right after another's end may find the machine in a
        // different state than a start after its own.
        for (std::size_t k = 0; k < programs.size(); ++k) {
            const std::size_t i = (k + static_cast<std::size_t>(run)) % programs.size();
            const double ms = timeOne(programs[i]);
            if (ms < 0) {
                std::fprintf(stderr, "%ls showed no window\n", programs[i].c_str());
                return 1;
            }
            times[i].push_back(ms);
            Sleep(200);
        }
    }
    const std::size_t yardsticks = programs.size() - floors;
    for (std::size_t i = 0; i < programs.size(); ++i) {
        std::printf("%ls:", programs[i].c_str());
        for (double ms : times[i])
            std::printf(" %.0f", ms);
        std::printf("\n  median %.1f ms", median(times[i]));
        for (std::size_t k = yardsticks; k < programs.size(); ++k) {
            if (k != i) {
                std::printf(", %.2fx %ls", median(times[i]) / median(times[k]),
                            programs[k].c_str());
            }
        }
        std::printf("\n");
    }
    return 0;
}
