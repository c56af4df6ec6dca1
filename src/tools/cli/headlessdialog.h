#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialog/dialog.h"

namespace veltara::cli {

// Messages the dialog would show, printed as one line each on stderr ("title: text" unless `describe`
// words them otherwise).
class StderrMessageBoxes final : public core::MessageBoxes {
public:
    void show(const core::Message& message) override;
    std::vector<core::Message> shown;
    bool quiet = false;             // record only; the caller reports the outcome itself
    bool hidePortFailures = false;  // the caller reports a port failure with the system's reason
    // The field a correction is about, as the window labels it; start-up repeats one message for many.
    std::function<std::string(const core::Message&)> describe;
};

// A port that opens without a device, for building a frame without touching any serial port.
class OfflineSerialControl final : public core::SerialControl {
public:
    core::Result<bool> portOpen() const override { return m_open; }
    core::Status setPortOpen(bool open) override;
    core::Status setCommPort(int) override { return {}; }
    core::Status setInputLen(int) override { return {}; }
    core::Status setInBufferSize(int) override { return {}; }
    core::Result<int> inBufferCount() override { return 0; }
    core::Status setInBufferCount(int) override { return {}; }
    core::Result<int> outBufferCount() override { return 0; }
    core::Status setOutBufferCount(int) override { return {}; }
    core::Status setSettings(std::string_view) override { return {}; }
    core::Status output(std::span<const std::uint8_t>) override;
    core::Result<std::vector<std::uint8_t>> input() override { return std::vector<std::uint8_t>{}; }
    std::string deviceName(int) const override { return {}; }

private:
    bool m_open = false;
};

// Where the settings come from: a file that is only read, or the factory values.
struct SettingsSource {
    std::string file = "quorvel.ini";
    bool factoryDefaults = false;
};

struct EncodeResult {
    std::optional<core::ConfigFrame> frame;
    std::string error;       // why no frame could be built
    bool fileError = false;  // the settings file could not be read
};

// The dialog without a window: start-up on the settings (the file is only read, never created or
// written), the factory values when asked, and the frame built exactly as "Program Config" builds it.
class HeadlessDialog {
public:
    HeadlessDialog(const SettingsSource& source, core::SerialControl& serial, core::EventPump& pump,
                   core::MessageBoxes& messages);
    ~HeadlessDialog();

    EncodeResult load();
    core::Dialog& dialog() { return *m_dialog; }

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
    std::unique_ptr<core::Dialog> m_dialog;
    bool m_factoryDefaults;
};

}  // namespace veltara::cli
