#include "serial/qteventpump.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

namespace veltara::qt {
namespace {

TEST(QtEventPump, HandlesWhatIsPendingInOneYield) {
    QtEventPump pump;
    int handled = 0;
    for (int i = 0; i < 3; ++i) {
        QTimer::singleShot(0, [&] { ++handled; });
    }
    pump.yield();
    EXPECT_EQ(handled, 3);
}

TEST(QtEventPump, AnEventEndsTheWaitAndTheBoundEndsAQuietOne) {
    // A long bound shows which of the two ended each yield.
    QtEventPump pump(std::chrono::milliseconds(400));
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    QElapsedTimer timer;
    timer.start();
    while (!fired && timer.elapsed() < 2000) {
        pump.yield();
    }
    EXPECT_TRUE(fired);
    EXPECT_LT(timer.elapsed(), 300) << "the yield slept through the event";

    // Nothing pending: the yield waits for its bound instead of returning at once.
    timer.restart();
    pump.yield();
    EXPECT_GE(timer.elapsed(), 300);
}

}  // namespace
}  // namespace veltara::qt
