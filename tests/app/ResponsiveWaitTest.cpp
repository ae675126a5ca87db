#include "app/ResponsiveWait.h"
#include "app/WindowTimers.h"
#include "files/FileReplacement.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

namespace {

constexpr int kTimer = 1001;
constexpr std::chrono::seconds kBound{10};

// Spins the event loop until `timers` report a tick, at most kBound.
void WaitForTick(CWindowTimers& timers) {
    QEventLoop loop;
    QObject::connect(&timers, &CWindowTimers::tick, &loop, &QEventLoop::quit);
    QTimer::singleShot(kBound, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

// The work blocks until the waiting thread's loop has run a timer of its own, so the wait
// can only end if that loop turns; the scheduler's timer, due every millisecond, ticks only
// after the wait has returned and the code after it has run, as with a busy thread.
TEST(ResponsiveWaitTest, TheLoopTurnsWhileHeldTicksComeAfterTheWait) {
    CWindowTimers timers;
    CResponsiveWait wait;
    wait.HoldDuringWaits(&timers);
    std::vector<std::string> events;
    QObject::connect(&timers, &CWindowTimers::tick,
                     [&events](int id) { events.push_back("tick " + std::to_string(id)); });
    timers.Start(kTimer, 1);

    std::promise<void> loopTurned;
    bool waitCursorShown = false;
    QTimer::singleShot(50, [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        waitCursorShown = cursor && cursor->shape() == Qt::WaitCursor;
        events.push_back("loop turned");
        loopTurned.set_value();
    });
    std::atomic<bool> released = false;
    wait.Run(
        [&] { released = loopTurned.get_future().wait_for(kBound) == std::future_status::ready; });
    events.push_back("after the wait");
    EXPECT_TRUE(released);
    EXPECT_TRUE(waitCursorShown);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    WaitForTick(timers);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], "loop turned");
    EXPECT_EQ(events[1], "after the wait");
    EXPECT_EQ(events[2], "tick 1001");
    EXPECT_TRUE(timers.IsRunning(kTimer));
}

// A timer stopped after the wait, before its held tick was delivered, stays quiet, as a
// stopped timer of a busy thread does; the work's result is there once the wait returns,
// even when the work ends before the loop begins.
TEST(ResponsiveWaitTest, AStoppedTimerLosesItsHeldTick) {
    CWindowTimers timers;
    CResponsiveWait wait;
    wait.HoldDuringWaits(&timers);
    int ticks = 0;
    QObject::connect(&timers, &CWindowTimers::tick, [&ticks](int) { ++ticks; });
    timers.Start(kTimer, 1);
    timers.Start(kTimer + 1, 1);

    std::promise<void> due;
    QTimer::singleShot(20, [&due] { due.set_value(); });
    int result = 0;
    wait.Run([&] {
        due.get_future().wait_for(kBound);
        result = 7;
    });
    EXPECT_EQ(result, 7);
    timers.Stop(kTimer);
    timers.Stop(kTimer + 1);
    wait.Run([&result] { result = 8; });
    EXPECT_EQ(result, 8);
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(ticks, 0);
}

// The run ends while the work is replacing a file and has more to do: the process ends at
// once with status 0, without waiting for the work, and leaves the original as it was with
// no temporary file beside it.
TEST(ResponsiveWaitDeathTest, TheEndOfTheRunEndsTheProcessWithoutTheWork) {
    const TempDir dir;
    const std::string original = dir.File("original.txt");
    WriteWholeFile(original, "old");
    EXPECT_EXIT(
        {
            CResponsiveWait wait;
            wait.Run([&original] {
                CFileReplacement replacement(original);
                if (replacement.Open() && replacement.Write("new, in part", 12) &&
                    replacement.Descriptor() >= 0) {
                    QMetaObject::invokeMethod(
                        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
                }
                std::promise<void> rest;
                rest.get_future().wait_for(kBound);
            });
            // Reached only when the wait outlived the run.
            std::exit(1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadWholeFile(original), "old");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"original.txt"});
}
