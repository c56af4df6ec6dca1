// Tests of the serial port, the simulator and the companion tools need Qt's event loop without a window:
// serial notifiers, timers and processes live on it.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
