// The upload's completion event wakes one wait per Set and resets itself.
#include "service/auto_reset_event.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(AutoResetEvent, ASetIsConsumedByExactlyOneWait)
{
    orvana::AutoResetEvent event;
    EXPECT_FALSE(event.WaitFor(0ms)); // created not signalled
    event.Set();
    event.Set(); // setting twice is still one signal
    EXPECT_TRUE(event.WaitFor(0ms));
    EXPECT_FALSE(event.WaitFor(0ms));
    event.Set();
    event.Reset(); // a signal nobody waited for is forgotten
    EXPECT_FALSE(event.WaitFor(0ms));
}

TEST(AutoResetEvent, ASetFromAnotherThreadWakesTheWaiter)
{
    orvana::AutoResetEvent event;
    std::thread setter([&] { event.Set(); });
    EXPECT_TRUE(event.WaitFor(60s));
    setter.join();
}

} // namespace
