// The two buttons and the port list.
#include "dialog/dialog.h"
#include "dialog/identifierrows.h"
#include "link/portopening.h"
#include "link/programmingexchange.h"
#include "settings/factorydefaults.h"

namespace veltara::core {

void Dialog::openPort(const std::function<void(const Error&)>& onStepFailed) {
    m_lastPortError.reset();
    const bool noEntry = CmbCOM.listIndex() < 0;
    runOpeningProcedure(m_services.serial, CmbCOM.listIndex() + 1, [&](const Error& error) {
        if (!m_lastPortError) {
            m_lastPortError = noEntry ? Error{error.code, "no port is selected"} : error;
        }
        onStepFailed(error);
    });
    if (onPortStateChanged) {
        onPortStateChanged();
    }
}

void Dialog::portClosedByFailure(const Error& failure) {
    m_lastPortError = failure;
    if (onPortStateChanged) {
        onPortStateChanged();
    }
}

void Dialog::CmbCOM_Click() {
    // The running exchange's reply would be read from the newly opened port: it cannot be judged.
    m_portChangedDuringExchange = m_exchangeRunning;
    openPort([this](const Error&) { showPortFailure(); });
}

std::string Dialog::portDevice() const {
    return m_services.serial.deviceName(CmbCOM.listIndex() + 1);
}

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
    if (m_exchangeRunning) {
        return;
    }
    const Result<ConfigFrame> built = buildConfigFrame();
    if (!built) {
        m_programVerdict = Verdict::SettingsRefused;
        showMessage(built.error().text, kInputDataError);
        return;
    }

    const Result<bool> open = m_services.serial.portOpen();
    if (!open || !open.value()) {
        m_programVerdict = Verdict::PortNotOpen;
        showPortFailure();
        return;
    }
    m_exchangeRunning = true;
    m_abandonExchange = false;
    m_portChangedDuringExchange = false;
    m_programVerdict = Verdict::NotRun;
    // The window's exchange: nothing discarded before sending, no settle time.
    const ExchangeResult result =
        runProgrammingExchange(m_services.serial, m_services.pump, m_services.clock, ConfigFrameBytes,
                               [this] { return m_abandonExchange || m_portChangedDuringExchange; });
    m_exchangeRunning = false;
    m_programVerdict = result.verdict;
    if (result.verdict == Verdict::LinkFailed) {
        portClosedByFailure(result.failure);
    } else if (result.verdict == Verdict::Stopped && !m_abandonExchange) {
        // Another port picked during the wait means this one got no answer; closing says nothing.
        m_programVerdict = Verdict::PortChanged;
    }
    switch (m_programVerdict) {
        case Verdict::Accepted:
            showMessage(kConfigSucceeds, "config confirmation", MessageIcon::Information);
            break;
        case Verdict::Stopped:
            break;
        default:
            // One message for every failure, a pause included: the window does not tell them apart.
            showMessage(kConfigFails, "Config confirmation", MessageIcon::Information);
            break;
    }
}

void Dialog::btnDefaultConfig_Click() {
    using D = FactoryDefaults;
    auto texts = [](TextBox* boxes, const D::Row& row) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            boxes[i].setText(row[i]);
        }
    };
    // Factory values are valid for every control, so these writes cannot be refused.
    (void)CmbRS232BaudRate.setListIndex(D::kRS232BaudRate);
    (void)CmbCANBaudRate.setListIndex(D::kCANBaudRate);
    (void)cmbCANtrFrmType.setListIndex(D::kFrameType);
    (void)cmbCANRecFrmType.setListIndex(D::kFrameType);
    (void)cmbInputFrmType.setListIndex(D::kFrameType);
    (void)cmbOutputFrmType.setListIndex(D::kFrameType);
    (void)chkOutputProtection.setValue(D::kOutputProtection);
    (void)ChkRS232RecID.setValue(D::kRS232RecID);
    (void)ChkRS232TrID.setValue(D::kRS232TrID);
    optCANTrImme1byte.setValue(true);
    optCANTrMultiByte.setValue(false);
    optInputPeriodTr.setValue(false);
    optInputChangeTr.setValue(true);
    for (const IdentifierRowSpec& rowSpec : kIdentifierRows) {
        texts(this->*rowSpec.boxes, rowSpec.stored->factoryTexts);
    }
    txtPeriodmsCount.setText(D::kPeriodmsCount);
    txtOutputProtectValue.setText(D::kOutputProtectValue);
}

}  // namespace veltara::core
