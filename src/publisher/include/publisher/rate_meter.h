// Progress of a publish run in units (100 a picture) and its speed: the
// average since the run began, smoothed over the latest 25 reports, from which
// the time left follows.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <windows.h>

namespace orvana {

class RateMeter {
  public:
    // Now, in 100 ns ticks; tests give their own clock.
    using Clock = std::function<ULONGLONG()>;
    static ULONGLONG SystemTicks();

    explicit RateMeter(Clock clock = SystemTicks);

    void Reset();
    // Only when not started and total is not 0: resets, then starts the clock.
    bool Start(ULONGLONG total);
    // Refused (false) when done would pass 0xFFFFFFFF.
    bool Add(ULONGLONG units);
    // Units a second since Start; 0 before it or when no time has passed.
    double Rate() const;
    // Stores the sample and answers the mean of the latest 25.
    double AverageRate(double sample);
    // In 100 ns ticks, whole seconds; nothing when the average rate is 0.
    std::optional<ULONGLONG> TimeLeft();

    ULONGLONG Total() const;
    ULONGLONG Done() const;

  private:
    static constexpr std::size_t kSamples = 25;

    void ResetLocked();

    const Clock clock_;
    bool started_ = false;
    ULONGLONG total_ = 0;
    ULONGLONG startTime_ = 0;
    ULONGLONG done_ = 0;
    mutable std::mutex mutex_;
    ULONGLONG sampleCount_ = 0;
    std::array<double, kSamples> samples_{};
};

} // namespace orvana
