#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

// One QApplication for the window drill; the link drills need its event loop too. The offscreen
// platform needs no display.
int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // COM names are looked up in the user's configuration folder; the drills never touch the real one.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
