// The in-memory registry's call log, scripted failures and hooks.
#include "registry/portable_registry_hooks.h"

#include <utility>

namespace qrvl::reg {

std::optional<std::int64_t> StoreHooks::enter(const StoreCallRecord& record) {
    // Calls that a hook makes on the store itself pass straight through: they are the test's
    // own set-up, not calls of the code under test.
    if (inHook_) {
        return std::nullopt;
    }
    const std::size_t i = index(record.call);
    const std::uint64_t number = ++counts_[i];
    // A long run (the process-wide store behind a timer) keeps only its latest calls.
    if (log_.size() >= kLogLimit) {
        log_.erase(log_.begin(), log_.begin() + kLogLimit / 2);
    }
    log_.push_back(record);
    if (hooks_[i]) {
        inHook_ = true;
        hooks_[i](number);
        inHook_ = false;
    }
    auto& queue = failures_[i];
    if (queue.empty()) {
        return std::nullopt;
    }
    Failure& next = queue.front();
    if (next.after > 0) {
        --next.after;
        return std::nullopt;
    }
    const std::int64_t result = next.result;
    if (--next.times <= 0) {
        queue.erase(queue.begin());
    }
    log_.back().result = result;
    return result;
}

void StoreHooks::leave(std::int64_t result) {
    if (!inHook_ && !log_.empty()) {
        log_.back().result = result;
    }
}

void StoreHooks::failCalls(StoreCall call, std::int64_t result, int times, int after) {
    if (times > 0) {
        failures_[index(call)].push_back(Failure{result, times, after});
    }
}

void StoreHooks::clearFailures() {
    for (auto& queue : failures_) {
        queue.clear();
    }
}

void StoreHooks::setHook(StoreCall call, std::function<void(std::uint64_t)> hook) {
    hooks_[index(call)] = std::move(hook);
}

}  // namespace qrvl::reg
