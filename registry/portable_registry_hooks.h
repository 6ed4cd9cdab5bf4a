// What tests may see and steer inside the in-memory registry: a call log, scripted failures,
// hooks that run before a call, the computer's name and extra environment variables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qrvl::reg {

// The seam's calls, one name each.
enum class StoreCall : std::size_t {
    OpenKey,
    CloseKey,
    QueryValue,
    SetValue,
    CreateKey,
    DeleteKey,
    DeleteValue,
    EnumKey,
    EnumValue,
    ConnectRegistry,
    ExpandEnvironmentStrings,
};
inline constexpr std::size_t kStoreCallKinds = 11;

// One call as the store received it:
// - `text`: the path, value name, computer name or source text (empty, with textGiven false,
//   when the pointer was null);
// - `access`: the access mask of an open or create; `type`: the type code of a write, the
//   options of an open or create;
// - `index`: the index of a listing call;
// - `size`: the data size of a write, the data buffer's size passed to a query or value
//   listing, the destination's size of an expansion; `nameSize`: the name length passed to a
//   listing call (both 0 when their pointer was null);
// - `result`: what the call answered.
struct StoreCallRecord {
    StoreCall call{};
    std::int32_t key = 0;
    std::string text;
    bool textGiven = false;
    std::uint32_t access = 0;
    std::uint32_t index = 0;
    std::uint32_t size = 0;
    std::uint32_t nameSize = 0;
    std::uint32_t type = 0;
    std::int64_t result = 0;
};

// The state behind the test probe. The program never touches it: a store without scripted
// failures and hooks only fills the log and the counters.
class StoreHooks {
  public:
    // Runs before each call: counts and logs it, then runs its hook, then answers whether a
    // scripted failure takes the call's place (and with which result).
    std::optional<std::int64_t> enter(const StoreCallRecord& record);
    void leave(std::int64_t result);

    void failCalls(StoreCall call, std::int64_t result, int times, int after);
    void clearFailures();
    void setHook(StoreCall call, std::function<void(std::uint64_t)> hook);

    std::uint64_t count(StoreCall call) const { return counts_[index(call)]; }
    // The latest calls (at least the last 32768 of them), oldest first.
    const std::vector<StoreCallRecord>& log() const { return log_; }
    void clearLog() {
        log_.clear();
        counts_.fill(0);
    }

    // Variables the store's expansion sees before the process environment; a mapped nullopt
    // hides a process variable.
    std::map<std::string, std::optional<std::string>> environment;
    // Names RegConnectRegistryA takes for this computer, besides the null and empty ones.
    std::vector<std::string> computerNames;

  private:
    struct Failure {
        std::int64_t result = 0;
        int times = 0;
        int after = 0;
    };
    static std::size_t index(StoreCall call) { return static_cast<std::size_t>(call); }
    static constexpr std::size_t kLogLimit = 1u << 16;

    std::array<std::uint64_t, kStoreCallKinds> counts_{};
    std::array<std::vector<Failure>, kStoreCallKinds> failures_{};
    std::array<std::function<void(std::uint64_t)>, kStoreCallKinds> hooks_{};
    std::vector<StoreCallRecord> log_;
    bool inHook_ = false;
};

}  // namespace qrvl::reg
