// One step of a sequence that goes on past failures.
#pragma once

#include <utility>

#include "common/error.h"

namespace qrvl {

// Runs `step`; a member's numbered error is passed over, and the caller goes on with its next step.
template <typename Step>
void skipOnFailure(Step&& step) {
    try {
        std::forward<Step>(step)();
    } catch (const Error&) {
    }
}

}  // namespace qrvl
