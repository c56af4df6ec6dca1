#pragma once

#include <optional>
#include <string>

#include "dialog/headlessdialog.h"
#include "platform/recordfile.h"

namespace veltara::cli {

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

// The dialog without a window on the settings a command names: the file only read (never created or
// written) or the factory values, and the frame built exactly as "Program Config" builds it.
class SettingsLoad {
public:
    SettingsLoad(const SettingsSource& source, core::SerialControl& serial, core::EventPump& pump,
                 core::MessageBoxes& messages);

    EncodeResult load();
    core::Dialog& dialog() { return m_headless.dialog(); }

private:
    platform::RecordFile m_recordFile;
    core::NoSettingsFile m_noFile;
    core::SteadyClock m_clock;
    bool m_factoryDefaults;
    core::HeadlessDialog m_headless;
};

}  // namespace veltara::cli
