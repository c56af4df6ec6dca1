#include "dialog/dialogfields.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "dialog/identifierrows.h"
#include "link/ratecodes.h"
#include "validation/textconversion.h"

namespace veltara::core {

namespace {

struct IdKey {
    IdRow row;
    std::string_view key;
    ComboBox Dialog::*ownFrameType;  // null: the receive list governs it
};

constexpr std::array<IdKey, kIdRowCount> kIdKeys{{
    {IdRow::CANTrID1, "can_transmit_id", &Dialog::cmbCANtrFrmType},
    {IdRow::CANMask1, "can_mask", nullptr},
    {IdRow::CANFilter1, "can_filter1", nullptr},
    {IdRow::CANFilter2, "can_filter2", nullptr},
    {IdRow::InputID1, "input_id", &Dialog::cmbInputFrmType},
    {IdRow::OutputID1, "output_id", &Dialog::cmbOutputFrmType},
}};

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
}

// 0x-prefixed hexadecimal or decimal, as JSON numbers and people write identifiers.
std::optional<std::uint64_t> parseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string hexByte(unsigned value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

std::string listOf(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : ", ") + lower(item);
    }
    return text;
}

template <std::size_t N>
std::optional<int> rateIndex(const std::array<std::string_view, N>& texts, std::string_view value) {
    for (std::size_t i = 0; i < N; ++i) {
        std::string perSecond(texts[i]);
        if (perSecond.back() == 'K') {
            perSecond.pop_back();
            perSecond += "000";
        }
        if (lower(value) == lower(texts[i]) || value == perSecond) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::optional<bool> parseFlag(std::string_view value) {
    const std::string v = lower(value);
    if (v == "true" || v == "yes" || v == "1") {
        return true;
    }
    if (v == "false" || v == "no" || v == "0") {
        return false;
    }
    return std::nullopt;
}

std::string refused(std::string_view key, std::string_view value, std::string_view why) {
    return std::string(key) + "=" + std::string(value) + ": " + std::string(why);
}

std::optional<std::string> choose(ComboBox& combo, std::string_view key, std::string_view value) {
    const auto& items = combo.items();
    const auto found = std::find_if(items.begin(), items.end(),
                                    [&](const std::string& item) { return lower(item) == lower(value); });
    if (found == items.end()) {
        return refused(key, value, "takes " + listOf(items));
    }
    const int index = static_cast<int>(found - items.begin());
    if (!combo.enabled()) {
        // A list the window has disabled still holds a value; asking for that one is no change.
        return index == combo.listIndex()
                   ? std::nullopt
                   : std::optional(refused(key, value, "the window does not offer this list now"));
    }
    if (!combo.setListIndex(index)) {
        return refused(key, value, "the window refused it");
    }
    return std::nullopt;
}

// Types into a box and leaves it, as a user would; a box the window has disabled cannot be typed into.
std::optional<std::string> type(Dialog& dialog, TextBox& box, std::string_view key, std::string_view value,
                                const std::string& text) {
    if (!box.enabled()) {
        const auto held = parseHexByte(trimSpaces(box.text()));
        const bool same = trimSpaces(box.text()) == text || (held && held == parseHexByte(text));
        return same ? std::nullopt
                    : std::optional(refused(key, value, "the window does not let this be typed now"));
    }
    dialog.userMovedFocus(&box);
    box.setText(text);
    dialog.userMovedFocus(nullptr);
    return std::nullopt;
}

std::optional<std::string> setIdentifier(Dialog& dialog, const IdKey& id, std::string_view value) {
    const auto number = parseNumber(value);
    if (!number || *number > 0x1FFFFFFF) {
        return refused(id.key, value, "takes an identifier up to 0x1FFFFFFF (0x7FF for standard frames)");
    }
    const ComboBox& frameType = id.ownFrameType ? dialog.*id.ownFrameType : dialog.cmbCANRecFrmType;
    const std::string typeKey =
        id.ownFrameType ? std::string(id.key) + "_frame_type" : "can_receive_frame_type";
    if (*number > 0x7FF && frameType.listIndex() == 0) {
        return refused(id.key, value, "needs the extended frame type (" + typeKey + "=extended)");
    }
    const IdentifierRowSpec& rowEntry = identifier_rows::kIdentifierRows[static_cast<std::size_t>(id.row)];
    TextBox(&boxes)[4] = dialog.*rowEntry.boxes;
    // Box 3 (the leftmost) holds the most significant byte; a standard frame type disables the upper
    // boxes, and a non-zero byte there is then refused as the window refuses it.
    for (int index = 3; index >= 0; --index) {
        const unsigned byte = static_cast<unsigned>(*number >> (8 * index)) & 0xFF;
        TextBox& box = boxes[index];
        if (!box.enabled()) {
            if (byte != 0) {
                return refused(id.key, value, "needs the extended frame type (" + typeKey + "=extended)");
            }
            continue;
        }
        if (auto problem = type(dialog, box, id.key, value, hexByte(byte))) {
            return problem;
        }
    }
    return std::nullopt;
}

const IdKey* idKey(std::string_view key) {
    const auto found =
        std::find_if(kIdKeys.begin(), kIdKeys.end(), [&](const IdKey& id) { return id.key == key; });
    return found == kIdKeys.end() ? nullptr : &*found;
}

const IdKey* frameTypeOf(std::string_view key) {
    constexpr std::string_view kSuffix = "_frame_type";
    if (!key.ends_with(kSuffix)) {
        return nullptr;
    }
    return idKey(key.substr(0, key.size() - kSuffix.size()));
}

std::optional<std::string> write(Dialog& d, std::string_view key, std::string_view value) {
    if (key == "rs232_baud_rate" || key == "can_baud_rate") {
        const bool rs232 = key == "rs232_baud_rate";
        const auto index = rs232 ? rateIndex(kRs232RateTexts, value) : rateIndex(kCanRateTexts, value);
        if (!index) {
            return refused(key, value,
                           "takes " + listOf((rs232 ? d.CmbRS232BaudRate : d.CmbCANBaudRate).items()));
        }
        if (!(rs232 ? d.CmbRS232BaudRate : d.CmbCANBaudRate).setListIndex(*index)) {
            return refused(key, value, "the window refused it");
        }
        return std::nullopt;
    }
    if (key == "can_receive_frame_type") {
        return choose(d.cmbCANRecFrmType, key, value);
    }
    if (const IdKey* id = frameTypeOf(key)) {
        if (!id->ownFrameType) {
            return refused(key, value, "follows can_receive_frame_type");
        }
        return choose(d.*id->ownFrameType, key, value);
    }
    if (const IdKey* id = idKey(key)) {
        return setIdentifier(d, *id, value);
    }
    struct Check {
        std::string_view key;
        CheckBox Dialog::*box;
    };
    for (const Check check : {Check{"output_protection", &Dialog::chkOutputProtection},
                              Check{"rs232_receive_contains_id", &Dialog::ChkRS232RecID},
                              Check{"rs232_transmit_contains_id", &Dialog::ChkRS232TrID}}) {
        if (key == check.key) {
            const auto flag = parseFlag(value);
            if (!flag) {
                return refused(key, value, "takes true or false");
            }
            CheckBox& box = d.*check.box;
            if (!box.enabled() && (box.value() == CheckBox::kChecked) != *flag) {
                return refused(key, value, "the window does not let this box be changed now");
            }
            if (!box.setValue(*flag ? CheckBox::kChecked : CheckBox::kUnchecked)) {
                return refused(key, value, "the window refused it");
            }
            return std::nullopt;
        }
    }
    struct Choice {
        std::string_view key;
        std::string_view first;
        OptionButton Dialog::*firstButton;
        std::string_view second;
        OptionButton Dialog::*secondButton;
    };
    for (const Choice choice : {Choice{"can_transmit_mode", "one_byte", &Dialog::optCANTrImme1byte,
                                       "multi_byte", &Dialog::optCANTrMultiByte},
                                Choice{"input_transmitting", "on_change", &Dialog::optInputChangeTr,
                                       "periodic", &Dialog::optInputPeriodTr}}) {
        if (key == choice.key) {
            if (value != choice.first && value != choice.second) {
                return refused(key, value,
                               "takes " + std::string(choice.first) + " or " + std::string(choice.second));
            }
            OptionButton& button = d.*(value == choice.first ? choice.firstButton : choice.secondButton);
            if (!button.enabled() && !button.value()) {
                return refused(key, value, "the window does not offer this choice now");
            }
            button.setValue(true);
            return std::nullopt;
        }
    }
    if (key == "period_ms_count") {
        return type(d, d.txtPeriodmsCount, key, value, std::string(value));
    }
    if (key == "output_protect_value") {
        const auto number = parseNumber(value);
        if (!number || *number > 0xFF) {
            return refused(key, value, "takes a byte, 0x00 to 0xFF");
        }
        return type(d, d.txtOutputProtectValue, key, value, hexByte(static_cast<unsigned>(*number)));
    }
    return std::string(key) + ": no such field; the fields are those decode --json prints";
}

}  // namespace

bool isFrameTypeKey(std::string_view key) {
    return key == "can_receive_frame_type" || frameTypeOf(key) != nullptr;
}

bool isDialogFieldKey(std::string_view key) {
    constexpr std::string_view kOtherKeys[] = {"rs232_baud_rate",           "can_baud_rate",
                                               "can_receive_frame_type",    "output_protection",
                                               "rs232_receive_contains_id", "rs232_transmit_contains_id",
                                               "can_transmit_mode",         "input_transmitting",
                                               "period_ms_count",           "output_protect_value"};
    return idKey(key) != nullptr || frameTypeOf(key) != nullptr ||
           std::find(std::begin(kOtherKeys), std::end(kOtherKeys), key) != std::end(kOtherKeys);
}

std::optional<std::string> setDialogField(Dialog& dialog, std::string_view key, std::string_view value,
                                          const std::vector<Message>& shown) {
    const std::size_t before = shown.size();
    auto problem = write(dialog, key, value);
    if (!problem && shown.size() > before) {
        // The window showed a message: it refused the value and put its own back.
        return refused(key, value, shown[before].text);
    }
    return problem;
}

}  // namespace veltara::core
