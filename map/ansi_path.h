// Paths as the game's ANSI calls can spell and open them: unchanged, or their short (8.3) form.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/text_codec.h"

namespace qrvl {

// The game reads "Recent Maps" and we write config.ini through the ANSI calls, which turn every
// character their code page lacks into "?", and which cannot open a path longer than this.
inline constexpr std::size_t kAnsiPathMaxLength = 259;

// The platform calls behind the rule below.
class AnsiPathApi {
  public:
    virtual ~AnsiPathApi() = default;

    // The code page of the ANSI calls.
    virtual const TextCodec& codec() const = 0;
    // The short form of an existing path, as GetShortPathNameW gives it (components without a
    // short name keep their long one); nullopt when the call fails.
    virtual std::optional<std::wstring> GetShortPathNameW(const std::wstring& path) const = 0;
};

// GetShortPathNameW and the system ANSI code page on Windows. Elsewhere UTF-8, which spells
// every name, and no short names.
std::shared_ptr<AnsiPathApi> systemAnsiPathApi();

// True when the text comes back unchanged from the code page.
bool survivesAnsi(const TextCodec& codec, std::wstring_view text);

// The path itself when the code page spells it, else its short form when that is spelled, else
// nullopt. Both name the same file or directory.
std::optional<std::wstring> ansiSpelling(const AnsiPathApi& api, const std::wstring& path);

// A path the ANSI calls can open: as ansiSpelling, and at most kAnsiPathMaxLength characters
// long. nullopt when the file has no such path.
std::optional<std::wstring> ansiOpenablePath(const AnsiPathApi& api, const std::wstring& path);

}  // namespace qrvl
