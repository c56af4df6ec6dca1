#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "link/framefields.h"
#include "messagetexts.h"
#include "serial/portauthority.h"
#include "serial/qteventpump.h"
#include "serial/qtserialcontrol.h"
#include "sim/convertersimulator.h"
#include "windowsession.h"

namespace veltara::test {
namespace {

using namespace std::chrono_literals;

const std::vector<std::uint8_t> kFactoryFrame{
    0x03, 0x00, 0x05, 0x00, 0xE4, 0x40, 0x00, 0x00, 0xA4, 0x40, 0x00, 0x00, 0xA1, 0x64, 0x40, 0x00, 0x00,
    0xFF, 0xE0, 0x00, 0x00, 0x66, 0x60, 0x00, 0x00, 0x2C, 0x01, 0x00, 0x66, 0x60, 0x00, 0x00, 0xED};

// A converter on a pseudo-terminal that the dialog's COM1 reaches, answering from the event loop.
struct Converter {
    explicit Converter(sim::ReplyMode mode)
        : engine(mode, [this](const std::string& l) { lines.push_back(l); }) {
        EXPECT_TRUE(engine.open());
        EXPECT_TRUE(link.create(1, engine.devicePath()));
        QObject::connect(&poll, &QTimer::timeout, [this] { (void)engine.step(0ms); });
        poll.start(2);
    }
    std::vector<std::string> lines;
    sim::ConverterSimulator engine;
    qt::ports::ComLink link;
    QTimer poll;
};

struct RealLink {
    qt::QtSerialControl serial;
    qt::QtEventPump pump;
    SteadyClock clock;
    RealServices services() { return {.serial = &serial, .pump = &pump, .clock = &clock}; }
};

TEST(WindowProgramConfig, DefaultThenProgramSendsTheFactoryFrameWhileTheWindowStaysUsable) {
    Converter converter(sim::ReplyMode::Ack);
    RealLink link;
    WindowSession s(link.services());
    s.start();
    ASSERT_TRUE(s.messages.shown.empty()) << s.messages.shown[0].text;
    QTest::mouseClick(s.widget("btnDefaultConfig"), Qt::LeftButton);
    QTimer::singleShot(300, [&] {
        EXPECT_TRUE(s.dialog.exchangeRunning());
        QTest::mouseClick(s.widget("btnProgramConfig"), Qt::LeftButton);  // does not nest
        s.typeInto("txtCANFilter1_0", "12");
    });
    QTest::mouseClick(s.widget("btnProgramConfig"), Qt::LeftButton);

    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(s.messages.shown[0].text, kSucceeds);
    EXPECT_EQ(s.messages.shown[0].title, "config confirmation");
    EXPECT_EQ(s.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(s.edit("txtCANFilter1_0")->text(), "12");
    EXPECT_EQ(converter.engine.framesReceived(), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(s.dialog.ConfigFrameBytes.begin(), s.dialog.ConfigFrameBytes.end()),
              kFactoryFrame);
    ASSERT_EQ(converter.lines.size(), 2u);  // the frame and the answer
    const std::string factory = describeFrameLine(s.dialog.ConfigFrameBytes);
    EXPECT_NE(converter.lines[0].find(factory), std::string::npos) << converter.lines[0];
}

TEST(WindowProgramConfig, ClosingDuringTheWaitAbandonsTheExchangeThenTheLoopEnds) {
    Converter converter(sim::ReplyMode::Silent);
    RealLink link;
    WindowSession s(link.services());
    s.start();
    bool handlerReturned = false;
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(s.widget("btnProgramConfig"), Qt::LeftButton);
        handlerReturned = true;
    });
    QTimer::singleShot(300, [&] {
        EXPECT_TRUE(s.dialog.exchangeRunning());
        s.window.close();
        s.window.close();
    });
    QTimer::singleShot(5000, [] { QApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(handlerReturned);
    // A finished exchange would have said "Configuration fails!": the converter stays silent.
    EXPECT_TRUE(s.messages.shown.empty());
    EXPECT_EQ(s.file.writes, 1);
    EXPECT_FALSE(link.serial.portOpen().value());
}

}  // namespace
}  // namespace veltara::test
