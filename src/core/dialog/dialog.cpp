#include "dialog/dialog.h"

#include <algorithm>

#include "dialog/identifierrows.h"
#include "dialog/layout.h"
#include "link/ratecodes.h"

namespace veltara::core {

namespace {

constexpr Appearance kPlain{};

const std::vector<std::string> kComPorts{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
const std::vector<std::string> kRs232Rates(kRs232RateTexts.begin(), kRs232RateTexts.end());
const std::vector<std::string> kCanRates(kCanRateTexts.begin(), kCanRateTexts.end());
const std::vector<std::string> kTwoWayTypes{"Standard", "Extended"};
const std::vector<std::string> kReceiveTypes{"Standard", "Extended", "All"};

}  // namespace

Dialog::Dialog(DialogServices services)
    : m_services(services),
      m_settingsSession(services.settingsFile),
      m_portState(services.serial),
      m_programmingRun(services.serial, services.pump, services.clock) {
    buildControls();
    wireHandlers();
    m_portState.onChanged = [this] {
        if (onPortStateChanged) {
            onPortStateChanged();
        }
    };
}

Dialog::~Dialog() = default;

void Dialog::buildControls() {
    auto place = [this](Control& c, std::string name, const Control* container, std::string caption, int tab,
                        Geometry g, Appearance a = kPlain, int index = -1) {
        c.setDesign({std::move(name), index, container, std::move(caption), tab, g, a});
        c.setFocusHost(this);
        m_controls.push_back(&c);
    };

    for (const LayoutEntry& entry : dialogLayout()) {
        place(entry.control(*this), entry.name, entry.container ? findControl(entry.container) : nullptr,
              entry.caption, entry.tab, entry.geometry, entry.appearance);
    }
    CmbCOM.initItems(kComPorts);
    CmbRS232BaudRate.initItems(kRs232Rates);
    ChkRS232TrID.initValue(CheckBox::kChecked);
    CmbCANBaudRate.initItems(kCanRates);
    cmbCANtrFrmType.initItems(kTwoWayTypes);
    optCANTrMultiByte.initValue(true);
    cmbCANRecFrmType.initItems(kReceiveTypes);
    cmbInputFrmType.initItems(kTwoWayTypes);
    cmbOutputFrmType.initItems(kTwoWayTypes);
    optInputChangeTr.initValue(true);
    txtPeriodmsCount.initText("500");
    txtOutputProtectValue.initText("00");

    // The identifier rows; the sort below puts every box in its tab place.
    for (const IdentifierRowSpec& rowSpec : kIdentifierRows) {
        TextBox* boxes = this->*rowSpec.boxes;
        for (int i = 0; i < 4; ++i) {
            const int fromLeft = 3 - i;
            place(boxes[i], rowSpec.name, &(this->*rowSpec.container), {}, rowSpec.tabOfBox3 + fromLeft,
                  {rowSpec.leftOfBox3 + 600 * fromLeft, rowSpec.top, 495, 285}, kPlain, i);
            boxes[i].initText(rowSpec.designTexts[static_cast<std::size_t>(i)]);
        }
    }

    optCANTrImme1byte.setGroup({&optCANTrMultiByte});
    optCANTrMultiByte.setGroup({&optCANTrImme1byte});
    optInputPeriodTr.setGroup({&optInputChangeTr});
    optInputChangeTr.setGroup({&optInputPeriodTr});

    std::sort(m_controls.begin(), m_controls.end(),
              [](const Control* a, const Control* b) { return a->tabIndex() < b->tabIndex(); });
}

void Dialog::wireHandlers() {
    btnProgramConfig.onClick = [this] { btnProgramConfig_Click(); };
    btnDefaultConfig.onClick = [this] { btnDefaultConfig_Click(); };
    CmbCOM.onClick = [this] { CmbCOM_Click(); };
    cmbCANtrFrmType.onClick = [this] { cmbCANtrFrmType_Click(); };
    cmbCANRecFrmType.onClick = [this] { cmbCANRecFrmType_Click(); };
    cmbInputFrmType.onClick = [this] { cmbInputFrmType_Click(); };
    cmbOutputFrmType.onClick = [this] { cmbOutputFrmType_Click(); };
    ChkRS232RecID.onClick = [this] { ChkRS232RecID_Click(); };
    chkOutputProtection.onClick = [this] { chkOutputProtection_Click(); };
    optInputChangeTr.onClick = [this] { optInputChangeTr_Click(); };
    optInputPeriodTr.onClick = [this] { optInputPeriodTr_Click(); };
    for (const IdentifierRowSpec& rowSpec : kIdentifierRows) {
        for (int i = 0; i < 4; ++i) {
            (this->*rowSpec.boxes)[i].onChange = [this, i, row = rowSpec.row] { identifierChanged(row, i); };
            (this->*rowSpec.boxes)[i].onLostFocus = [this, i, row = rowSpec.row] {
                identifierLostFocus(row, i);
            };
        }
    }
    txtPeriodmsCount.onChange = [this] { txtPeriodmsCount_Change(); };
    txtOutputProtectValue.onChange = [this] { txtOutputProtectValue_Change(); };
}

const Control* Dialog::labelOf(const Control& input) const {
    for (const IdentifierRowSpec& rowSpec : kIdentifierRows) {
        if (input.name() == rowSpec.name) {
            return &(this->*rowSpec.label);
        }
    }
    for (const LayoutEntry& entry : dialogLayout()) {
        if (entry.label != nullptr && input.name() == entry.name) {
            return findControl(entry.label);
        }
    }
    return nullptr;
}

Control* Dialog::findControl(const std::string& objectName) const {
    const auto it = std::find_if(m_controls.begin(), m_controls.end(),
                                 [&](const Control* c) { return c->objectName() == objectName; });
    return it == m_controls.end() ? nullptr : *it;
}

void Dialog::setShown(bool shown) {
    m_shown = shown;
}

bool Dialog::requestFocus(Control& control) {
    if (!m_shown || !control.enabled() || !control.takesFocus()) {
        return false;
    }
    userMovedFocus(&control);
    return true;
}

void Dialog::focusedControlDisabled(Control& control) {
    // A change of Enabled raises no notification, so the focus moves on as a window moves it, to the
    // next control in tab order that can take it, without LostFocus for the control it leaves.
    const auto at = std::find(m_controls.begin(), m_controls.end(), &control);
    Control* next = nullptr;
    for (std::size_t step = 1; at != m_controls.end() && step < m_controls.size() && !next; ++step) {
        Control* candidate =
            m_controls[(static_cast<std::size_t>(at - m_controls.begin()) + step) % m_controls.size()];
        if (candidate->enabled() && candidate->takesFocus()) {
            next = candidate;
        }
    }
    m_focused = next;
    if (next) {
        next->announceFocus();
    }
}

void Dialog::userMovedFocus(Control* to) {
    if (to == m_focused) {
        return;
    }
    Control* from = m_focused;
    m_focused = to;
    if (to) {
        // Views hear of the new focus before LostFocus runs, as a window moves the focus first.
        to->announceFocus();
    }
    if (from && from->kind() == ControlKind::TextBox) {
        auto* box = static_cast<TextBox*>(from);
        if (box->onLostFocus) {
            box->onLostFocus();
        }
    }
}

void Dialog::showMessage(std::string text, std::string title, MessageIcon icon, std::string field) {
    m_services.messages.show(
        {std::move(text), std::move(title), icon, MessageKind::General, std::move(field)});
}

IdentifierRow Dialog::row(IdRow which) {
    const IdentifierRowSpec& rowSpec = identifierRow(which);
    return {this->*rowSpec.boxes, this->*rowSpec.bytes, this->*rowSpec.frameType, rowSpec.rangeResetText,
            rowSpec.conversionResetText};
}

void Dialog::identifierChanged(IdRow which, int index) {
    identifierChangeRule(row(which), index, m_services.messages);
}

void Dialog::identifierLostFocus(IdRow which, int index) {
    identifierLostFocusRule(row(which), index);
}

void Dialog::txtCANTrID1_Change(int index) {
    identifierChanged(IdRow::CANTrID1, index);
}
void Dialog::txtCANTrID1_LostFocus(int index) {
    identifierLostFocus(IdRow::CANTrID1, index);
}
void Dialog::txtCANMask1_Change(int index) {
    identifierChanged(IdRow::CANMask1, index);
}
void Dialog::txtCANMask1_LostFocus(int index) {
    identifierLostFocus(IdRow::CANMask1, index);
}
void Dialog::txtCANFilter1_Change(int index) {
    identifierChanged(IdRow::CANFilter1, index);
}
void Dialog::txtCANFilter1_LostFocus(int index) {
    identifierLostFocus(IdRow::CANFilter1, index);
}
void Dialog::txtCANFilter2_Change(int index) {
    identifierChanged(IdRow::CANFilter2, index);
}
void Dialog::txtCANFilter2_LostFocus(int index) {
    identifierLostFocus(IdRow::CANFilter2, index);
}
void Dialog::txtInputID1_Change(int index) {
    identifierChanged(IdRow::InputID1, index);
}
void Dialog::txtInputID1_LostFocus(int index) {
    identifierLostFocus(IdRow::InputID1, index);
}
void Dialog::txtOutputID1_Change(int index) {
    identifierChanged(IdRow::OutputID1, index);
}
void Dialog::txtOutputID1_LostFocus(int index) {
    identifierLostFocus(IdRow::OutputID1, index);
}

void Dialog::txtPeriodmsCount_Change() {
    periodCountChangeRule(txtPeriodmsCount, PeriodmsCountValue, m_decimalSeparator, m_services.messages);
}

void Dialog::txtOutputProtectValue_Change() {
    protectValueChangeRule(txtOutputProtectValue, ConfigFrameBytes[frame::kProtectValue],
                           m_services.messages);
}

FrameInputs Dialog::frameInputs() const {
    FrameInputs in;
    in.rs232BaudRate = CmbRS232BaudRate.listIndex();
    in.canBaudRate = CmbCANBaudRate.listIndex();
    in.inputFrmType = cmbInputFrmType.listIndex();
    in.outputFrmType = cmbOutputFrmType.listIndex();
    in.canTrFrmType = cmbCANtrFrmType.listIndex();
    in.canRecFrmType = cmbCANRecFrmType.listIndex();
    in.outputProtection = chkOutputProtection.value();
    in.rs232RecId = ChkRS232RecID.value();
    in.rs232TrId = ChkRS232TrID.value();
    in.canTrMultiByte = optCANTrMultiByte.value();
    in.inputChangeTr = optInputChangeTr.value();
    for (const IdentifierRowSpec& rowSpec : kIdentifierRows) {
        in.*rowSpec.frameInput = this->*rowSpec.bytes;
    }
    in.periodmsCountValue = PeriodmsCountValue;
    return in;
}

}  // namespace veltara::core
