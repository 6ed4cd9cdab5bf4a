// Picks the code page of the platform's "A" calls.
#include "common/text_codec.h"

namespace qrvl {

#ifdef _WIN32
const TextCodec& ansiCodec();  // win32_ansi_codec.cpp

const TextCodec& systemCodec() {
    return ansiCodec();
}
#else
const TextCodec& systemCodec() {
    return utf8Codec();
}
#endif

}  // namespace qrvl
