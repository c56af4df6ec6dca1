// Start-up, shutdown and the settings record's way into and out of the controls.
#include "dialog/dialog.h"
#include "dialog/identifierrows.h"
#include "validation/textconversion.h"

namespace veltara::core {

namespace {

std::string twoHexDigits(std::uint8_t value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

// The fixed width or the file's character set can change what a text means ("000FF" cut to "000F", a
// decimal separator outside ISO 8859-1 turned into '?'): such a text is saved as the shortest text of
// its value instead. Every text that comes back as the same value is saved as typed.
template <std::size_t N, typename Parse, typename Shortest>
void storeKeepingValue(FixedText<N>& field, const std::string& text, Parse parse, Shortest shortest) {
    field.store(text);
    const auto value = parse(trimSpaces(text));
    if (value && parse(trimSpaces(field.text())) != value) {
        field.store(shortest(*value));
    }
}

}  // namespace

void Dialog::showStartupFailure(const std::string& text) {
    showMessage(text, kAppTitle);
}

void Dialog::Form_Load() {
    m_settingsSession.load([this](const std::string& text) { showStartupFailure(text); });

    // Centred in single precision, as the dialog's position is kept.
    m_top = static_cast<float>(m_services.screen.heightTwips() - height()) / 2.0f;
    m_left = static_cast<float>(m_services.screen.widthTwips() - width()) / 2.0f;

    ApplySettings(m_settingsSession.record());

    optInputChangeTr_Click();
    chkOutputProtection_Click();
    ChkRS232RecID_Click();
    cmbInputFrmType_Click();
    cmbOutputFrmType_Click();
    cmbCANRecFrmType_Click();
    cmbCANtrFrmType_Click();

    // Box by box, every row's Change and then every row's LostFocus, in this order of rows.
    constexpr IdRow kStartupOrder[] = {IdRow::InputID1, IdRow::CANFilter1, IdRow::CANFilter2,
                                       IdRow::CANMask1, IdRow::OutputID1,  IdRow::CANTrID1};
    for (int i = 0; i < 4; ++i) {
        for (IdRow which : kStartupOrder) {
            identifierChanged(which, i);
        }
        for (IdRow which : kStartupOrder) {
            identifierLostFocus(which, i);
        }
    }
    txtOutputProtectValue_Change();
    txtPeriodmsCount_Change();

    // The frame-type rules above may have enabled part of the transmit group; a checked box wins.
    if (ChkRS232RecID.value() == 1) {
        enableInOrder({&cmbCANtrFrmType, &txtCANTrID1[0], &txtCANTrID1[1], &txtCANTrID1[2], &txtCANTrID1[3],
                       &optCANTrImme1byte, &optCANTrMultiByte, &Label5, &Label6, &Label7},
                      false);
    }

    m_portState.open(CmbCOM.listIndex(), [this](const Error&) { showPortFailure(); });
}

void Dialog::Form_Unload() {
    // A running exchange gives up quietly; the port and the file are dealt with here.
    m_programmingRun.abandon();
    m_portState.close();
    CaptureSettings(m_settingsSession.record());
    m_settingsSession.save([this](const std::string& text) { showMessage(text, kAppTitle); });
}

void Dialog::ApplySettings(const ConverterSettings& r) {
    auto refused = [this](const Control& control, const char* field, int value) {
        showMessage("The settings file holds the value " + std::to_string(value) + " for " + field +
                        ", which the dialog cannot take; the dialog keeps its own value.",
                    kAppTitle, MessageIcon::None, control.objectName());
    };
    auto list = [&](ComboBox& combo, const char* field, std::int16_t value) {
        if (!combo.setListIndex(value)) {
            refused(combo, field, value);
        }
    };
    auto check = [&](CheckBox& box, const char* field, std::int16_t value) {
        if (!box.setValue(value)) {
            refused(box, field, value);
        }
    };
    auto texts = [](TextBox* boxes, const IdTexts& stored) {
        for (std::size_t i = 0; i < stored.size(); ++i) {
            boxes[i].setText(stored[i].text());
        }
    };

    list(CmbCOM, "COM", r.COM);
    list(CmbRS232BaudRate, "RS232BaudRate", r.RS232BaudRate);
    list(CmbCANBaudRate, "CANBaudRate", r.CANBaudRate);
    list(cmbCANtrFrmType, "CANtrFrmType", r.CANtrFrmType);
    list(cmbCANRecFrmType, "CANRecFrmType", r.CANRecFrmType);
    list(cmbInputFrmType, "InputFrmType", r.InputFrmType);
    list(cmbOutputFrmType, "OutputFrmType", r.OutputFrmType);
    check(chkOutputProtection, "OutputProtection", r.OutputProtection);
    check(ChkRS232RecID, "RS232RecID", r.RS232RecID);
    check(ChkRS232TrID, "RS232TrID", r.RS232TrID);
    // Any non-zero flag counts as true, as a boolean conversion takes it.
    optCANTrImme1byte.setValue(r.CANTrImme1byte != 0);
    optInputPeriodTr.setValue(r.InputPeriodTr != 0);
    for (const IdentifierRowSpec& rowSpec : kIdentifierRows) {
        texts(this->*rowSpec.boxes, r.*rowSpec.stored->record);
    }
    txtPeriodmsCount.setText(r.PeriodmsCount.text());
    txtOutputProtectValue.setText(r.OutputProtectValue.text());
}

void Dialog::CaptureSettings(ConverterSettings& r) const {
    auto flag = [](bool value) { return value ? kTrue16 : kFalse16; };
    auto hex = [](FixedText<4>& field, const std::string& text) {
        storeKeepingValue(field, text, parseHexByte, twoHexDigits);
    };
    auto texts = [&hex](const TextBox* boxes, IdTexts& stored) {
        for (std::size_t i = 0; i < stored.size(); ++i) {
            hex(stored[i], boxes[i].text());
        }
    };
    r.COM = static_cast<std::int16_t>(CmbCOM.listIndex());
    r.RS232BaudRate = static_cast<std::int16_t>(CmbRS232BaudRate.listIndex());
    r.CANBaudRate = static_cast<std::int16_t>(CmbCANBaudRate.listIndex());
    r.CANtrFrmType = static_cast<std::int16_t>(cmbCANtrFrmType.listIndex());
    r.CANRecFrmType = static_cast<std::int16_t>(cmbCANRecFrmType.listIndex());
    r.InputFrmType = static_cast<std::int16_t>(cmbInputFrmType.listIndex());
    r.OutputFrmType = static_cast<std::int16_t>(cmbOutputFrmType.listIndex());
    r.OutputProtection = static_cast<std::int16_t>(chkOutputProtection.value());
    r.RS232RecID = static_cast<std::int16_t>(ChkRS232RecID.value());
    r.RS232TrID = static_cast<std::int16_t>(ChkRS232TrID.value());
    r.CANTrImme1byte = flag(optCANTrImme1byte.value());
    r.CANTrMultiByte = flag(optCANTrMultiByte.value());
    r.InputChangeTr = flag(optInputChangeTr.value());
    r.InputPeriodTr = flag(optInputPeriodTr.value());
    for (const IdentifierRowSpec& rowSpec : kIdentifierRows) {
        texts(this->*rowSpec.boxes, r.*rowSpec.stored->record);
    }
    storeKeepingValue(
        r.PeriodmsCount, txtPeriodmsCount.text(),
        [this](std::string_view text) { return parseDecimalInt32(text, m_decimalSeparator); },
        [](std::int32_t value) { return std::to_string(value); });
    hex(r.OutputProtectValue, txtOutputProtectValue.text());
}

}  // namespace veltara::core
