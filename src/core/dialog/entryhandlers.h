#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "dialog/combobox.h"
#include "dialog/messageboxes.h"
#include "dialog/textbox.h"
#include "link/configframe.h"
#include "validation/entryrules.h"

namespace veltara::core {

// The handlers that check and correct entry boxes as the user types; the conversions and ranges they
// apply live in validation/, which knows no dialog types.

// One identifier: its four boxes, the bytes parsed from them, the frame type that limits them and
// the texts a correction puts back.
struct IdentifierRow {
    TextBox* boxes;  // four boxes, index 0 least significant
    IdBytes& bytes;
    const ComboBox& frameType;
    std::string_view rangeResetText;
    std::string_view conversionResetText;
};

// The one answer to a bad entry: value reset, message, reset text selected, focus back to the box.
void correctEntry(TextBox& box, const std::function<void()>& resetValue, std::string_view message,
                  std::string_view resetText, MessageBoxes& messages);

// Runs on every change of an identifier box: parse, store, check the frame type's limit.
void identifierChangeRule(const IdentifierRow& row, int index, MessageBoxes& messages);
// Tidies a box that loses the focus: no surrounding spaces, two digits at least, upper case.
void identifierLostFocusRule(const IdentifierRow& row, int index);

void periodCountChangeRule(TextBox& box, std::int32_t& value, std::string_view decimalSeparator,
                           MessageBoxes& messages);
void protectValueChangeRule(TextBox& box, std::uint8_t& frameByte, MessageBoxes& messages);

}  // namespace veltara::core
