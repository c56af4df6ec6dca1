#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "dialog/dialog.h"
#include "settings/identifierrecords.h"

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
    Control Dialog::*label;              // the label the row is read with
    const IdentifierRecordSpec* stored;  // its record member, factory and start-up texts
    IdBytes FrameInputs::*frameInput;
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
inline constexpr std::array<IdentifierRowSpec, kIdRowCount> kIdentifierRows{{
    {.row = IdRow::CANTrID1,
     .name = "txtCANTrID1",
     .boxes = &D::txtCANTrID1,
     .bytes = &D::CANTrID1Bytes,
     .frameType = &D::cmbCANtrFrmType,
     .label = &D::Label6,
     .stored = &kIdentifierRecords[0],
     .frameInput = &FrameInputs::canTrId1,
     .rangeResetText = "0",
     .conversionResetText = "0",
     .container = &D::Frame5,
     .top = 1080,
     .leftOfBox3 = 1680,
     .tabOfBox3 = 21,
     .designTexts = {"45", "03", "34", "33"}},
    {.row = IdRow::CANMask1,
     .name = "txtCANMask1",
     .boxes = &D::txtCANMask1,
     .bytes = &D::CANMask1Bytes,
     .frameType = &D::cmbCANRecFrmType,
     .label = &D::Label9,
     .stored = &kIdentifierRecords[1],
     .frameInput = &FrameInputs::canMask1,
     .rangeResetText = " 0",
     .conversionResetText = " 0",
     .container = &D::Frame6,
     .top = 840,
     .leftOfBox3 = 1200,
     .tabOfBox3 = 30,
     .designTexts = {"FF", "FF", "FF", "FF"}},
    {.row = IdRow::CANFilter1,
     .name = "txtCANFilter1",
     .boxes = &D::txtCANFilter1,
     .bytes = &D::CANFilter1Bytes,
     .frameType = &D::cmbCANRecFrmType,
     .label = &D::Label10,
     .stored = &kIdentifierRecords[2],
     .frameInput = &FrameInputs::canFilter1,
     .rangeResetText = "0",
     .conversionResetText = "0",
     .container = &D::Frame6,
     .top = 1200,
     .leftOfBox3 = 1200,
     .tabOfBox3 = 36,
     .designTexts = {"77", "78", "56", "34"}},
    {.row = IdRow::CANFilter2,
     .name = "txtCANFilter2",
     .boxes = &D::txtCANFilter2,
     .bytes = &D::CANFilter2Bytes,
     .frameType = &D::cmbCANRecFrmType,
     .label = &D::Label11,
     .stored = &kIdentifierRecords[3],
     .frameInput = &FrameInputs::canFilter2,
     .rangeResetText = "0",
     .conversionResetText = "0",
     .container = &D::Frame6,
     .top = 1560,
     .leftOfBox3 = 1200,
     .tabOfBox3 = 40,
     .designTexts = {"99", "88", "78", "56"}},
    {.row = IdRow::InputID1,
     .name = "txtInputID1",
     .boxes = &D::txtInputID1,
     .bytes = &D::InputID1Bytes,
     .frameType = &D::cmbInputFrmType,
     .label = &D::Label13,
     .stored = &kIdentifierRecords[4],
     .frameInput = &FrameInputs::inputId1,
     .rangeResetText = " 0",
     .conversionResetText = " 0",
     .container = &D::Frame3,
     .top = 840,
     .leftOfBox3 = 1560,
     .tabOfBox3 = 47,
     .designTexts = {"78", "56", "34", " 23"}},
    {.row = IdRow::OutputID1,
     .name = "txtOutputID1",
     .boxes = &D::txtOutputID1,
     .bytes = &D::OutputID1Bytes,
     .frameType = &D::cmbOutputFrmType,
     .label = &D::Label16,
     .stored = &kIdentifierRecords[5],
     .frameInput = &FrameInputs::outputId1,
     .rangeResetText = " 0",
     .conversionResetText = "0",
     .container = &D::Frame3,
     .top = 1800,
     .leftOfBox3 = 1560,
     .tabOfBox3 = 56,
     .designTexts = {"3F", "67", "45", "23"}},
}};
}  // namespace identifier_rows
using identifier_rows::kIdentifierRows;
static_assert(kIdentifierRecords.size() == kIdentifierRows.size());

inline const IdentifierRowSpec& identifierRow(IdRow row) {
    return kIdentifierRows[static_cast<std::size_t>(row)];
}

}  // namespace veltara::core
