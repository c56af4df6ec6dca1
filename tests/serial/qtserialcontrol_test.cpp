#include "serial/qtserialcontrol.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <numeric>

#include "helperprogram.h"
#include "ptypair.h"
#include "serial/qteventpump.h"
#include "tempportfolder.h"

namespace veltara::qt {
namespace {

using test::PtyPair;
using test::TempPortFolder;
using Bytes = std::vector<std::uint8_t>;

void runEventLoop(std::chrono::milliseconds duration) {
    QtEventPump pump;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < duration.count()) {
        pump.yield();
    }
}

template <typename T>
core::Status statusOf(const core::Result<T>& result) {
    return result ? core::Status{} : core::Status{result.error()};
}

Bytes everyByteValue() {
    Bytes bytes(256);
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}

class QtSerialControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE(folder.link(3, pty.path()));
        ASSERT_TRUE(serial.setCommPort(3));
        QObject::connect(&serial, &QtSerialControl::portFailed,
                         [this](const core::Error& failure) { failures.push_back(failure.text); });
    }

    void open() { ASSERT_TRUE(serial.setPortOpen(true)); }

    TempPortFolder folder;
    PtyPair pty;
    QtSerialControl serial;
    std::vector<std::string> failures;
};

TEST_F(QtSerialControlTest, AppliesTheLineSettingsWhetherWrittenBeforeOrAfterOpening) {
    // A pseudo-terminal keeps the speed, the stop bits and the parity kind, but always reads 8 data
    // bits with PARENB clear; those two are checked through the parser's tests.
    struct Case {
        const char* settings;
        speed_t speed;
        tcflag_t parityKind;  // PARODD, CMSPAR
        bool twoStopBits;
    };
    const Case cases[] = {
        {.settings = "9600,N,8,1", .speed = B9600, .parityKind = 0, .twoStopBits = false},
        {.settings = "19200,E,7,2", .speed = B19200, .parityKind = 0, .twoStopBits = true},
        {.settings = "4800,O,5,1", .speed = B4800, .parityKind = PARODD, .twoStopBits = false},
        {.settings = "2400,M,6,1", .speed = B2400, .parityKind = CMSPAR | PARODD, .twoStopBits = false},
        {.settings = "1200,S,8,2", .speed = B1200, .parityKind = CMSPAR, .twoStopBits = true}};
    auto expectLine = [&](const Case& c, const char* when) {
        const termios line = pty.lineSettings();
        EXPECT_EQ(cfgetospeed(&line), c.speed) << c.settings << when;
        EXPECT_EQ((line.c_cflag & CSTOPB) != 0, c.twoStopBits) << c.settings << when;
        if (c.parityKind != 0) {
            EXPECT_EQ(line.c_cflag & (PARODD | CMSPAR), c.parityKind) << c.settings << when;
        }
        // Binary and without flow control, whatever the settings.
        EXPECT_EQ(line.c_cflag & CRTSCTS, 0u) << c.settings << when;
        EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u) << c.settings << when;
        EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u) << c.settings << when;
        EXPECT_EQ(line.c_oflag & OPOST, 0u) << c.settings << when;
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(serial.setPortOpen(false));
        ASSERT_TRUE(serial.setSettings(c.settings)) << c.settings;
        ASSERT_TRUE(serial.setPortOpen(true)) << c.settings;
        expectLine(c, " (written while closed)");
    }
    // Open, the pseudo-terminal takes changes of speed and stop bits.
    const Case whileOpen[] = {
        {.settings = "19200,N,8,2", .speed = B19200, .parityKind = 0, .twoStopBits = true},
        {.settings = "4800,N,8,1", .speed = B4800, .parityKind = 0, .twoStopBits = false}};
    for (const Case& c : whileOpen) {
        ASSERT_TRUE(serial.setSettings(c.settings)) << c.settings;
        expectLine(c, " (written while open)");
    }
    // A malformed setting changes nothing.
    EXPECT_FALSE(serial.setSettings("9600,N,9,1"));
    expectLine(whileOpen[1], " (after a refused setting)");
}

TEST_F(QtSerialControlTest, CarriesEveryByteValueBothWays) {
    open();
    ASSERT_TRUE(serial.output(everyByteValue()));
    EXPECT_EQ(pty.receive(256), everyByteValue());

    pty.send(everyByteValue());
    ASSERT_TRUE(pty.waitUntilQueued(256));
    const core::Result<Bytes> received = serial.input();
    ASSERT_TRUE(received);
    EXPECT_EQ(received.value(), everyByteValue());
}

