#include "emulator/failure_switches.h"

#include <algorithm>

namespace emulator {

void FailureSwitches::Add(Failure failure, std::string endpoint, int times)
{
    if (times == 0) return;
    std::lock_guard lock(mutex_);
    rules_.push_back(Rule{failure, std::move(endpoint), times});
}

void FailureSwitches::Clear()
{
    {
        std::lock_guard lock(mutex_);
        rules_.clear();
        ++generation_;
    }
    wake_.notify_all();
}

std::optional<Failure> FailureSwitches::Take(std::string_view endpoint, std::initializer_list<Failure> applicable)
{
    std::lock_guard lock(mutex_);
    auto matches = [&](const Rule& rule, bool specific) {
        return (specific ? rule.endpoint == endpoint : rule.endpoint.empty()) &&
               std::find(applicable.begin(), applicable.end(), rule.failure) != applicable.end();
    };
    for (bool specific : {true, false}) {
        auto it = std::find_if(rules_.begin(), rules_.end(), [&](const Rule& rule) { return matches(rule, specific); });
        if (it == rules_.end()) continue;
        const Failure failure = it->failure;
        if (it->remaining > 0 && --it->remaining == 0) rules_.erase(it);
        return failure;
    }
    return std::nullopt;
}

void FailureSwitches::SetStallDuration(std::chrono::milliseconds duration)
{
    std::lock_guard lock(mutex_);
    stall_duration_ =
        std::clamp(duration, std::chrono::milliseconds(0), std::chrono::milliseconds(std::chrono::minutes(10)));
}

bool FailureSwitches::Stall()
{
    std::unique_lock lock(mutex_);
    const std::uint64_t generation = generation_;
    wake_.wait_for(lock, stall_duration_, [&] { return stopping_ || generation_ != generation; });
    return !stopping_;
}

void FailureSwitches::BeginStop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
}

void FailureSwitches::Reset()
{
    std::lock_guard lock(mutex_);
    stopping_ = false;
}

} // namespace emulator
