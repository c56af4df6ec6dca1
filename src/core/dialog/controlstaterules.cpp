// The control-state rules of the dialog: frame types, check boxes and the input option pair.
#include "dialog/dialog.h"
#include "dialog/identifierrows.h"
#include "validation/textconversion.h"

namespace veltara::core {

void Dialog::reduceToStandard(IdRow which) {
    const IdentifierRow r = row(which);
    // Box 1 is read as the Change rule reads it (spaces trimmed), so a " 0" left by a correction
    // converts; a text that still does not convert counts as 0.
    const auto box1 = parseHexByte(trimSpaces(r.boxes[1].text())).value_or(0);
    if (box1 > 6) {
        r.boxes[1].setText("7");
        r.bytes[1] = 7;
    }
    r.boxes[2].setText("0");
    r.boxes[3].setText("0");
    r.bytes[2] = 0;
    r.bytes[3] = 0;
}

void Dialog::twoWayFrameTypeRule(IdRow which) {
    TextBox* boxes = this->*identifierRow(which).boxes;
    if ((this->*identifierRow(which).frameType).listIndex() == 0) {
        reduceToStandard(which);
        boxes[2].setEnabled(false);
        boxes[3].setEnabled(false);
    } else {
        boxes[2].setEnabled(true);
        boxes[3].setEnabled(true);
    }
}

void Dialog::cmbCANtrFrmType_Click() {
    twoWayFrameTypeRule(IdRow::CANTrID1);
}
void Dialog::cmbInputFrmType_Click() {
    twoWayFrameTypeRule(IdRow::InputID1);
}
void Dialog::cmbOutputFrmType_Click() {
    twoWayFrameTypeRule(IdRow::OutputID1);
}

void Dialog::cmbCANRecFrmType_Click() {
    // Reduced in table order (mask, filter 1, filter 2), enabled filters first.
    constexpr IdRow kEnableOrder[] = {IdRow::CANFilter1, IdRow::CANFilter2, IdRow::CANMask1};
    TextBox* rowsInEnableOrder[std::size(kEnableOrder)];
    for (std::size_t i = 0; i < std::size(kEnableOrder); ++i) {
        rowsInEnableOrder[i] = this->*identifierRow(kEnableOrder[i]).boxes;
    }
    switch (cmbCANRecFrmType.listIndex()) {
        case 2:
            for (TextBox* boxes : rowsInEnableOrder) {
                for (int i = 0; i < 4; ++i) {
                    boxes[i].setEnabled(false);
                }
            }
            break;
        case 0:
            for (const IdentifierRowSpec& rowSpec : kIdentifierRows) {
                if (rowSpec.frameType == &Dialog::cmbCANRecFrmType) {
                    reduceToStandard(rowSpec.row);
                }
            }
            for (TextBox* boxes : rowsInEnableOrder) {
                boxes[0].setEnabled(true);
                boxes[1].setEnabled(true);
                boxes[2].setEnabled(false);
                boxes[3].setEnabled(false);
            }
            break;
        default:
            for (TextBox* boxes : rowsInEnableOrder) {
                for (int i = 0; i < 4; ++i) {
                    boxes[i].setEnabled(true);
                }
            }
            break;
    }
}

void Dialog::enableInOrder(std::initializer_list<Control*> controls, bool enabled) {
    for (Control* c : controls) {
        c->setEnabled(enabled);
    }
}

void Dialog::ChkRS232RecID_Click() {
    // The transmit group; start-up disables the same controls in its own order.
    enableInOrder({&cmbCANtrFrmType, &Label5, &Label6, &Label7, &txtCANTrID1[0], &txtCANTrID1[1],
                   &txtCANTrID1[2], &txtCANTrID1[3], &optCANTrImme1byte, &optCANTrMultiByte},
                  ChkRS232RecID.value() != 1);
}

void Dialog::chkOutputProtection_Click() {
    txtOutputProtectValue.setEnabled(chkOutputProtection.value() != 0);
}

void Dialog::optInputChangeTr_Click() {
    txtPeriodmsCount.setEnabled(!optInputChangeTr.value());
}

void Dialog::optInputPeriodTr_Click() {
    optInputChangeTr_Click();
}

}  // namespace veltara::core
