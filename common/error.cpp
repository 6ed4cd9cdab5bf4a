// Messages for the numbered error codes.
#include "common/error.h"

namespace qrvl {
namespace {

const char* describe(ErrorCode code) {
    switch (code) {
        case ErrorCode::InvalidArgument:
            return "Invalid procedure call or argument (5)";
        case ErrorCode::Overflow:
            return "Overflow (6)";
        case ErrorCode::IndexOutOfRange:
            return "Subscript out of range (9)";
        case ErrorCode::TypeMismatch:
            return "Type mismatch (13)";
    }
    return "Error";
}

}  // namespace

Error::Error(ErrorCode code) : std::runtime_error(describe(code)), code_(code) {}

}  // namespace qrvl
