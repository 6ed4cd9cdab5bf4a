// The shell seam on Windows: our records copied into the platform's and the calls made as is.
#include "ui/win32/shell_calls.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <cstddef>
#include <cstring>

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

class Win32ShellApi final : public ShellApi {
  public:
    const TextCodec& codec() const override { return systemCodec(); }

    std::int32_t Shell_NotifyIconA(std::uint32_t message, const NotifyIconDataA* data) override {
        // The shell reads only cbSize bytes; the rest of the larger platform record stays zero.
        NOTIFYICONDATAA platform{};
        std::memcpy(&platform, data, sizeof(NotifyIconDataA));
        return ::Shell_NotifyIconA(message, &platform);
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
        return ::SHBrowseForFolderA(&platform);
    }

    std::int32_t SHGetPathFromIDListW(ItemIdList list, wchar_t* path) override {
        return ::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(list), path);
    }

    void CoTaskMemFree(void* memory) override { ::CoTaskMemFree(memory); }

    std::uint32_t WinExec(const char* commandLine, std::uint32_t showCommand) override {
        return ::WinExec(commandLine, showCommand);
    }
};

}  // namespace

std::shared_ptr<ShellApi> win32ShellApi() {
    static const auto api = std::make_shared<Win32ShellApi>();
    return api;
}

}  // namespace qrvl
