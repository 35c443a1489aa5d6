// Work handed to the GUI thread from others: it runs there, in order, and a
// waiting caller hears how it ended, also when a task opens a modal loop.
#include "pal/window/qt/gui_thread.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

bool OnGuiThread()
{
    return QThread::currentThread() == qApp->thread();
}

TEST(GuiThread, PostedTasksRunThereInTheOrderEachThreadPostedThem)
{
    constexpr int kPerThread = 200;
    std::vector<int> seen[2];
    bool allOnGuiThread = true;
    QEventLoop loop;
    int finished = 0;
    auto poster = [&](int which) {
        for (int i = 0; i < kPerThread; ++i)
            pal::qt::PostToGuiThread([&, which, i] {
                allOnGuiThread = allOnGuiThread && OnGuiThread();
                seen[which].push_back(i);
            });
        pal::qt::PostToGuiThread([&] {
            if (++finished == 2) loop.quit();
        });
    };
    std::thread first(poster, 0), second(poster, 1);
    loop.exec();
    first.join();
    second.join();
    EXPECT_TRUE(allOnGuiThread);
    for (const std::vector<int>& order : seen) {
        ASSERT_EQ(static_cast<std::size_t>(kPerThread), order.size());
        EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    }
}

TEST(GuiThread, AWaitingCallerGetsTheTasksExceptionAndTasksQueuedBehindAModalLoopStillRun)
{
    // On the GUI thread itself the task runs at once.
    bool ranAtOnce = false;
    pal::qt::RunOnGuiThread([&] { ranAtOnce = true; });
    EXPECT_TRUE(ranAtOnce);

    QEventLoop outer;
    std::string failure;
    bool innerRan = false;
    std::thread caller([&] {
        try {
            pal::qt::RunOnGuiThread([&] {
                // A modal loop inside a task, as a dialog's: the next task is
                // delivered by it and ends it.
                QEventLoop modal;
                pal::qt::PostToGuiThread([&] {
                    innerRan = true;
                    modal.quit();
                });
                modal.exec();
                throw std::runtime_error("refused");
            });
        } catch (const std::runtime_error& error) {
            failure = error.what();
        }
        pal::qt::PostToGuiThread([&] { outer.quit(); });
    });
    outer.exec();
    caller.join();
    EXPECT_TRUE(innerRan);
    EXPECT_EQ("refused", failure);
}

} // namespace
