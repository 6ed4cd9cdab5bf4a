// qrvl.exe's entry point: common controls, the main window, then the message loop.
#include <windows.h>

#include <commctrl.h>

#include "ui/win32/main_window.h"
#include "ui/win32/message_loop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    qrvl::win32::MainWindow window;
    window.Open(showCommand);
    if (!window.handle())
        return 1;
    return qrvl::win32::runMessageLoop();
}
