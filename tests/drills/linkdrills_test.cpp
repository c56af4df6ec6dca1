// Faults on the serial line while the dialog runs with its real serial control and event pump over a
// pseudo-terminal: the device vanishing, a flood of noise, and a port the user may not open.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>

#include "drillsupport.h"
#include "fakes.h"
#include "link/portopening.h"
#include "messagetexts.h"
#include "ptypair.h"
#include "qttestpump.h"
#include "serial/qtserialcontrol.h"
#include "settings/settingscodec.h"
#include "tempportfolder.h"

namespace veltara::test {
namespace {

using namespace std::chrono_literals;

// Far beyond anything the line needs; only a hang gets near it.
constexpr auto kHang = 10s;

// AddressSanitizer keeps freed memory resident for a while, so resident memory says nothing there.
#if defined(__SANITIZE_ADDRESS__)
#define VELTARA_DRILL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELTARA_DRILL_ASAN 1
#endif
#endif
#ifdef VELTARA_DRILL_ASAN
constexpr bool kResidentMemoryCounts = false;
#else
constexpr bool kResidentMemoryCounts = true;
#endif

class LinkDrill : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_TRUE(converter->ok());
        // COM1 is the port a dialog without saved settings opens.
        ASSERT_TRUE(folder.link(1, converter->path()));
        QObject::connect(&serial, &qt::QtSerialControl::portFailed, [this](const core::Error& failure) {
            ++portFailures;
            dialog.portClosedByFailure(failure);  // as the program wires it
        });
        dialog.Form_Load();
        dialog.setShown(true);
        ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text;
        ASSERT_TRUE(serial.portOpen().value());
        // The user's own setting, which no fault of the line may cost them.
        dialog.txtPeriodmsCount.setText("777");
        pump.onYield = [this] { acknowledgeFrames(); };
    }

    // The converter: every whole frame is answered with 0x55 at once.
    void acknowledgeFrames() {
        const std::vector<std::uint8_t> bytes = converter->take();
        pendingFrameBytes += bytes.size();
        for (; pendingFrameBytes >= core::kConfigFrameSize; pendingFrameBytes -= core::kConfigFrameSize) {
            ++framesReceived;
            const std::uint8_t ack = 0x55;
            converter->offer({&ack, 1});
        }
    }

    std::chrono::milliseconds press() {
        messages.clear();
        QElapsedTimer timer;
        timer.start();
        dialog.btnProgramConfig_Click();
        return std::chrono::milliseconds(timer.elapsed());
    }

    // A new device behind COM1, picked again in the port list, as the user does after replugging.
    void replug() {
        converter = std::make_unique<PtyPair>();
        ASSERT_TRUE(converter->ok());
        std::filesystem::remove(qt::ports::portEntryPath(1).value());
        ASSERT_TRUE(folder.link(1, converter->path()));
        messages.clear();
        ASSERT_TRUE(dialog.CmbCOM.setListIndex(0));
        ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text;
        ASSERT_TRUE(serial.portOpen().value());
    }

    // Closing saves the dialog as the user left it.
    void expectClosingSavesTheSettings() {
        messages.clear();
        dialog.Form_Unload();
        EXPECT_TRUE(messages.shown.empty()) << messages.shown[0].text;
        ASSERT_EQ(fixture.file.writes, 1);
        EXPECT_EQ(core::decodeSettingsRecord(fixture.file.bytes).PeriodmsCount.text(), "777     ");
        EXPECT_FALSE(serial.portOpen().value());
    }

    TempPortFolder folder;
    std::unique_ptr<PtyPair> converter = std::make_unique<PtyPair>();
    std::size_t pendingFrameBytes = 0;
    int framesReceived = 0;
    qt::QtSerialControl serial;
    QtTestPump pump;
    core::SteadyClock clock;
    DialogFixture fixture{{.serial = &serial, .pump = &pump, .clock = &clock}};
    FakeMessageBoxes& messages = fixture.messages;
    core::Dialog& dialog = fixture.dialog;
    int portFailures = 0;
};

