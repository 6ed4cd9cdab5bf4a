// A code page that spells only the first 256 code points, as 1252 spells é but no Cyrillic or
// Korean, and a table of short names.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "map/ansi_path.h"

namespace qrvl::test {

class FakeAnsiPathApi final : public AnsiPathApi {
  public:
    const TextCodec& codec() const override { return codec_; }
    std::optional<std::wstring> GetShortPathNameW(const std::wstring& path) const override {
        const auto found = shortNames.find(path);
        return found == shortNames.end() ? std::nullopt : std::optional(found->second);
    }

    // Paths that have a short form; any other fails as a missing path does.
    std::map<std::wstring, std::wstring> shortNames;

  private:
    class Latin1 final : public TextCodec {
      public:
        std::string encode(std::wstring_view text) const override {
            std::string out;
            for (const wchar_t c : text) {
                out += c < 0x100 ? static_cast<char>(c) : '?';
            }
            return out;
        }
        std::wstring decode(std::string_view bytes) const override {
            std::wstring out;
            for (const char b : bytes) {
                out += static_cast<wchar_t>(static_cast<unsigned char>(b));
            }
            return out;
        }
    };
    Latin1 codec_;
};

}  // namespace qrvl::test
