// The Maps window over 10,000 maps with every map in the cache: from the command to the full
// list (every map listed with what it says), a keystroke in the search box, and a column sort.
// Each run is a main window made afresh in this process, so that nothing is read before the
// command but the cache file, which the first run fills.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "ui/res/resource.h"
#include "ui/win32/main_window.h"
#include "ui/win32/message_loop.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

template <typename Done>
bool pumpUntil(Done done, std::chrono::seconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline)
            return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            qrvl::win32::dispatch(message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return true;
}

std::wstring statusOf(HWND maps) {
    wchar_t text[512]{};
    SendMessageW(GetDlgItem(maps, IDC_MAPS_STATUS), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

int rowsOf(HWND maps) {
    return static_cast<int>(SendMessageW(GetDlgItem(maps, IDC_MAPS_LIST), LVM_GETITEMCOUNT, 0, 0));
}

struct Times {
    std::vector<double> open;
    std::vector<double> keystroke;
    std::vector<double> sort;
};

// One main window over the tree: the scan first, then the Maps window's command.
bool run(const std::wstring& app, int expected, Times& times) {
    qrvl::win32::MainWindowOptions options;
    options.appPath = app;
    options.end = [] {};
    qrvl::win32::MainWindow window(std::move(options));
    window.Open(SW_SHOWNORMAL);
    qrvl::Form1& form = window.form();
    if (!pumpUntil([&] { return form.catalogue().allMaps().Count() >= expected; },
                   std::chrono::seconds(120))) {
        std::fprintf(stderr, "the scan found %d maps, not %d\n", form.catalogue().allMaps().Count(),
                     expected);
        return false;
    }
    const auto start = Clock::now();
    form.maps.Raise();
    HWND maps = window.mapsWindow();
    if (!maps || !pumpUntil(
                     [&] {
                         return rowsOf(maps) == expected &&
                                statusOf(maps).find(L"to read") == std::wstring::npos;
                     },
                     std::chrono::seconds(120))) {
        std::fprintf(stderr, "the Maps window never listed every map\n");
        return false;
    }
    times.open.push_back(millisecondsSince(start));

    // A keystroke: the box's change narrows the list before SetWindowText returns.
    HWND search = GetDlgItem(maps, IDC_MAPS_SEARCH);
    const auto typed = Clock::now();
    SetWindowTextW(search, L"map 12");
    times.keystroke.push_back(millisecondsSince(typed));
    SetWindowTextW(search, L"");

    // A click on the Players header, as the list reports it.
    NMLISTVIEW click{};
    click.hdr.hwndFrom = GetDlgItem(maps, IDC_MAPS_LIST);
    click.hdr.idFrom = IDC_MAPS_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = 2;
    const auto sorted = Clock::now();
    SendMessageW(maps, WM_NOTIFY, IDC_MAPS_LIST, reinterpret_cast<LPARAM>(&click));
    times.sort.push_back(millisecondsSince(sorted));
    return true;
}

}  // namespace

// maps_window_bench [runs] [tree]: the tree defaults to the benchmark corpus laid out as the
// standard tree (make_map_corpus's second argument).
int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
    const std::wstring tree = argc > 2 ? argv[2] : L"Z:\\tmp\\qrvl-bench-corpus-tree";
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    wchar_t temp[MAX_PATH]{};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring app = std::wstring(temp) + L"qrvl-maps-window-bench";
    std::filesystem::create_directories(app);
    std::filesystem::remove(app + L"\\qrvl-maps.cache");
    WritePrivateProfileStringW(L"QRVL", L"path", (tree + L"\\").c_str(),
                               (app + L"\\config.ini").c_str());
    WritePrivateProfileStringW(L"QRVL", L"scm", L"yes", (app + L"\\config.ini").c_str());
    WritePrivateProfileStringW(L"QRVL", L"scx", L"yes", (app + L"\\config.ini").c_str());

    // How many maps the tree holds: the first run reads them cold and fills the cache.
    qrvl::Catalogue catalogue;
    catalogue.rebuildCatalogue(tree);
    const int expected = catalogue.allMaps().Count();
    std::printf("%d maps under %ls\n", expected, tree.c_str());
    Times cold;
    if (expected == 0 || !run(app, expected, cold))
        return 1;
    std::printf("cold (filling the cache): list %.1f ms\n", cold.open.back());

    Times warm;
    for (int i = 0; i < runs; ++i) {
        if (!run(app, expected, warm))
            return 1;
        std::printf("run %d: full list %.1f ms, keystroke %.1f ms, sort %.1f ms\n", i + 1,
                    warm.open.back(), warm.keystroke.back(), warm.sort.back());
        std::fflush(stdout);
    }
    std::printf(
        "medians over %d runs: full list %.1f ms (goal 150), keystroke %.1f ms (goal 30), "
        "sort %.1f ms (goal 50)\n",
        runs, qrvl::bench::median(warm.open), qrvl::bench::median(warm.keystroke),
        qrvl::bench::median(warm.sort));
    return 0;
}
