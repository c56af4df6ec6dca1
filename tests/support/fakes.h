#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dialog/dialog.h"

namespace veltara::test {

using namespace core;

// Records every message; `whileOpen` runs as if the user acted while the modal box is up.
class FakeMessageBoxes final : public MessageBoxes {
public:
    void show(const Message& message) override;
    std::vector<Message> shown;
    std::function<void(const Message&)> whileOpen;
    std::vector<std::string> texts() const;
    void clear() { shown.clear(); }
};

class FakeClock final : public MonotonicClock {
public:
    std::chrono::nanoseconds now() const override { return time; }
    std::chrono::nanoseconds time{std::chrono::hours(1000)};
};

// Each yield advances the fake clock by `step` and runs `onYield` (the converter "answering").
class FakeEventPump final : public EventPump {
public:
    explicit FakeEventPump(FakeClock& clock) : m_clock(clock) {}
    void yield() override;
    // Waits `step`, or less when the caller's deadline comes first, but at least a millisecond, as the
    // real pump does: a zero wait still lets time pass.
    void yieldFor(std::chrono::nanoseconds maxWait) override;
    std::chrono::nanoseconds step{std::chrono::milliseconds(5)};
    std::function<void()> onYield;
    int yields = 0;

private:
    FakeClock& m_clock;
};

class FakeScreen final : public Screen {
public:
    double widthTwips() const override { return width; }
    double heightTwips() const override { return height; }
    double width = 1920 * 15;
    double height = 1080 * 15;
};

// A serial port model: ports listed in `present` can open; the buffer properties and Settings
// written while closed are accepted and kept, so a port that will not open fails only its opening.
class FakeSerialControl final : public SerialControl {
public:
    Result<bool> portOpen() const override;
    Status setPortOpen(bool open) override;
    Status setCommPort(int port) override;
    Status setInputLen(int length) override;
    Status setInBufferSize(int size) override;
    Result<int> inBufferCount() override;
    Status setInBufferCount(int count) override;
    Result<int> outBufferCount() override;
    Status setOutBufferCount(int count) override;
    Status setSettings(std::string_view settings) override;
    Status output(std::span<const std::uint8_t> bytes) override;
    Result<std::vector<std::uint8_t>> input() override;
    std::string deviceName(int port) const override { return "/dev/fake" + std::to_string(port); }

    std::vector<int> present{1, 2, 3, 4, 5, 6, 7, 8};
    bool open = false;
    int commPort = 1;
    int inputLen = -1;
    int inBufferSize = -1;
    std::string settings;
    std::deque<std::uint8_t> received;
    std::vector<std::vector<std::uint8_t>> sent;
    int pendingOutput = 0;             // bytes reported as still in the transmit buffer
    bool failAllOperations = false;    // the device vanished
    std::optional<Error> outputError;  // only sending fails
    std::vector<std::string> log;      // operations in order, for sequence checks
    int opens = 0;
};

class MemorySettingsFile final : public SettingsFile {
public:
    Status open() override;
    Result<std::vector<std::uint8_t>> read(std::size_t maxBytes) override;
    Status write(std::span<const std::uint8_t> bytes) override;
    Status close() override;
    bool isOpen() const override { return isOpenNow; }
    std::string readOnlyReason() const override { return {}; }
    std::string displayName() const override { return "quorvel.ini"; }

    std::vector<std::uint8_t> bytes;
    bool exists = false;
    std::optional<Error> openError;
    std::optional<Error> readError;
    std::optional<Error> writeError;
    std::optional<Error> closeError;
    bool isOpenNow = false;
    int writes = 0;
};

// Every service a dialog needs, faked, with the settings file in memory.
struct FakeServices {
    FakeMessageBoxes messages;
    FakeSerialControl serial;
    FakeClock clock;
    FakeEventPump pump{clock};
    FakeScreen screen;
    MemorySettingsFile file;
};

// Real services in place of some fakes, for the tests that need a port, a pump or a file.
struct RealServices {
    MessageBoxes* messages = nullptr;
    SerialControl* serial = nullptr;
    EventPump* pump = nullptr;
    MonotonicClock* clock = nullptr;
    SettingsFile* file = nullptr;
};

// The one place tests wire a dialog: every service faked unless a test hands in a real one.
struct DialogFixture : FakeServices {
    explicit DialogFixture(RealServices real = {});

    Dialog dialog;

    // Form_Load and the dialog shown, with the start-up messages cleared.
    void start();
    // Types text into a box one character at a time, as a user would after selecting all of it.
    void typeInto(TextBox& box, const std::string& text);
};

}  // namespace veltara::test
