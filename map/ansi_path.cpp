// Choosing the spelling of a path that the ANSI calls can take.
#include "map/ansi_path.h"

namespace qrvl {

namespace {

template <typename Fits>
std::optional<std::wstring> firstFitting(const AnsiPathApi& api, const std::wstring& path,
                                         Fits fits) {
    if (fits(path)) {
        return path;
    }
    // Only a path that needs it pays for the file-system call.
    std::optional<std::wstring> shortPath = api.GetShortPathNameW(path);
    if (shortPath && fits(*shortPath)) {
        return shortPath;
    }
    return std::nullopt;
}

}  // namespace

bool survivesAnsi(const TextCodec& codec, std::wstring_view text) {
    return codec.decode(codec.encode(text)) == text;
}

std::optional<std::wstring> ansiSpelling(const AnsiPathApi& api, const std::wstring& path) {
    return firstFitting(api, path,
                        [&](const std::wstring& p) { return survivesAnsi(api.codec(), p); });
}

std::optional<std::wstring> ansiOpenablePath(const AnsiPathApi& api, const std::wstring& path) {
    return firstFitting(api, path, [&](const std::wstring& p) {
        return p.size() <= kAnsiPathMaxLength && survivesAnsi(api.codec(), p);
    });
}

}  // namespace qrvl
