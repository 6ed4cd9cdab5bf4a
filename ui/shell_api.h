// The shell seam: the notification-area, folder-dialog and program-start calls, in their ANSI form
// except the chosen folder's path, which comes wide so that a name in any script survives.
#pragma once

#include <cstdint>
#include <memory>

#include "common/text_codec.h"

namespace qrvl {

// Window and icon handles as pointer-sized integers (0 is "none").
using WindowHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;
// The shell's item identifier list, owned by the caller once returned (free with CoTaskMemFree).
using ItemIdList = void*;

// NOTIFYICONDATAA in its first form: the same fields, order and padding as the platform's, so
// its size is the platform's NOTIFYICONDATAA_V1_SIZE (88 bytes on 32-bit, 104 on 64-bit).
struct NotifyIconDataA {
    std::uint32_t cbSize;
    WindowHandle hWnd;
    std::uint32_t uID;
    std::uint32_t uFlags;
    std::uint32_t uCallbackMessage;
    IconHandle hIcon;
    char szTip[64];
};
inline constexpr std::uint32_t kNotifyIconDataV1Size = sizeof(NotifyIconDataA);

inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimModify = 1;
inline constexpr std::uint32_t kNimDelete = 2;
inline constexpr std::uint32_t kNifMessage = 1;
inline constexpr std::uint32_t kNifIcon = 2;
inline constexpr std::uint32_t kNifTip = 4;

// BROWSEINFOA, field for field.
struct BrowseInfoA {
    WindowHandle hwndOwner;
    const void* pidlRoot;
    char* pszDisplayName;
    const char* lpszTitle;
    std::uint32_t ulFlags;
    std::uintptr_t lpfn;  // a callback address; always 0 here
    std::intptr_t lParam;
    std::int32_t iImage;
};

inline constexpr std::uint32_t kBifReturnOnlyFsDirs = 1;
// SHGetPathFromIDListW writes at most MAX_PATH (260) characters; we hand over more.
inline constexpr std::uint32_t kBrowsePathBufferSize = 512;

// Show states for starting a program.
inline constexpr std::uint32_t kSwShowNormal = 1;
inline constexpr std::uint32_t kSwShowMinimized = 2;

// Every call answers exactly as its Windows namesake does. Texts of the "A" calls are 8-bit, in
// codec()'s code page. The calls may run the event loop (the folder dialog is modal), so handlers
// can nest inside them.
class ShellApi {
  public:
    virtual ~ShellApi() = default;

    virtual const TextCodec& codec() const = 0;

    // NIM_ADD / NIM_DELETE with a record of data->cbSize bytes; nonzero on success.
    virtual std::int32_t Shell_NotifyIconA(std::uint32_t message, const NotifyIconDataA* data) = 0;
    // Shows the folder dialog; the chosen item's identifier list, or null when cancelled.
    virtual ItemIdList SHBrowseForFolderA(const BrowseInfoA* info) = 0;
    // Writes the item's NUL-terminated file-system path into `path` (room for
    // kBrowsePathBufferSize characters); nonzero on success, 0 when the item has no such path or
    // the list is null.
    virtual std::int32_t SHGetPathFromIDListW(ItemIdList list, wchar_t* path) = 0;
    virtual void CoTaskMemFree(void* memory) = 0;
    // Starts a command line with a show state (WinExec); above 31 when it started.
    virtual std::uint32_t WinExec(const char* commandLine, std::uint32_t showCommand) = 0;
};

}  // namespace qrvl
