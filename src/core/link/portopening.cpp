#include "link/portopening.h"

namespace veltara::core {

void runOpeningProcedure(SerialControl& serial, int portNumber,
                         const std::function<void(const Error&)>& onStepFailed) {
    auto step = [&](const Status& status) {
        if (!status) {
            onStepFailed(status.error());
        }
    };
    const Result<bool> open = serial.portOpen();
    if (!open) {
        onStepFailed(open.error());
    }
    // A failed read of the state goes on with the closing, as if the port were open.
    if (!open || open.value()) {
        step(serial.setPortOpen(false));
    }
    // A refused number (no entry selected) must not leave the previous port in charge: opening now
    // would open that one while the list shows none, and "Program Config" would send there.
    if (const Status chosen = serial.setCommPort(portNumber); !chosen) {
        onStepFailed(chosen.error());
        return;
    }
    step(serial.setInputLen(0));
    step(serial.setInBufferSize(kInBufferSize));
    step(serial.setPortOpen(true));
    step(serial.setInBufferCount(0));
    step(serial.setOutBufferCount(0));
    step(serial.setSettings(kLineSettings));
}

}  // namespace veltara::core
