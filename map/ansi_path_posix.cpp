// Off Windows the stand-ins' "A" calls take UTF-8 and the file systems keep no short names.
#include "map/ansi_path.h"

namespace qrvl {

namespace {

class PosixAnsiPathApi final : public AnsiPathApi {
  public:
    const TextCodec& codec() const override { return systemCodec(); }
    std::optional<std::wstring> GetShortPathNameW(const std::wstring&) const override {
        return std::nullopt;
    }
};

}  // namespace

std::shared_ptr<AnsiPathApi> systemAnsiPathApi() {
    static const auto api = std::make_shared<PosixAnsiPathApi>();
    return api;
}

}  // namespace qrvl
