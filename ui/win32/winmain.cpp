// qrvl.exe's entry point: "/pick" makes one update and ends, "/pick PATH" puts that map first,
// "/list" prints the maps, "/mark" marks one, "/preview" saves a map's picture; otherwise common
// controls, the main window, then the message loop.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ui/list_command.h"
#include "ui/map_commands.h"
#include "ui/pick_command.h"
#include "ui/preview_command.h"
#include "ui/win32/error_line.h"
#include "ui/win32/main_window.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/output_lines.h"
#include "ui/win32/program_folder.h"

namespace {

// The C runtime's own split of the command line (shell32's would load shell32 at every start).
std::vector<std::wstring> commandArguments() {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < __argc && __wargv; ++i)
        arguments.emplace_back(__wargv[i]);
    return arguments;
}

// Ends a command with its status, after its one line on standard error when it failed.
int finish(const qrvl::PickResult& result) {
    if (!result.reason.empty())
        qrvl::win32::writeErrorLine(result.reason);
    return result.status;
}

int list() {
    qrvl::win32::OutputLines output;
    const qrvl::PickResult result =
        qrvl::listMaps(qrvl::win32::executableDirectory(), qrvl::win32::ordinaryFileExists,
                       [&output](const std::wstring& line) { output.write(line); });
    output.flush();
    return finish(result);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    const std::vector<std::wstring> arguments = commandArguments();
    const qrvl::Launch launch = qrvl::parseLaunch(arguments);
    switch (launch.mode) {
        case qrvl::LaunchMode::Pick:
            return finish(qrvl::pickOnce(qrvl::win32::executableDirectory(),
                                         qrvl::win32::ordinaryFileExists));
        case qrvl::LaunchMode::PickMap:
            return finish(qrvl::pickMap(launch.path));
        case qrvl::LaunchMode::Mark:
            return finish(
                qrvl::markMap(qrvl::win32::executableDirectory(), launch.mark, launch.path));
        case qrvl::LaunchMode::List:
            return list();
        case qrvl::LaunchMode::Preview:
            return finish(qrvl::previewMap({arguments.begin() + 1, arguments.end()}));
        case qrvl::LaunchMode::Usage:
            qrvl::win32::writeErrorLine(qrvl::kUsageLine);
            return qrvl::kUsageStatus;
        case qrvl::LaunchMode::Window:
            break;
    }

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    qrvl::win32::MainWindow window;
    window.Open(showCommand);
    if (!window.handle()) {
        qrvl::win32::writeErrorLine(L"qrvl: cannot create the main window");
        return 1;
    }
    return qrvl::win32::runMessageLoop();
}
