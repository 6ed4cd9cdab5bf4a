// The floor for qrvl.exe's start-up: qrvl.exe's own main window, built by the same code with the
// same controls, menus, icon and manifest, after the same common-controls set-up, but over seams
// that do nothing. Its settings read as missing and are never written, its registry is an empty
// one in memory, and with no folder named nothing is scanned or watched. What qrvl.exe takes
// beyond this window is the work of reading config.ini, scanning and updating.
//
// It looks for config.ini beside itself as qrvl.exe does; measure_startup.sh puts an empty one
// there, so that no first-run folder dialog opens.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "registry/portable_registry_store.h"
#include "settings/profile_api.h"
#include "ui/win32/main_window.h"
#include "ui/win32/message_loop.h"

namespace {

// Every key is missing: a read gives the default, as kernel32 gives it for a key not there.
class MissingSettings final : public qrvl::ProfileApi {
  public:
    const qrvl::TextCodec& codec() const override { return qrvl::systemCodec(); }

    std::uint32_t GetPrivateProfileStringA(const char*, const char*, const char* defaultText,
                                           char* buffer, std::uint32_t size, const char*) override {
        if (size == 0)
            return 0;
        const std::size_t length = std::min<std::size_t>(std::strlen(defaultText), size - 1);
        std::memcpy(buffer, defaultText, length);
        buffer[length] = '\0';
        return static_cast<std::uint32_t>(length);
    }

    std::int32_t WritePrivateProfileStringA(const char*, const char*, const char*,
                                            const char*) override {
        return 1;
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // As qrvl.exe's entry point does before its window.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    qrvl::win32::MainWindowOptions options;
    options.seams.profile = std::make_shared<MissingSettings>();
    options.seams.registry = std::make_shared<qrvl::reg::PortableRegistryStore>();
    qrvl::win32::MainWindow window(std::move(options));
    window.Open(showCommand);
    if (!window.handle())
        return 1;
    return qrvl::win32::runMessageLoop();
}
