#include "publisher/rate_meter.h"

#include <cmath>
#include <numeric>

namespace orvana {

namespace {

constexpr ULONGLONG kMaxDone = 0xFFFFFFFFull;
constexpr double kTicksPerSecond = 10'000'000.0;

} // namespace

ULONGLONG RateMeter::SystemTicks()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return static_cast<ULONGLONG>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
}

RateMeter::RateMeter(Clock clock) : clock_(std::move(clock)) {}

void RateMeter::Reset()
{
    std::lock_guard lock(mutex_);
    ResetLocked();
}

void RateMeter::ResetLocked()
{
    started_ = false;
    total_ = done_ = startTime_ = sampleCount_ = 0;
    samples_.fill(0.0);
}

bool RateMeter::Start(ULONGLONG total)
{
    // One lock for the check and the start, so two starts cannot both begin the run.
    std::lock_guard lock(mutex_);
    if (started_ || total == 0) return false;
    ResetLocked();
    total_ = total;
    startTime_ = clock_();
    started_ = true;
    return true;
}

bool RateMeter::Add(ULONGLONG units)
{
    std::lock_guard lock(mutex_);
    if (done_ >= kMaxDone || kMaxDone - done_ < units) return false;
    done_ += units;
    return true;
}

double RateMeter::Rate() const
{
    std::lock_guard lock(mutex_);
    if (!started_) return 0.0;
    const double seconds = static_cast<double>(clock_() - startTime_) / kTicksPerSecond;
    if (seconds == 0.0) return 0.0;
    return static_cast<double>(done_) / seconds;
}

double RateMeter::AverageRate(double sample)
{
    std::lock_guard lock(mutex_);
    samples_[sampleCount_ % kSamples] = sample;
    ++sampleCount_;
    const std::size_t stored = static_cast<std::size_t>(std::min<ULONGLONG>(sampleCount_, kSamples));
    return std::accumulate(samples_.begin(), samples_.begin() + stored, 0.0) / static_cast<double>(stored);
}

std::optional<ULONGLONG> RateMeter::TimeLeft()
{
    const double average = AverageRate(Rate());
    if (average == 0.0) return std::nullopt;
    std::lock_guard lock(mutex_);
    const ULONGLONG left = total_ > done_ ? total_ - done_ : 0;
    const double seconds = std::trunc(static_cast<double>(left) / average);
    return static_cast<ULONGLONG>(seconds) * 10'000'000ull;
}

ULONGLONG RateMeter::Total() const
{
    std::lock_guard lock(mutex_);
    return total_;
}

ULONGLONG RateMeter::Done() const
{
    std::lock_guard lock(mutex_);
    return done_;
}

} // namespace orvana
