// The real directory listing over std::filesystem: the native build's, and a reference under Wine.
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <type_traits>

#include "common/native_path.h"
#include "common/text_codec.h"
#include "map/directory_identity.h"
#include "map/directory_lister.h"
#include "map/listed_directory.h"

namespace fs = std::filesystem;

namespace qrvl {
namespace {

constexpr wchar_t kSeparator = static_cast<wchar_t>(fs::path::preferred_separator);

// A native path as program text. On POSIX, names are bytes that are meant to be UTF-8; one that is
// not has no text form that leads back to the same file, so it has none at all here.
template <typename Native>
std::optional<std::wstring> textOf(const Native& native) {
    if constexpr (std::is_same_v<Native, std::wstring>) {
        return native;
    } else {
        std::wstring text = utf8Codec().decode(native);
        if (utf8Codec().encode(text) != native) {
            return std::nullopt;
        }
        return text;
    }
}

template <typename Native>
std::wstring lossyTextOf(const Native& native) {
    if constexpr (std::is_same_v<Native, std::wstring>) {
        return native;
    } else {
        return utf8Codec().decode(native);
    }
}

bool hasDotComponent(const fs::path& path) {
    return std::any_of(path.begin(), path.end(),
                       [](const fs::path& part) { return part == "." || part == ".."; });
}

// The absolute path that names the directory, in the form the platform reports it.
std::optional<fs::path> fullPathOf(const std::wstring& text) {
    std::wstring trimmed = text;
    // Windows drops trailing spaces from a path; the main window relies on it, so do it everywhere.
    while (!trimmed.empty() && trimmed.back() == L' ') {
        trimmed.pop_back();
    }
    if (trimmed.empty() || trimmed.find(L'\0') != std::wstring::npos) {
        return std::nullopt;
    }
    std::error_code ec;
    fs::path full = fs::absolute(nativePath(trimmed), ec);
    if (ec) {
        return std::nullopt;
    }
    if (hasDotComponent(full)) {
        // ".." after a link leads where the link's target is, which only the file system knows.
        full = fs::canonical(full, ec);
        if (ec) {
            return std::nullopt;
        }
    } else {
        full = full.lexically_normal();
    }
    if (!full.has_filename() && full.has_relative_path()) {
        full = full.parent_path();
    }
    return full;
}

std::wstring joined(const std::wstring& directory, const std::wstring& name) {
    if (!directory.empty() && (directory.back() == kSeparator || directory.back() == L'/')) {
        return directory + name;
    }
    return directory + kSeparator + name;
}

class FileSystemLister final : public DirectoryLister {
  public:
    std::unique_ptr<Directory> open(const std::wstring& text) override { return openText(text); }

  private:
    static std::unique_ptr<Directory> openText(const std::wstring& text) {
        const std::optional<fs::path> full = fullPathOf(text);
        if (!full) {
            return nullptr;
        }
        std::optional<std::wstring> directoryText = textOf(full->native());
        if (!directoryText) {
            return nullptr;
        }
        return list(*full, std::move(*directoryText));
    }

    static std::unique_ptr<Directory> list(const fs::path& full, std::wstring directoryText) {
        // Listing a path that is not a directory fails, so it needs no test of its own.
        std::error_code ec;
        fs::directory_iterator it(full, ec);
        if (ec) {
            return nullptr;
        }

        auto directory = std::make_unique<ListedDirectory>();
        directory->identity_ =
            directoryIdentity(directoryText).value_or(utf8Codec().encode(directoryText));
        directory->path_ = std::move(directoryText);
        // A listed path is absolute and has no "." or "..", so it needs no resolving again.
        directory->opener_ = [](const ListedDirectory::SubDirectory& sub) {
            if (ListedDirectory::opensAsText(sub.path)) {
                return openText(sub.path);
            }
            return list(nativePath(sub.path), sub.path);
        };

        std::vector<DirectoryFile> files;
        std::vector<ListedDirectory::SubDirectory> subDirectories;
        for (fs::directory_iterator end; it != end; it.increment(ec)) {
            const auto name = it->path().filename().native();
            std::optional<std::wstring> nameText = textOf(name);
            std::error_code statusError;
            // is_directory follows links, so a link to a directory is walked like one.
            if (it->is_directory(statusError)) {
                if (nameText) {
                    subDirectories.push_back({joined(directory->path_, *nameText), std::nullopt});
                }
                continue;
            }
            if (nameText) {
                std::wstring path = joined(directory->path_, *nameText);
                files.push_back(DirectoryFile{std::move(*nameText), std::move(path)});
            } else {
                files.push_back(DirectoryFile{lossyTextOf(name), std::nullopt});
            }
        }
        if (ec) {
            // A listing broken off half-way would be a partial catalogue; take none of it.
            return directory;
        }
        directory->takeSorted(std::move(files), std::move(subDirectories));
        return directory;
    }
};

}  // namespace

std::shared_ptr<DirectoryLister> portableDirectoryLister() {
    return std::make_shared<FileSystemLister>();
}

}  // namespace qrvl
