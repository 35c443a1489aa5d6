// The pieces a host's window backend is built from: the window thread and the
// progress bar's state.
#include "pal/window/progress_bar_state.h"
#include "pal/window/window_thread.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(WindowThread, RunsEachCallersTasksInOrderOnItsOwnThreadAndNestedCallsAtOnce)
{
    pal::WindowThread window;
    std::vector<std::pair<int, int>> ran; // touched only on the window thread
    std::vector<std::thread::id> threads;
    const auto caller = [&](int who) {
        for (int n = 0; n < 200; ++n)
            window.Invoke([&, n] {
                ran.emplace_back(who, n);
                threads.push_back(std::this_thread::get_id());
            });
    };
    std::thread first(caller, 1), second(caller, 2);
    first.join();
    second.join();

    ASSERT_EQ(ran.size(), 400u);
    int next[3] = {0, 0, 0};
    for (const auto& [who, n] : ran)
        EXPECT_EQ(n, next[who]++) << "caller " << who;
    for (const auto& id : threads)
        EXPECT_EQ(id, threads.front());
    EXPECT_NE(threads.front(), std::this_thread::get_id());

    bool inner = false;
    window.Invoke([&] {
        EXPECT_TRUE(window.IsCurrent());
        window.Invoke([&] { inner = true; });
        EXPECT_TRUE(inner) << "a nested call runs before the outer one goes on";
    });
    EXPECT_FALSE(window.IsCurrent());
}

TEST(WindowThread, ATasksExceptionReachesItsCallerAndTheThreadGoesOn)
{
    pal::WindowThread window;
    EXPECT_THROW(window.Invoke([] { throw std::runtime_error("handler failed"); }), std::runtime_error);
    int value = 0;
    window.Invoke([&] { value = 7; });
    EXPECT_EQ(value, 7);
}

TEST(ProgressBarState, KeepsThePositionInsideTheRangeAndEachSetterAnswersTheOldValue)
{
    pal::ProgressBarState bar;
    EXPECT_EQ(bar.Handle(PBM_SETRANGE32, 0, 1000), LRESULT{100 << 16});
    EXPECT_EQ(bar.Handle(PBM_SETPOS, 300, 0), 0);
    EXPECT_EQ(bar.Handle(PBM_SETPOS, 5000, 0), 300);
    EXPECT_EQ(bar.Handle(PBM_GETPOS, 0, 0), 1000) << "clamped to the top";
    EXPECT_EQ(bar.Handle(PBM_DELTAPOS, static_cast<WPARAM>(-2000), 0), 1000);
    EXPECT_EQ(bar.Handle(PBM_GETPOS, 0, 0), 0) << "clamped to the bottom";

    bar.Handle(PBM_SETPOS, 800, 0);
    EXPECT_EQ(bar.Handle(PBM_SETRANGE, 0, (500 << 16) | 10), LRESULT{1000 << 16});
    EXPECT_EQ(bar.position, 500) << "a narrower range moves the position into it";
    PBRANGE range{};
    EXPECT_EQ(bar.Handle(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 10);
    EXPECT_EQ(bar.Handle(PBM_GETRANGE, FALSE, 0), 500);
    EXPECT_EQ(range.iLow, 10);
    EXPECT_EQ(range.iHigh, 500);

    EXPECT_EQ(bar.Handle(PBM_SETSTATE, PBST_PAUSED, 0), PBST_NORMAL);
    EXPECT_EQ(bar.Handle(PBM_SETSTATE, 9, 0), PBST_PAUSED) << "an unknown state is refused";
    EXPECT_EQ(bar.Handle(PBM_GETSTATE, 0, 0), PBST_PAUSED);
    EXPECT_FALSE(bar.Handle(WM_SETTEXT, 0, 0)) << "not a progress bar message";
}

} // namespace
