#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "dialog/dialog.h"
#include "settings/factorydefaults.h"

namespace veltara::core {

// Everything that differs between the six identifier rows. Handlers, start-up, "Default Config", the
// settings record, the frame inputs, the window's labels and the checks iterate this table; its order
// is the dialog's declaration order and the settings record's.
struct IdentifierRowSpec {
    IdRow row;
    const char* name;  // the boxes' object name (each box adds its index)
    TextBox (Dialog::*boxes)[4];
    IdBytes Dialog::*bytes;
    ComboBox Dialog::*frameType;
    Control Dialog::*label;
    IdTexts ConverterSettings::*record;
    IdBytes FrameInputs::*frameInput;
    FactoryDefaults::Row factoryTexts;
    std::string_view rangeResetText;       // put back when a byte is out of its frame type's range
    std::string_view conversionResetText;  // put back when a text is no hexadecimal byte
    // Where the row sits: its frame, its top, the left edge and tab index of box 3 (the leftmost).
    Control Dialog::*container;
    int top;
    int leftOfBox3;
    int tabOfBox3;
    std::array<const char*, 4> designTexts;
};

namespace identifier_rows {
using D = Dialog;
using S = ConverterSettings;
using F = FactoryDefaults;
inline constexpr std::array<IdentifierRowSpec, kIdRowCount> kIdentifierRows{{
    {IdRow::CANTrID1,
     "txtCANTrID1",
     &D::txtCANTrID1,
     &D::CANTrID1Bytes,
     &D::cmbCANtrFrmType,
     &D::Label6,
     &S::CANTrID1,
     &FrameInputs::canTrId1,
     F::kCANTrID1,
     "0",
     "0",
     &D::Frame5,
     1080,
     1680,
     21,
     {"45", "03", "34", "33"}},
    {IdRow::CANMask1,
     "txtCANMask1",
     &D::txtCANMask1,
     &D::CANMask1Bytes,
     &D::cmbCANRecFrmType,
     &D::Label9,
     &S::CANMask1,
     &FrameInputs::canMask1,
     F::kCANMask1,
     " 0",
     " 0",
     &D::Frame6,
     840,
     1200,
     30,
     {"FF", "FF", "FF", "FF"}},
    {IdRow::CANFilter1,
     "txtCANFilter1",
     &D::txtCANFilter1,
     &D::CANFilter1Bytes,
     &D::cmbCANRecFrmType,
     &D::Label10,
     &S::CANFilter1,
     &FrameInputs::canFilter1,
     F::kCANFilter1,
     "0",
     "0",
     &D::Frame6,
     1200,
     1200,
     36,
     {"77", "78", "56", "34"}},
    {IdRow::CANFilter2,
     "txtCANFilter2",
     &D::txtCANFilter2,
     &D::CANFilter2Bytes,
     &D::cmbCANRecFrmType,
     &D::Label11,
     &S::CANFilter2,
     &FrameInputs::canFilter2,
     F::kCANFilter2,
     "0",
     "0",
     &D::Frame6,
     1560,
     1200,
     40,
     {"99", "88", "78", "56"}},
    {IdRow::InputID1,
     "txtInputID1",
     &D::txtInputID1,
     &D::InputID1Bytes,
     &D::cmbInputFrmType,
     &D::Label13,
     &S::InputID1,
     &FrameInputs::inputId1,
     F::kInputID1,
     " 0",
     " 0",
     &D::Frame3,
     840,
     1560,
     47,
     {"78", "56", "34", " 23"}},
    {IdRow::OutputID1,
     "txtOutputID1",
     &D::txtOutputID1,
     &D::OutputID1Bytes,
     &D::cmbOutputFrmType,
     &D::Label16,
     &S::OutputID1,
     &FrameInputs::outputId1,
     F::kOutputID1,
     " 0",
     "0",
     &D::Frame3,
     1800,
     1560,
     56,
     {"3F", "67", "45", "23"}},
}};
}  // namespace identifier_rows
using identifier_rows::kIdentifierRows;

inline const IdentifierRowSpec& identifierRow(IdRow row) {
    return kIdentifierRows[static_cast<std::size_t>(row)];
}

}  // namespace veltara::core
