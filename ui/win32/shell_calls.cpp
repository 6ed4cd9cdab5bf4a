// The shell seam on Windows: our records copied into the platform's and the calls made as is.
#include "ui/win32/shell_calls.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <cstddef>
#include <cstring>

#include "common/system_function_win32.h"

namespace qrvl {

namespace {

// Our record must be the platform's first form byte for byte, so that the size sent is the
// platform's own NOTIFYICONDATAA_V1_SIZE.
static_assert(sizeof(NotifyIconDataA) == NOTIFYICONDATAA_V1_SIZE);
static_assert(offsetof(NotifyIconDataA, hWnd) == offsetof(NOTIFYICONDATAA, hWnd));
static_assert(offsetof(NotifyIconDataA, uID) == offsetof(NOTIFYICONDATAA, uID));
static_assert(offsetof(NotifyIconDataA, uFlags) == offsetof(NOTIFYICONDATAA, uFlags));
static_assert(offsetof(NotifyIconDataA, uCallbackMessage) ==
              offsetof(NOTIFYICONDATAA, uCallbackMessage));
static_assert(offsetof(NotifyIconDataA, hIcon) == offsetof(NOTIFYICONDATAA, hIcon));
static_assert(offsetof(NotifyIconDataA, szTip) == offsetof(NOTIFYICONDATAA, szTip));
static_assert(sizeof(NotifyIconDataA::szTip) == 64);

// shell32 and ole32 are loaded the first time a call needs them, not with the exe: a start that
// needs neither the folder dialog nor the tray shows its window without paying for them (shell32
// alone brings shlwapi and shcore). A function that cannot be found answers as a failed call.
// Every shell32 or ole32 call below goes through systemFunction, so that neither DLL becomes an
// import.
template <typename Function>
Function* shell32(const char* name) {
    return systemFunction<Function>(L"shell32.dll", name);
}

class Win32ShellApi final : public ShellApi {
  public:
    const TextCodec& codec() const override { return systemCodec(); }

    std::int32_t Shell_NotifyIconA(std::uint32_t message, const NotifyIconDataA* data) override {
        // The window removes the icon at every showing, the first one included. Until an icon
        // has been asked for there is none of ours to remove, and shell32 would answer that it
        // found none: answer so without loading it on the way to the first showing.
        if (message == NIM_DELETE && !iconAsked_)
            return FALSE;
        iconAsked_ = true;
        // The shell reads only cbSize bytes; the rest of the larger platform record stays zero.
        NOTIFYICONDATAA platform{};
        std::memcpy(&platform, data, sizeof(NotifyIconDataA));
        static const auto call = shell32<decltype(::Shell_NotifyIconA)>("Shell_NotifyIconA");
        return call ? call(message, &platform) : 0;
    }

    ItemIdList SHBrowseForFolderA(const BrowseInfoA* info) override {
        BROWSEINFOA platform{};
        platform.hwndOwner = reinterpret_cast<HWND>(info->hwndOwner);
        platform.pidlRoot = static_cast<PCIDLIST_ABSOLUTE>(info->pidlRoot);
        platform.pszDisplayName = info->pszDisplayName;
        platform.lpszTitle = info->lpszTitle;
        platform.ulFlags = info->ulFlags;
        platform.lpfn = nullptr;
        platform.lParam = static_cast<LPARAM>(info->lParam);
        platform.iImage = info->iImage;
        static const auto call = shell32<decltype(::SHBrowseForFolderA)>("SHBrowseForFolderA");
        return call ? call(&platform) : nullptr;
    }

    std::int32_t SHGetPathFromIDListW(ItemIdList list, wchar_t* path) override {
        static const auto call = shell32<decltype(::SHGetPathFromIDListW)>("SHGetPathFromIDListW");
        return call ? call(static_cast<PCIDLIST_ABSOLUTE>(list), path) : 0;
    }

    void CoTaskMemFree(void* memory) override {
        static const auto call =
            systemFunction<decltype(::CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
        if (call)
            call(memory);
    }

    std::uint32_t WinExec(const char* commandLine, std::uint32_t showCommand) override {
        return ::WinExec(commandLine, showCommand);
    }

  private:
    bool iconAsked_ = false;
};

}  // namespace

std::shared_ptr<ShellApi> win32ShellApi() {
    static const auto api = std::make_shared<Win32ShellApi>();
    return api;
}

}  // namespace qrvl
