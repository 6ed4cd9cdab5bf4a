// The number of the program's error that a call raised, for tests of the numbered errors.
#pragma once

#include <utility>

#include "common/error.h"

namespace qrvl::test {

// Runs `call` and answers the code of the qrvl::Error it raised, or 0 when it raised none.
template <typename F>
int errorNumberOf(F&& call) {
    try {
        std::forward<F>(call)();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

}  // namespace qrvl::test
