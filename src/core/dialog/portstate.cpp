#include "dialog/portstate.h"

#include "link/portopening.h"

namespace veltara::core {

void PortState::open(int listIndex, const std::function<void(const Error&)>& onStepFailed) {
    m_lastError.reset();
    const bool noEntry = listIndex < 0;
    runOpeningProcedure(m_serial, listIndex + 1, [&](const Error& error) {
        if (!m_lastError) {
            m_lastError = noEntry ? Error{error.code, "no port is selected"} : error;
        }
        onStepFailed(error);
    });
    changed();
}

void PortState::closedByFailure(const Error& failure) {
    m_lastError = failure;
    changed();
}

void PortState::close() {
    if (isOpen()) {
        (void)m_serial.setPortOpen(false);
    }
}

bool PortState::isOpen() const {
    const Result<bool> open = m_serial.portOpen();
    return open && open.value();
}

}  // namespace veltara::core
