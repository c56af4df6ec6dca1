#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/result.h"
#include "link/serialcontrol.h"

namespace veltara::core {

// The serial port as the port list leaves it: opened on the chosen entry, or why it is not, in the
// system's words, until the next opening.
class PortState {
public:
    explicit PortState(SerialControl& serial) : m_serial(serial) {}

    // Runs the opening procedure for list entry `listIndex` (-1: none selected); `onStepFailed` hears
    // of every step that fails.
    void open(int listIndex, const std::function<void(const Error&)>& onStepFailed);
    // The serial adapter closed the port on its own (device gone); the reason shows like a failed opening.
    void closedByFailure(const Error& failure);
    void close();
    bool isOpen() const;
    // nullopt after a good opening.
    const std::optional<Error>& lastError() const { return m_lastError; }
    // The device list entry `listIndex` reaches.
    std::string device(int listIndex) const { return m_serial.deviceName(listIndex + 1); }

    // Called after the port was opened, failed to open or closed itself.
    std::function<void()> onChanged;

private:
    void changed() const {
        if (onChanged) {
            onChanged();
        }
    }

    SerialControl& m_serial;
    std::optional<Error> m_lastError;
};

}  // namespace veltara::core
