// Test-only access to the in-memory registry: open handles, the call log, scripted failures,
// hooks before calls, the computer's name and the environment its expansion sees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "registry/portable_registry_store.h"

namespace qrvl::reg {

// Wraps one store; the store must outlive the probe. Typical use:
//
//   PortableRegistryStore store;
//   RegistryStoreProbe probe(store);
//   probe.failNext(StoreCall::QueryValue, 5);          // the next query answers 5
//   probe.failNext(StoreCall::QueryValue, 234, 1, 1);  // the query after the next answers 234
//   ... run the code under test ...
//   EXPECT_EQ(probe.openHandles(), 0u);
//   EXPECT_EQ(probe.calls().back().access, kKeyWrite);
//
// A scripted failure replaces the whole call: it returns the given result (for
// ExpandEnvironmentStringsA, the given number) and leaves every output untouched. It is
// still counted and logged. Failures queued for one call run in order.
class RegistryStoreProbe {
  public:
    explicit RegistryStoreProbe(PortableRegistryStore& store) : store_(store) {}

    // Handles handed out by open, create (and not closed yet); predefined keys never count.
    std::size_t openHandles() const { return store_.openHandleCount(); }

    // The next `times` calls of `call`, after letting `after` calls through, answer `result`.
    void failNext(StoreCall call, std::int64_t result, int times = 1, int after = 0) {
        store_.hooks_.failCalls(call, result, times, after);
    }
    void clearFailures() { store_.hooks_.clearFailures(); }

    // Runs `hook` before each call of `call`, with the call's 1-based number, for instance to
    // change a value between two queries. Calls the hook makes on the store are neither
    // counted, logged nor failed. An empty function removes the hook.
    void beforeCall(StoreCall call, std::function<void(std::uint64_t)> hook) {
        store_.hooks_.setHook(call, std::move(hook));
    }

    // The calls since clearCalls (which also sets the counts back to 0), oldest first, with
    // their arguments and results (see StoreCallRecord); a very long run keeps the latest
    // 32768 or more.
    const std::vector<StoreCallRecord>& calls() const { return store_.hooks_.log(); }
    std::uint64_t callCount(StoreCall call) const { return store_.hooks_.count(call); }
    void clearCalls() { store_.hooks_.clearLog(); }

    // The names RegConnectRegistryA takes for this computer (besides null and empty);
    // replaces the one read from COMPUTERNAME or the host name.
    void setComputerNames(std::vector<std::string> names) {
        store_.hooks_.computerNames = std::move(names);
    }

    // A variable that ExpandEnvironmentStringsA sees before the process environment (any case
    // of its name); nullopt makes it unset even when the process has it.
    void setVariable(const std::string& name, std::optional<std::string> value) {
        store_.hooks_.environment[name] = std::move(value);
    }

  private:
    PortableRegistryStore& store_;
};

}  // namespace qrvl::reg
