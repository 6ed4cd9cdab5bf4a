// A code page that spells only the first 256 code points, and a table of short names.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "map/ansi_path.h"
#include "tests/latin1_codec.h"

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
    qrvl::test::Latin1Codec codec_;
};

}  // namespace qrvl::test
