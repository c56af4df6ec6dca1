#include "dialog/entryhandlers.h"

#include "validation/textconversion.h"

namespace veltara::core {

void correctEntry(TextBox& box, const std::function<void()>& resetValue, std::string_view message,
                  std::string_view resetText, MessageBoxes& messages) {
    resetValue();
    messages.show({std::string(message), kInputDataErrorTitle, MessageIcon::None, MessageKind::General,
                   box.objectName()});
    // The nested Change run on the reset text stores the reset value again and passes every check.
    box.setText(std::string(resetText));
    box.setSelStart(0);
    box.setSelLength(box.length());
    box.setFocus();
}

void identifierChangeRule(const IdentifierRow& row, int index, MessageBoxes& messages) {
    TextBox& box = row.boxes[index];
    auto& element = row.bytes[static_cast<std::size_t>(index)];
    const auto value = parseHexByte(trimSpaces(box.text()));
    auto resetToZero = [&element] { element = 0; };
    if (!value) {
        correctEntry(box, resetToZero, kHexByteMessage, row.conversionResetText, messages);
        return;
    }
    element = *value;
    if (const auto problem = identifierRangeProblem(element, row.frameType.listIndex(), index)) {
        correctEntry(box, resetToZero, *problem, row.rangeResetText, messages);
    }
}

void identifierLostFocusRule(const IdentifierRow& row, int index) {
    TextBox& box = row.boxes[index];
    box.setText(std::string(trimSpaces(box.text())));
    if (box.length() == 1) {
        box.setText("0" + box.text());
    }
    box.setText(toUpperAscii(box.text()));
}

void periodCountChangeRule(TextBox& box, std::int32_t& value, std::string_view decimalSeparator,
                           MessageBoxes& messages) {
    const auto parsed = parseDecimalInt32(trimSpaces(box.text()), decimalSeparator);
    auto resetToOne = [&value] { value = 1; };
    if (!parsed) {
        correctEntry(box, resetToOne, kPeriodMessage, "1", messages);
        return;
    }
    value = *parsed;
    if (!periodCountInRange(value)) {
        correctEntry(box, resetToOne, kPeriodMessage, "1", messages);
    }
}

void protectValueChangeRule(TextBox& box, std::uint8_t& frameByte, MessageBoxes& messages) {
    const auto parsed = parseHexByte(trimSpaces(box.text()));
    if (parsed) {
        frameByte = *parsed;
        return;
    }
    correctEntry(
        box, [&frameByte] { frameByte = 0; }, kHexByteMessage, "0", messages);
}

}  // namespace veltara::core