// While draining and in the reply window:
// DialogOverPty.TheDeviceVanishingMidExchangeFailsOnceAndClosesThePort.
TEST_F(LinkDrill, TheDeviceVanishingWhileIdleOrAtTheWriteIsReportedOnceAndThePortComesBack) {
    struct Case {
        const char* name;
        bool idleFirst;  // the event loop runs between the loss and the press
        const char* message;
        const char* title;
    };
    const Case cases[] = {
        // The port noticed and closed itself, so the press finds no open port.
        {"while idle", true, kPortFailure, "Veltara"},
        // Nothing ran in between: the press itself meets the dead device.
        {"at the write", false, kFails, "Config confirmation"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        portFailures = 0;
        framesReceived = 0;
        converter->hangUp();
        if (c.idleFirst) {
            QElapsedTimer waited;
            waited.start();
            while (portFailures == 0 && waited.elapsed() < 5000) {
                pump.yield();
            }
            EXPECT_EQ(portFailures, 1);
            EXPECT_FALSE(serial.portOpen().value());
        }
        EXPECT_LT(press(), kHang);
        ASSERT_EQ(messages.texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(messages.shown[0].title, c.title);
        EXPECT_EQ(dialog.lastPortError(), (core::Error{core::ErrorCode::Io, "Input/output error"}));
        EXPECT_FALSE(serial.portOpen().value());
        EXPECT_FALSE(dialog.exchangeRunning());
        // Reported once; the dead device does not keep the loop busy with errors.
        pump.run(100ms);
        EXPECT_EQ(portFailures, 1);

        replug();
        EXPECT_FALSE(dialog.lastPortError());
        press();
        EXPECT_EQ(messages.texts(), std::vector<std::string>{kSucceeds});
        EXPECT_EQ(framesReceived, 1);
    }
    expectClosingSavesTheSettings();
}

TEST_F(LinkDrill, AMegabyteOfNoiseInTheReplyWindowFailsCleanlyAndStaysBounded) {
    constexpr std::size_t kFlood = 1 << 20;
    const std::vector<std::uint8_t> noise = noiseBytes(kFlood);
    const auto* port = serial.findChild<QSerialPort*>();
    ASSERT_NE(port, nullptr);

    std::size_t offered = 0;
    qint64 mostBuffered = 0;
    const long residentBefore = residentKiB();
    long residentPeak = residentBefore;
    pump.onYield = [&] {
        if (framesReceived == 0) {
            pendingFrameBytes += converter->take().size();
            framesReceived = pendingFrameBytes >= core::kConfigFrameSize ? 1 : 0;
            return;
        }
        // The frame is on the far side: noise for as long as the line takes it, up to a megabyte.
        offered += converter->offer(std::span(noise).subspan(offered));
        mostBuffered = std::max(mostBuffered, port->bytesAvailable());
        residentPeak = std::max(residentPeak, residentKiB());
    };
    pump.yields = 0;
    EXPECT_LT(press(), kHang);
    pump.onYield = nullptr;

    ASSERT_EQ(messages.texts(), std::vector<std::string>{kFails});
    EXPECT_EQ(messages.shown[0].title, "Config confirmation");
    EXPECT_EQ(framesReceived, 1);
    EXPECT_GT(offered, core::kInBufferSize) << "the noise never reached the port";
    // The port's own buffer stops at its size; what the line still holds stays in the kernel.
    EXPECT_LE(mostBuffered, core::kInBufferSize);
    if (kResidentMemoryCounts) {
        EXPECT_LT(residentPeak - residentBefore, 512)
            << "KiB more resident memory; " << offered << " bytes offered";
    }
    // A quiet second is some 100 yields of 10 ms; a loop woken by every byte would be far above this.
    EXPECT_LT(pump.yields, 2000) << "the noise kept the event loop spinning";
    std::printf(
        "[ drill    ] %zu of %zu noise bytes taken by the line, at most %lld buffered, RSS +%ld KiB, %d "
        "yields\n",
        offered, kFlood, static_cast<long long>(mostBuffered), residentPeak - residentBefore, pump.yields);

    // The noise is not a fault of the port: it stays open and empty.
    EXPECT_TRUE(serial.portOpen().value());
    EXPECT_EQ(portFailures, 0);
    EXPECT_EQ(serial.inBufferCount().value(), 0);
    // Reading goes on after the discard, so a device lost now is noticed at once, as on a quiet line.
    converter->hangUp();
    QElapsedTimer waited;
    waited.start();
    while (portFailures == 0 && waited.elapsed() < 5000) {
        pump.yield();
    }
    EXPECT_EQ(portFailures, 1) << "the port stopped watching the line after the noise";
    EXPECT_EQ(dialog.lastPortError(), (core::Error{core::ErrorCode::Io, "Input/output error"}));

    replug();
    framesReceived = 0;
    pendingFrameBytes = 0;
    pump.onYield = [this] { acknowledgeFrames(); };
    press();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kSucceeds});
    EXPECT_EQ(framesReceived, 1);
    expectClosingSavesTheSettings();
}

// A device without any access for the user who runs the dialog.
TEST(PortPermissionDrill, ADeviceTheUserMayNotOpenSaysSoAndTheDialogGoesOn) {
    const UnprivilegedHelper helper(VELTARA_PORT_HELPER);
    ASSERT_EQ(helper.problem(), "");
    PtyPair converter;
    ASSERT_TRUE(converter.ok());
    ASSERT_EQ(::chmod(converter.path().c_str(), 0), 0);
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    ASSERT_EQ(::chmod(config.path().toLocal8Bit().constData(), 0755), 0);
    const std::filesystem::path ports = config.filePath("veltara/ports").toStdString();
    std::filesystem::create_directories(ports);
    std::filesystem::create_symlink(converter.path(), ports / "COM1");

    const HelperRun run = runHelper(helper.command({config.path().toStdString()}), kHang);
    ASSERT_TRUE(run.finished) << "the dialog hung:\n" << run.output;
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::vector<std::string> expected{
        // Start-up opens the port twice: once as the port list takes COM1, once as its last step.
        "load\tVeltara\t" + std::string(kPortFailure),
        "load\tVeltara\t" + std::string(kPortFailure),
        "reason\tPermission denied",
        "press\tVeltara\t" + std::string(kPortFailure),
        "saved\t1",
    };
    EXPECT_EQ(run.lines(), expected) << run.output;
    EXPECT_TRUE(converter.take().empty()) << "bytes reached a port that never opened";
}

}  // namespace
}  // namespace veltara::test
