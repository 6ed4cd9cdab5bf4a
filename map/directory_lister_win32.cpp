// The real directory listing on Windows: GetFullPathNameW and FindFirstFileExW.
#include "map/directory_lister_win32.h"

#include <windows.h>

#include <string>
#include <vector>

#include "map/directory_identity.h"
#include "map/listed_directory.h"

namespace qrvl {
namespace {

// The absolute path that names the directory. GetFullPathNameW resolves a relative text against
// the current directory, folds "." and "..", and drops trailing spaces as the file system does.
std::optional<std::wstring> fullPathOf(const std::wstring& text) {
    if (text.empty() || text.find(L'\0') != std::wstring::npos) {
        return std::nullopt;
    }
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetFullPathNameW(text.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) {
            return std::nullopt;
        }
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    while (!full.empty() && full.back() == L' ') {
        full.pop_back();
    }
    // Keep a root's separator ("C:\"); drop any other trailing one.
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) {
        full.pop_back();
    }
    if (full.empty()) {
        return std::nullopt;
    }
    return full;
}

std::wstring joined(const std::wstring& directory, const std::wstring& name) {
    if (!directory.empty() && (directory.back() == L'\\' || directory.back() == L'/')) {
        return directory + name;
    }
    return directory + L'\\' + name;
}

class FindFileLister final : public DirectoryLister {
  public:
    std::unique_ptr<Directory> open(const std::wstring& text) override {
        const std::optional<std::wstring> full = fullPathOf(text);
        if (!full) {
            return nullptr;
        }
        // A path that is not a directory fails here too: "file\*" finds nothing.
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileExW(joined(*full, L"*").c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (search == INVALID_HANDLE_VALUE) {
            return nullptr;
        }

        auto directory = std::make_unique<ListedDirectory>();
        directory->path_ = *full;
        directory->identity_ =
            directoryIdentity(*full).value_or(std::string(full->begin(), full->end()));

        std::vector<DirectoryFile> files;
        std::vector<std::wstring> subDirectories;
        do {
            const std::wstring name = found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                // Junctions and links to directories carry the directory attribute too, so they
                // are walked like directories; the identity check keeps a loop from going round.
                if (name != L"." && name != L"..") {
                    subDirectories.push_back(joined(*full, name));
                }
            } else {
                files.push_back(DirectoryFile{name, joined(*full, name)});
            }
        } while (FindNextFileW(search, &found));
        const DWORD stop = GetLastError();
        FindClose(search);
        if (stop != ERROR_NO_MORE_FILES) {
            // A listing broken off half-way would be a partial catalogue; take none of it.
            return directory;
        }
        directory->takeSorted(std::move(files), std::move(subDirectories));
        return directory;
    }
};

}  // namespace

std::shared_ptr<DirectoryLister> win32DirectoryLister() {
    return std::make_shared<FindFileLister>();
}

std::shared_ptr<DirectoryLister> systemDirectoryLister() {
    return win32DirectoryLister();
}

}  // namespace qrvl
