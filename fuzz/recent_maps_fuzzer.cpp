// Any "Recent Maps" value the game or another program may leave, of any type and any bytes,
// through the update's own read, split and rebuild; the written list is checked against the
// update's rule, worked out here from the stored type and bytes alone.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_codec.h"
#include "map/map_collection.h"
#include "map/random_source.h"
#include "map/recent_maps.h"
#include "registry/registry_api.h"

namespace {

using namespace qrvl;

constexpr char kPick[] = "C:\\maps\\pick.scm";

// Expanding "%QRVL_FUZZ_LONG%" needs more room than the text it is in, which the update's
// expansion meets only in a second round.
constexpr std::string_view kLongVariable = "QRVL_FUZZ_LONG";
const std::string kLongValue(300, 'L');

// The game's one value, behind the registry calls the update makes, answering as Windows does:
// a buffer too small gives kMoreData and the size needed. Every key opens; a value is only
// ever the last one written. UTF-8 is its code page, as the portable store's.
class OneValueRegistry final : public reg::RegistryApi {
  public:
    std::uint32_t type = 0;
    std::string bytes;

    const TextCodec& codec() const override { return utf8Codec(); }
    std::int32_t RegOpenKeyExA(reg::Handle, const char*, std::uint32_t, std::uint32_t,
                               reg::Handle* result) override {
        *result = 1;
        return reg::kSuccess;
    }
    std::int32_t RegCloseKey(reg::Handle) override { return reg::kSuccess; }
    std::int32_t RegQueryValueExA(reg::Handle, const char*, std::uint32_t*, std::uint32_t* type_,
                                  std::uint8_t* data, std::uint32_t* cbData) override {
        const auto size = static_cast<std::uint32_t>(bytes.size());
        if (type_ != nullptr) {
            *type_ = type;
        }
        std::int32_t rc = reg::kSuccess;
        if (data != nullptr) {
            if (*cbData < size) {
                rc = reg::kMoreData;
            } else {
                std::memcpy(data, bytes.data(), size);
            }
        }
        if (cbData != nullptr) {
            *cbData = size;
        }
        return rc;
    }
    std::int32_t RegSetValueExA(reg::Handle, const char*, std::uint32_t, std::uint32_t type_,
                                const std::uint8_t* data, std::uint32_t cbData) override {
        type = type_;
        bytes.assign(reinterpret_cast<const char*>(data), cbData);
        return reg::kSuccess;
    }
    std::int32_t RegCreateKeyExA(reg::Handle, const char*, std::uint32_t, const char*,
                                 std::uint32_t, std::uint32_t, const reg::SecurityAttributes*,
                                 reg::Handle*, std::uint32_t*) override {
        return reg::kInvalidParameter;
    }
    std::int32_t RegDeleteKeyA(reg::Handle, const char*) override { return reg::kInvalidParameter; }
    std::int32_t RegDeleteValueA(reg::Handle, const char*) override {
        return reg::kInvalidParameter;
    }
    std::int32_t RegEnumKeyExA(reg::Handle, std::uint32_t, char*, std::uint32_t*, std::uint32_t*,
                               char*, std::uint32_t*, reg::FileTime*) override {
        return reg::kInvalidParameter;
    }
    std::int32_t RegEnumValueA(reg::Handle, std::uint32_t, char*, std::uint32_t*, std::uint32_t*,
                               std::uint32_t*, std::uint8_t*, std::uint32_t*) override {
        return reg::kInvalidParameter;
    }
    std::int32_t RegConnectRegistryA(const char*, reg::Handle, reg::Handle*) override {
        return reg::kInvalidParameter;
    }

