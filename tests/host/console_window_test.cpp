// The reference host's console window: window calls from other threads handled
// on its own, and what it writes on a terminal and elsewhere.
#include "host/console_window.h"
#include "pal/base/last_error.h"
#include "pal/window/progress_bar.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Written on the window thread only; read after a call returned.
struct Written {
    std::vector<std::string> writes;
    std::vector<std::thread::id> threads;
};

host::ConsoleOutput Into(Written& out, bool terminal, std::chrono::milliseconds interval = 0ms)
{
    return {[&out](std::string_view text) {
                out.writes.emplace_back(text);
                out.threads.push_back(std::this_thread::get_id());
            },
            terminal, 40, interval};
}

void Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam = 0)
{
    SendMessageW(window, message, wParam, lParam);
}

TEST(ConsoleWindow, CallsFromAnotherThreadAreHandledOnTheWindowThreadAndWaitedFor)
{
    Written out;
    host::ConsoleWindow window(Into(out, false));
    const HWND progress = window.ProgressHandle(), status = window.StatusHandle();
    std::thread::id sender;
    std::thread([&] {
        sender = std::this_thread::get_id();
        Send(progress, PBM_SETRANGE32, 0, 1000);
        EXPECT_EQ(SendMessageW(progress, PBM_SETPOS, 300, 0), 0);
        EXPECT_EQ(SendMessageW(progress, PBM_SETPOS, 400, 0), 300);
        EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 400);
        EXPECT_TRUE(SetWindowTextW(status, u"Published 4 of 10 items."));
        EXPECT_EQ(out.writes, std::vector<std::string>{"[ 4/10] Published 4 of 10 items.\n"}) << "before it returned";
    }).join();
    ASSERT_EQ(out.threads.size(), 1u);
    EXPECT_NE(out.threads[0], sender);
    EXPECT_NE(out.threads[0], std::this_thread::get_id());

    EXPECT_EQ(SendMessageW(status, WM_GETTEXTLENGTH, 0, 0), 24);
    char16_t buffer[8] = {u'x'};
    EXPECT_EQ(SendMessageW(status, WM_GETTEXT, 8, reinterpret_cast<LPARAM>(buffer)), 7);
    EXPECT_EQ(std::u16string(buffer), u"Publish") << "cut to the buffer and terminated";
    SetWindowTextW(progress, u"Bar");
    EXPECT_EQ(SendMessageW(status, WM_GETTEXTLENGTH, 0, 0), 24) << "each window keeps its own text";
}

TEST(ConsoleWindow, ElsewhereThanATerminalPrintsALinePerNewStatusPauseErrorBoxAndLogLine)
{
    Written out;
    {
        host::ConsoleWindow window(Into(out, false));
        const HWND progress = window.ProgressHandle(), status = window.StatusHandle();
        Send(progress, PBM_SETRANGE32, 0, 1000);
        Send(progress, PBM_SETPOS, 300);
        SetWindowTextW(status, u"Published 3 of 10 items.");
        SetWindowTextW(status, u"Published 3 of 10 items.");
        Send(progress, PBM_DELTAPOS, 50);
        for (const int state : {PBST_PAUSED, PBST_PAUSED, PBST_NORMAL, PBST_ERROR})
            Send(progress, PBM_SETSTATE, state);
        window.PrintAbove("log: stopped");
        MessageBoxW(status, u"No connection.\r\nTry again.", u"Upload", MB_ICONERROR);
        SetWindowTextW(status, u"Two lines\r\nin one");
        Send(progress, PBM_SETRANGE32, 0, 40);
        Send(progress, PBM_SETPOS, 35);
        SetWindowTextW(status, u"Not pictures");
    }
    std::string all;
    for (const auto& write : out.writes)
        all += write;
    EXPECT_EQ(all, "[ 3/10] Published 3 of 10 items.\n[ 3/10] paused\n[ 3/10] error\nlog: stopped\n"
                   "Upload\nNo connection.\nTry again.\n[ 3/10] Two lines  in one\n[ 87%] Not pictures\n");
}

TEST(ConsoleWindow, OnATerminalRedrawsOneLineInPlaceCutToTheWidthAndShowsTheState)
{
    Written out;
    host::ConsoleWindow window(Into(out, true));
    const HWND progress = window.ProgressHandle();
    Send(progress, PBM_SETRANGE32, 0, 1000);
    Send(progress, PBM_SETPOS, 300);
    SetWindowTextW(window.StatusHandle(), u"Veröffentlicht 3 von 10 Bildern");
    const std::string line = out.writes.back();
    EXPECT_EQ(line, "\r[######..............]   3/10  Veröffen\x1b[K") << "39 columns: never the last";

    Send(progress, PBM_SETSTATE, PBST_PAUSED);
    EXPECT_EQ(out.writes.back(), "\r\x1b[33m[######..............]\x1b[0m   3/10  paused  \x1b[K");
    Send(progress, PBM_SETSTATE, PBST_ERROR);
    EXPECT_EQ(out.writes.back(), "\r\x1b[31m[######..............]\x1b[0m   3/10  error  V\x1b[K");
    Send(progress, PBM_SETSTATE, PBST_NORMAL);
    EXPECT_EQ(out.writes.back(), line);

    window.PrintAbove("log: picture 3 sent");
    MessageBoxW(progress, u"Stopped.", nullptr, MB_OK);
    const std::vector<std::string> above{"\r\x1b[Klog: picture 3 sent\n", line, "\r\x1b[KError\nStopped.\n", line};
    EXPECT_EQ(std::vector(out.writes.end() - 4, out.writes.end()), above);
    std::vector<host::ShownMessageBox> boxes;
    std::thread([&] { boxes = window.MessageBoxes(); }).join();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption + "|" + boxes[0].text, "Error|Stopped.");
}

TEST(ConsoleWindow, OnATerminalPositionMovesWaitForTheIntervalButTextStateAndTheEndDrawAtOnce)
{
    Written out;
    HWND status = nullptr;
    {
        host::ConsoleWindow window(Into(out, true, 1h));
        const HWND progress = window.ProgressHandle();
        status = window.StatusHandle();
        Send(progress, PBM_SETRANGE32, 0, 500);
        Send(progress, PBM_SETPOS, 200);
        Send(progress, PBM_SETPOS, 300);
        EXPECT_EQ(out.writes.size(), 1u) << "only the first draw";
        SetWindowTextW(status, u"Published 3 of 5 items.");
        EXPECT_EQ(out.writes.back(), "\r[############........]  3/5  Published \x1b[K");
        Send(progress, PBM_SETPOS, 500);
        Send(progress, PBM_SETSTATE, PBST_PAUSED);
        EXPECT_NE(out.writes.back().find("5/5  paused"), std::string::npos);
        Send(progress, PBM_SETSTATE, PBST_NORMAL);
        Send(progress, PBM_SETPOS, 400);
    }
    ASSERT_GE(out.writes.size(), 2u);
    EXPECT_NE(out.writes.end()[-2].find("4/5"), std::string::npos) << "the last state";
    EXPECT_EQ(out.writes.back(), "\n");

    SetLastError(0);
    EXPECT_FALSE(SetWindowTextW(status, u"late"));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_WINDOW_HANDLE});
    EXPECT_EQ(MessageBoxW(status, u"late", u"Upload", MB_OK), 0);
}

} // namespace
