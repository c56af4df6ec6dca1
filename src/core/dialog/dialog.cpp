#include "dialog/dialog.h"

#include <algorithm>

#include "dialog/identifierrows.h"
#include "link/ratecodes.h"

namespace veltara::core {

namespace {

constexpr Appearance kPlain{};
constexpr Appearance kYellow{true, false, 0.0, false};

const std::vector<std::string> kComPorts{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
const std::vector<std::string> kRs232Rates(kRs232RateTexts.begin(), kRs232RateTexts.end());
const std::vector<std::string> kCanRates(kCanRateTexts.begin(), kCanRateTexts.end());
const std::vector<std::string> kTwoWayTypes{"Standard", "Extended"};
const std::vector<std::string> kReceiveTypes{"Standard", "Extended", "All"};

}  // namespace

Dialog::Dialog(DialogServices services) : m_services(services) {
    buildControls();
    wireHandlers();
}

Dialog::~Dialog() = default;

void Dialog::buildControls() {
    auto place = [this](Control& c, std::string name, const Control* container, std::string caption, int tab,
                        Geometry g, Appearance a = kPlain, int index = -1) {
        c.setDesign({std::move(name), index, container, std::move(caption), tab, g, a});
        c.setFocusHost(this);
        m_controls.push_back(&c);
    };

    // Top level.
    place(btnProgramConfig, "btnProgramConfig", nullptr, "Program Config", 0, {6120, 8400, 1455, 375});
    place(btnDefaultConfig, "btnDefaultConfig", nullptr, "Default Config", 1, {3600, 8400, 1215, 375});
    place(Frame1, "Frame1", nullptr, "RS232 Config", 2, {840, 720, 4455, 4935}, kYellow);
    place(Frame2, "Frame2", nullptr, "CAN Config", 3, {5640, 720, 5415, 4935}, kYellow);
    place(Frame3, "Frame3", nullptr, "I/O Config", 4, {840, 5880, 4455, 2415}, kYellow);
    place(Frame4, "Frame4", nullptr, "I/O Feature", 5, {5640, 5880, 5415, 2415}, kYellow);
    place(Label3, "Label3", nullptr, "RS232-CAN Bus Converter", 12, {3840, 120, 4575, 495},
          {false, true, 12.0, false});

    // RS232 Config.
    place(Label1, "Label1", &Frame1, "RS232 Port:", 6, {240, 360, 1095, 255}, kYellow);
    place(CmbCOM, "CmbCOM", &Frame1, {}, 7, {1560, 360, 1335, 315});
    CmbCOM.initItems(kComPorts);
    place(Label2, "Label2", &Frame1, "Baud Rate:", 8, {240, 960, 1215, 255}, kYellow);
    place(CmbRS232BaudRate, "CmbRS232BaudRate", &Frame1, {}, 9, {1560, 960, 1335, 315});
    CmbRS232BaudRate.initItems(kRs232Rates);
    place(ChkRS232TrID, "ChkRS232TrID", &Frame1, "Transmiting contains Message ID and DLC", 10,
          {120, 2400, 3495, 375}, kYellow);
    ChkRS232TrID.initValue(CheckBox::kChecked);
    place(ChkRS232RecID, "ChkRS232RecID", &Frame1, "Receiving contains Message ID and DLC", 11,
          {120, 1800, 3495, 375}, kYellow);
    place(Label20, "Label20", &Frame1, "Notes:", 67, {360, 3120, 615, 255}, {true, true, 8.25, true});
    place(Label21, "Label21", &Frame1,
          "Here, the transmiting and receiving mean viewpoint is IC chip not this PC", 68,
          {360, 3480, 3495, 735}, kYellow);

    // CAN Config.
    place(Label4, "Label4", &Frame2, "Baud Rate:", 13, {600, 360, 1455, 255}, kYellow);
    place(CmbCANBaudRate, "CmbCANBaudRate", &Frame2, {}, 14, {2040, 360, 1575, 315});
    CmbCANBaudRate.initItems(kCanRates);
    place(Frame5, "Frame5", &Frame2, "CAN Transmitting", 15, {360, 720, 4575, 2055});
    place(Frame6, "Frame6", &Frame2, "CAN Receiving", 16, {360, 2880, 4575, 1935});

    // CAN Transmitting.
    place(Label5, "Label5", &Frame5, "Frame Type", 17, {240, 360, 1335, 255});
    place(cmbCANtrFrmType, "cmbCANtrFrmType", &Frame5, {}, 18, {1560, 360, 1575, 315});
    cmbCANtrFrmType.initItems(kTwoWayTypes);
    place(Label6, "Label6", &Frame5, "Frame Message ID:", 19, {240, 840, 1575, 255});
    place(Label7, "Label7", &Frame5, "Hex:", 20, {720, 1080, 735, 255});
    place(optCANTrImme1byte, "optCANTrImme1byte", &Frame5, "Immediatly 1 byteTransmit", 25,
          {240, 1440, 3015, 255});
    place(optCANTrMultiByte, "optCANTrMultiByte", &Frame5, "Single or Multi-bytes Transmit", 26,
          {240, 1680, 3015, 255});
    optCANTrMultiByte.initValue(true);

    // CAN Receiving.
    place(Label8, "Label8", &Frame6, "Frame Type", 27, {240, 360, 1215, 255});
    place(cmbCANRecFrmType, "cmbCANRecFrmType", &Frame6, {}, 28, {1560, 360, 1455, 315});
    cmbCANRecFrmType.initItems(kReceiveTypes);
    place(Label9, "Label9", &Frame6, "Mask: ", 29, {240, 840, 1095, 255});
    place(Label10, "Label10", &Frame6, "Filter1:", 34, {240, 1200, 495, 255});
    place(Label11, "Label11", &Frame6, "Filter2", 35, {240, 1560, 495, 255});

    // I/O Config.
    place(Label12, "Label12", &Frame3, "Input Frame Type:", 44, {240, 360, 1455, 255}, kYellow);
    place(cmbInputFrmType, "cmbInputFrmType", &Frame3, {}, 45, {1920, 360, 1095, 315});
    cmbInputFrmType.initItems(kTwoWayTypes);
    place(Label13, "Label13", &Frame3, "Input Frame ID", 46, {240, 720, 1215, 255}, kYellow);
    place(Label14, "Label14", &Frame3, "Hex", 51, {480, 960, 735, 255}, kYellow);
    place(Label15, "Label15", &Frame3, "Output Frame Type", 52, {240, 1320, 1455, 255}, kYellow);
    place(cmbOutputFrmType, "cmbOutputFrmType", &Frame3, {}, 53, {1920, 1320, 1095, 315});
    cmbOutputFrmType.initItems(kTwoWayTypes);
    place(Label16, "Label16", &Frame3, "Output Frame ID", 54, {240, 1680, 1575, 255}, kYellow);
    place(Label17, "Label17", &Frame3, "Hex", 55, {720, 1920, 735, 255}, kYellow);

    // I/O Feature.
    place(optInputPeriodTr, "optInputPeriodTr", &Frame4, "Input Periodic Transmitting", 60,
          {480, 360, 3615, 255}, kYellow);
    place(optInputChangeTr, "optInputChangeTr", &Frame4, "Input Changes Cause Transmitting", 61,
          {480, 1080, 3615, 255}, kYellow);
    optInputChangeTr.initValue(true);
    place(Label18, "Label18", &Frame4, "Period ms Count", 62, {480, 720, 1455, 255}, kYellow);
    place(txtPeriodmsCount, "txtPeriodmsCount", &Frame4, {}, 63, {1800, 720, 855, 285});
    txtPeriodmsCount.initText("500");
    place(chkOutputProtection, "chkOutputProtection", &Frame4, "Output Protection during CAN Bus Fault", 64,
          {480, 1440, 3615, 375}, kYellow);
    place(Label19, "Label19", &Frame4, "Output Protection Value (Hex)", 65, {480, 1920, 2295, 255}, kYellow);
    place(txtOutputProtectValue, "txtOutputProtectValue", &Frame4, {}, 66, {2760, 1920, 375, 285});
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