    // "%name%" becomes the variable's value when the name is QRVL_FUZZ_LONG in any case, and
    // keeps its text otherwise; a "%" without a closing one stays as it is.
    std::uint32_t ExpandEnvironmentStringsA(const char* src, char* dst,
                                            std::uint32_t size) override {
        const std::string_view text(src);
        std::string out;
        std::size_t i = 0;
        while (i < text.size()) {
            const std::size_t open = text.find('%', i);
            const std::size_t close =
                open == std::string_view::npos ? open : text.find('%', open + 1);
            if (close == std::string_view::npos) {
                out.append(text.substr(i));
                break;
            }
            out.append(text.substr(i, open - i));
            const std::string_view name = text.substr(open + 1, close - open - 1);
            const bool known = name.size() == kLongVariable.size() &&
                               std::equal(name.begin(), name.end(), kLongVariable.begin(),
                                          [](char a, char b) { return std::toupper(a) == b; });
            out.append(known ? std::string_view(kLongValue) : text.substr(open, close - open + 1));
            i = close + 1;
        }
        if (dst != nullptr && size > 0) {
            const std::size_t n = std::min<std::size_t>(out.size(), size - 1);
            std::memcpy(dst, out.data(), n);
            dst[n] = '\0';
        }
        return static_cast<std::uint32_t>(out.size() + 1);
    }
};

class FixedRandom final : public RandomSource {
  public:
    void reseed() override {}
    float draw() override { return 0.5f; }
};

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// What the update's text round trip makes of bytes: the store's code page is UTF-8, so a byte
// sequence that does not decode comes back as U+FFFD.
std::string normalised(const std::string& bytes) {
    return utf8Codec().encode(utf8Codec().decode(bytes));
}

std::string withoutTrailingNuls(std::string bytes, int most) {
    for (int i = 0; i < most && !bytes.empty() && bytes.back() == '\0'; ++i) {
        bytes.pop_back();
    }
    return bytes;
}

// The expansion of a C string, asked of the store in one call with all the room it needs.
std::string expanded(reg::RegistryApi& store, const std::string& text) {
    const std::uint32_t needed = store.ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    std::string out(needed, '\0');
    store.ExpandEnvironmentStringsA(text.c_str(), out.data(), needed);
    out.resize(needed - 1);
    return out;
}

// The old list's text as the update reads a value of this type and these bytes; nullopt when
// the value gives no text, so that the pick stands alone.
std::optional<std::string> oldText(reg::RegistryApi& store, std::uint32_t type,
                                   const std::string& bytes) {
    switch (type) {
        case reg::kTypeSz:
            if (bytes.empty()) {
                return std::nullopt;
            }
            return normalised(withoutTrailingNuls(bytes, 1));
        case reg::kTypeExpandSz: {
            if (bytes.empty()) {
                return std::nullopt;
            }
            // The expansion reads its text as a C string: it ends at the first NUL.
            const std::string text = normalised(withoutTrailingNuls(bytes, 1));
            return normalised(expanded(store, text.substr(0, text.find('\0'))));
        }
        case reg::kTypeDword: {
            std::uint32_t n = 0;
            for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) {
                n |= std::uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
            }
            return std::to_string(static_cast<std::int32_t>(n));
        }
        case reg::kTypeMultiSz: {
            // An empty first entry ends a multi-string: nothing follows it.
            const std::string text = withoutTrailingNuls(bytes, 2);
            if (text.empty() || text[0] == '\0') {
                return std::nullopt;
            }
            return normalised(text);
        }
        default:
            // Bytes, numbers in other forms, and unknown types have no text.
            return std::nullopt;
    }
}

// The pick, then the first four NUL-separated pieces of the old text (an empty piece counts as
// one), each closed by a NUL, then the NUL that closes the list.
std::string expectedList(const std::optional<std::string>& old) {
    std::string list = std::string(kPick) + '\0';
    if (old && !old->empty()) {
        std::size_t start = 0;
        for (int piece = 0; piece < 4 && start <= old->size(); ++piece) {
            const std::size_t end = std::min(old->find('\0', start), old->size());
            list.append(*old, start, end - start);
            list += '\0';
            start = end + 1;
        }
    }
    return list + '\0';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    // Mostly the types the update reads, now and then any number at all.
    const std::uint32_t type = provider.ConsumeBool()
                                   ? provider.ConsumeIntegralInRange<std::uint32_t>(0, 11)
                                   : provider.ConsumeIntegral<std::uint32_t>();
    const std::string bytes = provider.ConsumeRemainingBytesAsString();

    auto registry = std::make_shared<OneValueRegistry>();
    registry->type = type;
    registry->bytes = bytes;
    RecentMapsUpdate update(registry, std::make_shared<FixedRandom>());
    MapCollection maps;
    maps.Add(utf8Codec().decode(kPick));
    require(update.modifyReg(maps));

    require(registry->type == reg::kTypeMultiSz);
    require(registry->bytes == expectedList(oldText(*registry, type, bytes)));
    return 0;
}
