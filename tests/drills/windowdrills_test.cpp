// The user hammering the window while a programming exchange waits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "serial/portauthority.h"
#include "serial/qteventpump.h"
#include "serial/qtserialcontrol.h"
#include "settings/settingscodec.h"
#include "sim/convertersimulator.h"
#include "windowsession.h"

namespace veltara::test {
namespace {

using namespace std::chrono_literals;

// Closing the window during the wait:
// WindowProgramConfig.ClosingDuringTheWaitAbandonsTheExchangeThenTheLoopEnds and
// DialogOverPty.ClosingTheDialogDuringTheExchangeShutsDownWithoutItsMessage.
TEST(WindowDrill, TenFastPressesOfProgramConfigRunOneExchange) {
    sim::ConverterSimulator converter(sim::ReplyMode::Ack, [](const std::string&) {});
    ASSERT_TRUE(converter.open());
    qt::ports::ComLink link;
    ASSERT_TRUE(link.create(1, converter.devicePath()));
    QTimer serve;
    QObject::connect(&serve, &QTimer::timeout, [&] { (void)converter.step(0ms); });
    serve.start(2);

    qt::QtSerialControl serial;
    qt::QtEventPump pump;
    SteadyClock clock;
    WindowSession s({.serial = &serial, .pump = &pump, .clock = &clock});
    s.start();
    ASSERT_TRUE(s.messages.shown.empty()) << s.messages.shown[0].text;
    s.typeInto("txtCANTrID1_0", "12");

    // Ten clicks 10 ms apart through the window system's input path, as a mouse delivers them: the
    // first starts the exchange, the other nine arrive while it waits.
    QWidget* button = s.widget("btnProgramConfig");
    const QPoint at = button->mapTo(&s.window, button->rect().center());
    auto click = [&] { QTest::mouseClick(s.window.windowHandle(), Qt::LeftButton, {}, at); };
    int clicks = 1;
    QTimer more;
    QObject::connect(&more, &QTimer::timeout, [&] {
        if (clicks < 10) {
            ++clicks;
            click();
        }
    });
    more.start(10);
    click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 10 && !s.dialog.exchangeRunning(); }, 10000));
    // Nothing left in the queue starts another exchange later.
    QTest::qWait(300);

    EXPECT_EQ(converter.framesReceived(), 1);
    EXPECT_EQ(s.messages.texts(), std::vector<std::string>{"Configuration is successfull!"});
    EXPECT_TRUE(serial.portOpen().value());

    s.window.close();
    EXPECT_EQ(s.file.writes, 1);
    EXPECT_EQ(core::decodeSettingsRecord(s.file.bytes).CANTrID1[0].text(), "12  ");
}

}  // namespace
}  // namespace veltara::test
