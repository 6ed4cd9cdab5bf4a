// The system ANSI code page and kernel32's short (8.3) names.
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "map/ansi_path.h"

namespace qrvl {

namespace {

constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";

// A path of MAX_PATH characters or more reaches the file system only in its "\\?\" form. That
// form takes no "." or "/", but the paths asked about here are full paths, as listed.
std::wstring extendedForm(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.starts_with(kExtended)) {
        return path;
    }
    if (path.starts_with(L"\\\\")) {
        return std::wstring(kExtendedUnc) + path.substr(2);
    }
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        return std::wstring(kExtended) + path;
    }
    return path;
}

// The answer comes in the form it was asked in; give it back in the form it was given.
std::wstring givenForm(const std::wstring& given, std::wstring answer) {
    if (given.starts_with(kExtended)) {
        return answer;
    }
    if (answer.starts_with(kExtendedUnc)) {
        return L"\\\\" + answer.substr(kExtendedUnc.size());
    }
    if (answer.starts_with(kExtended)) {
        return answer.substr(kExtended.size());
    }
    return answer;
}

class Win32AnsiPathApi final : public AnsiPathApi {
  public:
    const TextCodec& codec() const override { return systemCodec(); }

    std::optional<std::wstring> GetShortPathNameW(const std::wstring& path) const override {
        if (path.empty() || path.find(L'\0') != std::wstring::npos) {
            return std::nullopt;
        }
        const std::wstring asked = extendedForm(path);
        std::wstring shortPath(MAX_PATH, L'\0');
        for (;;) {
            const DWORD n = ::GetShortPathNameW(asked.c_str(), shortPath.data(),
                                                static_cast<DWORD>(shortPath.size()));
            if (n == 0) {
                return std::nullopt;
            }
            // Too small a buffer gives the size needed, its NUL included.
            if (n < shortPath.size()) {
                shortPath.resize(n);
                return givenForm(path, std::move(shortPath));
            }
            shortPath.resize(n);
        }
    }
};

}  // namespace

std::shared_ptr<AnsiPathApi> systemAnsiPathApi() {
    static const auto api = std::make_shared<Win32AnsiPathApi>();
    return api;
}

}  // namespace qrvl
