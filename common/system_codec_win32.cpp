// The system ANSI code page, through the platform's own conversion.
#include <windows.h>

#include "common/text_codec.h"

namespace qrvl {
namespace {

class AnsiCodec final : public TextCodec {
  public:
    std::string encode(std::wstring_view text) const override {
        if (text.empty()) {
            return {};
        }
        const int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                            nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<std::size_t>(n), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                              nullptr, nullptr);
        return out;
    }

    std::wstring decode(std::string_view bytes) const override {
        if (bytes.empty()) {
            return {};
        }
        const int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                            nullptr, 0);
        std::wstring out(static_cast<std::size_t>(n), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                              n);
        return out;
    }
};

}  // namespace

const TextCodec& systemCodec() {
    static const AnsiCodec codec;
    return codec;
}

}  // namespace qrvl
