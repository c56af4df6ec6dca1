#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

// The window tests and drills need a QApplication, the link drills its event loop too; Qt's offscreen
// platform needs no display.
int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The serial adapter looks up its COM names in the user's configuration folder; tests never touch the
    // real one.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
