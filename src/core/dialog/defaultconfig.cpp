// "Default Config": the factory values written into the controls.
#include "dialog/dialog.h"
#include "dialog/identifierrows.h"
#include "settings/factorydefaults.h"

namespace veltara::core {

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
