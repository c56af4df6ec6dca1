// The port list and the state of the port it opens.
#include "dialog/dialog.h"

namespace veltara::core {

void Dialog::CmbCOM_Click() {
    // The running exchange's reply would be read from the newly opened port: it cannot be judged.
    m_programmingRun.portChanged();
    m_portState.open(CmbCOM.listIndex(), [this](const Error&) { showPortFailure(); });
}

void Dialog::portClosedByFailure(const Error& failure) {
    m_portState.closedByFailure(failure);
}

std::string Dialog::portDevice() const {
    return m_portState.device(CmbCOM.listIndex());
}

void Dialog::showPortFailure() {
    m_services.messages.show({kPortFailure, kAppTitle, MessageIcon::None, MessageKind::PortFailure});
}

}  // namespace veltara::core