TEST_F(QtSerialControlTest, CountsBytesTheDriverHoldsAndQtHasNotRead) {
    open();
    pty.send({1, 2, 3});
    ASSERT_TRUE(pty.waitUntilQueued(3));
    // No event loop has run: all three are still in the driver.
    EXPECT_EQ(serial.inBufferCount().value(), 3);

    runEventLoop(std::chrono::milliseconds(20));  // Qt reads them into its own buffer
    pty.send({4, 5});
    ASSERT_TRUE(pty.waitUntilQueued(2));
    EXPECT_EQ(serial.inBufferCount().value(), 5);

    ASSERT_TRUE(serial.setInputLen(4));
    EXPECT_EQ(serial.input().value(), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(serial.inBufferCount().value(), 1);
    ASSERT_TRUE(serial.setInputLen(0));
    EXPECT_EQ(serial.input().value(), (Bytes{5}));
    EXPECT_EQ(serial.inBufferCount().value(), 0);
    EXPECT_TRUE(serial.input().value().empty());
}

TEST_F(QtSerialControlTest, WritingZeroDiscardsEverythingReceived) {
    open();
    pty.send({1, 2, 3});
    ASSERT_TRUE(pty.waitUntilQueued(3));
    runEventLoop(std::chrono::milliseconds(20));
    pty.send({4, 5});
    ASSERT_TRUE(pty.waitUntilQueued(2));
    ASSERT_TRUE(serial.setInBufferCount(0));
    EXPECT_EQ(serial.inBufferCount().value(), 0);
    EXPECT_TRUE(serial.input().value().empty());

    // Reading goes on normally afterwards.
    pty.send({6});
    ASSERT_TRUE(pty.waitUntilQueued(1));
    runEventLoop(std::chrono::milliseconds(20));
    EXPECT_EQ(serial.input().value(), (Bytes{6}));
}

TEST_F(QtSerialControlTest, TheTransmitCountHoldsUntilTheFarEndHasTakenEverything) {
    open();
    // Far more than the pseudo-terminal buffers while nobody reads the other end.
    const Bytes big(200'000, 0x5A);
    ASSERT_TRUE(serial.output(big));
    const int pending = serial.outBufferCount().value();
    EXPECT_GT(pending, 0);

    std::size_t taken = 0;
    QElapsedTimer timer;
    timer.start();
    QtEventPump pump;
    while (serial.outBufferCount().value() > 0 && timer.elapsed() < 5000) {
        taken += pty.drain();
        pump.yield();
    }
    taken += pty.receive(big.size() - taken).size();
    EXPECT_EQ(serial.outBufferCount().value(), 0);
    EXPECT_EQ(taken, big.size());
}

TEST_F(QtSerialControlTest, WritingZeroDiscardsWhatIsWaitingToBeSent) {
    open();
    ASSERT_TRUE(serial.output(Bytes(200'000, 0x5A)));
    ASSERT_GT(serial.outBufferCount().value(), 0);
    ASSERT_TRUE(serial.setOutBufferCount(0));
    EXPECT_EQ(serial.outBufferCount().value(), 0);
}

TEST_F(QtSerialControlTest, AClosedPortKeepsWhatIsWrittenAndRefusesWhatNeedsTheLine) {
    // Everything the opening procedure writes before and around the opening is accepted.
    EXPECT_TRUE(serial.setInputLen(0));
    EXPECT_TRUE(serial.setInBufferSize(1024));
    EXPECT_TRUE(serial.setSettings("9600,N,8,1"));
    EXPECT_TRUE(serial.setInBufferCount(0));
    EXPECT_TRUE(serial.setOutBufferCount(0));
    EXPECT_FALSE(serial.portOpen().value());

    const std::vector<std::pair<const char*, core::Status>> lineNeeded = {
        {"inBufferCount", statusOf(serial.inBufferCount())},
        {"outBufferCount", statusOf(serial.outBufferCount())},
        {"input", statusOf(serial.input())},
        {"output", serial.output(Bytes{0x55})},
    };
    for (const auto& [name, status] : lineNeeded) {
        ASSERT_FALSE(status) << name;
        EXPECT_EQ(status.error().code, core::ErrorCode::NotOpen) << name;
    }
}

TEST_F(QtSerialControlTest, RefusesValuesOutsideTheirRange) {
    const std::vector<std::pair<const char*, core::Status>> cases = {
        {"port 0", serial.setCommPort(0)},
        {"port 9", serial.setCommPort(9)},
        {"input length -1", serial.setInputLen(-1)},
        {"buffer size 0", serial.setInBufferSize(0)},
        {"buffer size 40000", serial.setInBufferSize(40000)},
        {"receive count 5", serial.setInBufferCount(5)},
        {"transmit count 1", serial.setOutBufferCount(1)},
    };
    for (const auto& [name, status] : cases) {
        ASSERT_FALSE(status) << name;
        EXPECT_EQ(status.error().code, core::ErrorCode::InvalidArgument) << name;
    }
    EXPECT_EQ(serial.commPort(), 3);
}

TEST_F(QtSerialControlTest, AnOpenPortKeepsItsNumber) {
    open();
    const core::Status renumbered = serial.setCommPort(4);
    ASSERT_FALSE(renumbered);
    EXPECT_EQ(renumbered.error().code, core::ErrorCode::Refused);
    EXPECT_EQ(serial.commPort(), 3);
    EXPECT_FALSE(serial.setPortOpen(true));
    EXPECT_TRUE(serial.portOpen().value());
}

TEST_F(QtSerialControlTest, OpeningFailsWithTheSystemsReason) {
    struct Case {
        const char* name;
        std::function<void(TempPortFolder&, std::vector<std::unique_ptr<QtSerialControl>>&)> arrange;
        core::ErrorCode code;
        const char* text;
    };
    const Case cases[] = {{.name = "adapter unplugged (dangling link)",
                           .arrange = [](TempPortFolder& f, auto&) { f.link(5, f.path("ttyUSB-gone")); },
                           .code = core::ErrorCode::NotFound,
                           .text = "No such file or directory"},
                          // Another name for the same device must meet the same lock.
                          {"in use through another name",
                           [this](TempPortFolder& f, auto& holders) {
                               f.link(5, pty.path());
                               holders.push_back(std::make_unique<QtSerialControl>());
                               (void)holders.back()->setCommPort(3);
                               ASSERT_TRUE(holders.back()->setPortOpen(true));
                           },
                           core::ErrorCode::Busy, "is in use by PID"}};
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<QtSerialControl>> holders;
        c.arrange(folder, holders);
        QtSerialControl control;
        ASSERT_TRUE(control.setCommPort(5));
        const core::Status opened = control.setPortOpen(true);
        ASSERT_FALSE(opened) << c.name;
        EXPECT_EQ(opened.error().code, c.code) << c.name;
        EXPECT_NE(opened.error().text.find(c.text), std::string::npos)
            << c.name << ": " << opened.error().text;
        EXPECT_FALSE(control.portOpen().value()) << c.name;
        std::filesystem::remove(ports::portEntryPath(5).value());
    }
}

TEST_F(QtSerialControlTest, OpeningWithoutAccessSaysPermissionDenied) {
    ASSERT_EQ(::chmod(pty.path().c_str(), 0), 0);
    // The port folder must stay open to that user, so that only the device's mode refuses.
    ASSERT_EQ(::chmod(folder.path("").c_str(), 0755), 0);
    const test::ScopedUnprivileged unprivileged;
    ASSERT_EQ(unprivileged.problem(), "");
    const core::Status opened = serial.setPortOpen(true);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().code, core::ErrorCode::PermissionDenied);
    EXPECT_EQ(opened.error().text, "Permission denied");
}

TEST_F(QtSerialControlTest, AVanishedDeviceIsClosedAndReportedOnce) {
    open();
    pty.closeMaster();
    runEventLoop(std::chrono::milliseconds(200));
    EXPECT_EQ(failures, std::vector<std::string>{"Input/output error"});
    EXPECT_FALSE(serial.portOpen().value());

    // Until the port is closed or opened again, every operation names the reason.
    const core::Result<int> count = serial.inBufferCount();
    ASSERT_FALSE(count);
    EXPECT_EQ(count.error().code, core::ErrorCode::Io);
    EXPECT_EQ(count.error().text, "Input/output error");
    ASSERT_TRUE(serial.setPortOpen(false));
    EXPECT_EQ(serial.inBufferCount().error().code, core::ErrorCode::NotOpen);
    EXPECT_EQ(failures.size(), 1u);

    // The same number works again once it names a device that is there.
    PtyPair replacement;
    std::filesystem::remove(ports::portEntryPath(3).value());
    ASSERT_TRUE(folder.link(3, replacement.path()));
    open();
    ASSERT_TRUE(serial.output(Bytes{0x42}));
    EXPECT_EQ(replacement.receive(1), Bytes{0x42});
}

TEST_F(QtSerialControlTest, AVanishedDeviceFailsTheNextOperationEvenWithoutTheEventLoop) {
    open();
    pty.closeMaster();
    const core::Result<int> pending = serial.outBufferCount();
    ASSERT_FALSE(pending);
    EXPECT_EQ(pending.error().text, "Input/output error");
    EXPECT_FALSE(serial.portOpen().value());
    EXPECT_EQ(failures.size(), 1u);
}

}  // namespace
}  // namespace veltara::qt
