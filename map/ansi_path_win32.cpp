// The system ANSI code page and kernel32's short (8.3) names.
#include <windows.h>

#include "map/ansi_path.h"

namespace qrvl {

namespace {

class Win32AnsiPathApi final : public AnsiPathApi {
  public:
    const TextCodec& codec() const override { return systemCodec(); }

    std::optional<std::wstring> GetShortPathNameW(const std::wstring& path) const override {
        if (path.empty() || path.find(L'\0') != std::wstring::npos) {
            return std::nullopt;
        }
        std::wstring shortPath(MAX_PATH, L'\0');
        for (;;) {
            const DWORD n = ::GetShortPathNameW(path.c_str(), shortPath.data(),
                                                static_cast<DWORD>(shortPath.size()));
            if (n == 0) {
                return std::nullopt;
            }
            // Too small a buffer gives the size needed, its NUL included.
            if (n < shortPath.size()) {
                shortPath.resize(n);
                return shortPath;
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
