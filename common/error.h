// The one exception type that class members raise, carrying the program's numbered error codes.
#pragma once

#include <stdexcept>
#include <string>

namespace qrvl {

enum class ErrorCode : int {
    InvalidArgument = 5,
    Overflow = 6,
    IndexOutOfRange = 9,
    TypeMismatch = 13,
};

// Raised by a member that fails; the skip-on-failure paths (start-up, scan, update) catch exactly
// this type and nothing broader.
class Error : public std::runtime_error {
  public:
    explicit Error(ErrorCode code);
    ErrorCode code() const noexcept { return code_; }
    int number() const noexcept { return static_cast<int>(code_); }

  private:
    ErrorCode code_;
};

}  // namespace qrvl
