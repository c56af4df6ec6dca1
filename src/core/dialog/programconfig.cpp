// "Program Config": the frame built from the controls and sent by the window's exchange.
#include "dialog/dialog.h"

namespace veltara::core {

Result<ConfigFrame> Dialog::buildConfigFrame() {
    const FrameInputs inputs = frameInputs();
    if (const auto problem = frameInputProblem(inputs)) {
        return Error{ErrorCode::InvalidArgument, *problem};
    }
    encodeConfigFrame(inputs, ConfigFrameBytes);
    return ConfigFrameBytes;
}

void Dialog::btnProgramConfig_Click() {
    // The exchange yields to the event loop, so a second press can arrive while it waits.
    if (m_programmingRun.running()) {
        return;
    }
    const Result<ConfigFrame> built = buildConfigFrame();
    if (!built) {
        m_programmingRun.refuse(Verdict::SettingsRefused);
        showMessage(built.error().text, kInputDataError);
        return;
    }

    if (!m_portState.isOpen()) {
        m_programmingRun.refuse(Verdict::PortNotOpen);
        showPortFailure();
        return;
    }
    const ExchangeResult result = m_programmingRun.run(ConfigFrameBytes);
    if (result.verdict == Verdict::LinkFailed) {
        portClosedByFailure(result.failure);
    }
    if (const std::optional<Message> message = m_programmingRun.message()) {
        m_services.messages.show(*message);
    }
}

}  // namespace veltara::core
