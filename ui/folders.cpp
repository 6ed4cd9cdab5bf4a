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
    const TextCodec& codec = shell.codec();
    const std::string title = codec.encode(kBrowseTitle);

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
    std::string buffer(kBrowsePathBufferSize, ' ');
    if (shell.SHGetPathFromIDListA(list, buffer.data()) == 0) {
        return {};
    }
    const std::size_t end = buffer.find('\0');
    return codec.decode(std::string_view(buffer).substr(0, end));
}

}  // namespace qrvl
