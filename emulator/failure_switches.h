#pragma once

#include "emulator/service_emulator.h"

#include <chrono>
#include <condition_variable>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace emulator {

// The misbehaviour rules set by tests, and the waiting room of stalled requests.
class FailureSwitches {
  public:
    void Add(Failure failure, std::string endpoint, int times);
    // Removes all rules and wakes stalled requests.
    void Clear();

    // The rule that applies to a request for `endpoint`, among the kinds that
    // make sense there; counts it as used.
    std::optional<Failure> Take(std::string_view endpoint, std::initializer_list<Failure> applicable);

    void SetStallDuration(std::chrono::milliseconds duration);
    // Waits the stall duration; false when Stop cut the wait short.
    bool Stall();
    void BeginStop();
    void Reset();

  private:
    struct Rule {
        Failure failure;
        std::string endpoint;
        int remaining; // < 0: unlimited
    };

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Rule> rules_;
    std::chrono::milliseconds stall_duration_{30000};
    std::uint64_t generation_ = 0; // advanced by Clear, ends current stalls
    bool stopping_ = false;
};

} // namespace emulator
