// The folder dialog: BROWSEINFO in, the chosen directory's path out.
#include "ui/folders.h"

#include <string>

namespace qrvl {

namespace {

// Releases the dialog's identifier list however the caller leaves, and only when there is one.
class ListRelease {
  public:
    ListRelease(ShellApi& shell, ItemIdList list) : shell_(shell), list_(list) {}
    ~ListRelease() {
        if (list_ != nullptr) {
            shell_.CoTaskMemFree(list_);
        }
    }
    ListRelease(const ListRelease&) = delete;
    ListRelease& operator=(const ListRelease&) = delete;

  private:
    ShellApi& shell_;
    ItemIdList list_;
};

}  // namespace

std::wstring BrowseForFolder(ShellApi& shell, WindowHandle owner) {
    const std::string title = shell.codec().encode(kBrowseTitle);

    BrowseInfoA info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = kBifReturnOnlyFsDirs;

    const ItemIdList list = shell.SHBrowseForFolderA(&info);
    const ListRelease release(shell, list);
    // A cancelled dialog gives no list, and the path call is not documented for a null one.
    if (list == nullptr) {
        return {};
    }
    // The path comes wide: a folder whose name the ANSI code page cannot spell would come back
    // from the "A" call with "?" in it, naming no directory.
    std::wstring buffer(kBrowsePathBufferSize, L' ');
    if (shell.SHGetPathFromIDListW(list, buffer.data()) == 0) {
        return {};
    }
    return buffer.substr(0, buffer.find(L'\0'));
}

}  // namespace qrvl
