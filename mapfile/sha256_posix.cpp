// SHA-256 through nettle, Debian's small and well-kept crypto library.
#include <nettle/sha2.h>

#include "mapfile/sha256.h"

namespace qrvl {

std::optional<Sha256> sha256(std::span<const std::uint8_t> bytes) {
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, bytes.size(), bytes.data());
    Sha256 digest{};
    sha256_digest(&context, digest.size(), digest.data());
    return digest;
}

}  // namespace qrvl
