// Off Windows the stand-ins' "A" calls take UTF-8, so that is the system's code page here.
#include "common/text_codec.h"

namespace qrvl {

const TextCodec& systemCodec() {
    return utf8Codec();
}

}  // namespace qrvl
