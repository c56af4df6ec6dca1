#include "link/framefields.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "link/ratecodes.h"

namespace veltara::core {

namespace {

constexpr std::string_view kReceiveNames[] = {"none", "standard", "extended", "all"};
constexpr std::string_view kReceiveTexts[] = {"none", "Standard", "Extended", "All"};
constexpr std::string_view kModeNames[] = {"one_byte", "multi_byte"};
constexpr std::string_view kModeTexts[] = {"Immediatly 1 byteTransmit", "Single or Multi-bytes Transmit"};
constexpr std::string_view kInputNames[] = {"on_change", "periodic"};
constexpr std::string_view kInputTexts[] = {"on change", "periodic"};
constexpr std::string_view kIdTypeNames[] = {"standard", "extended"};

constexpr std::uint32_t kLargestStandardId = 0x7FF;
constexpr std::uint32_t kLargestExtendedId = 0x1FFFFFFF;

// Frame order, so that a listing walks the frame byte by byte.
constexpr FrameField kFields[] = {
    {.key = "rs232_baud_rate",
     .label = "RS232 baud rate",
     .kind = FieldKind::Rate,
     .offset = frame::kRs232Baud,
     .texts = kRs232RateTexts},
    {.key = "reserved_byte_1",
     .label = "Reserved byte 1",
     .kind = FieldKind::Number,
     .offset = 1,
     .reserved = true,
     .hexText = true},
    {.key = "can_baud_rate",
     .label = "CAN bit rate",
     .kind = FieldKind::Rate,
     .offset = frame::kCanBaud,
     .texts = kCanRateTexts},
    {.key = "reserved_byte_3",
     .label = "Reserved byte 3",
     .kind = FieldKind::Number,
     .offset = 3,
     .reserved = true,
     .hexText = true},
    {.key = "input_id",
     .label = "Input frame ID",
     .kind = FieldKind::Identifier,
     .offset = frame::kInputId,
     .size = 4},
    {.key = "output_id",
     .label = "Output frame ID",
     .kind = FieldKind::Identifier,
     .offset = frame::kOutputId,
     .size = 4},
    {.key = "can_receive_frame_type",
     .label = "CAN receive frame type",
     .kind = FieldKind::Bits,
     .offset = frame::kFlags,
     .mask = frame::kFlagRecFrameTypeMask,
     .names = kReceiveNames,
     .texts = kReceiveTexts},
    {.key = "output_protection",
     .label = "Output protection during CAN bus fault",
     .kind = FieldKind::Bits,
     .offset = frame::kFlags,
     .mask = frame::kFlagOutputProtection},
    {.key = "reserved_flag_bit3",
     .label = "Reserved flag bit 3 (0x08)",
     .kind = FieldKind::Bits,
     .offset = frame::kFlags,
     .mask = 0x08,
     .reserved = true},
    {.key = "can_transmit_mode",
     .label = "CAN transmit mode",
     .kind = FieldKind::Bits,
     .offset = frame::kFlags,
     .mask = frame::kFlagTrMultiByte,
     .names = kModeNames,
     .texts = kModeTexts},
    {.key = "rs232_receive_contains_id",
     .label = "RS232 receiving contains message ID and DLC",
     .kind = FieldKind::Bits,
     .offset = frame::kFlags,
     .mask = frame::kFlagRs232RecNoId,
     .inverted = true},
    {.key = "input_transmitting",
     .label = "Input transmitting",
     .kind = FieldKind::Bits,
     .offset = frame::kFlags,
     .mask = frame::kFlagInputPeriodic,
     .names = kInputNames,
     .texts = kInputTexts},
    {.key = "rs232_transmit_contains_id",
     .label = "RS232 transmitting contains message ID and DLC",
     .kind = FieldKind::Bits,
     .offset = frame::kFlags,
     .mask = frame::kFlagRs232TrNoId,
     .inverted = true},
    {.key = "can_transmit_id",
     .label = "CAN transmit ID",
     .kind = FieldKind::Identifier,
     .offset = frame::kCanTrId,
     .size = 4},
    {.key = "can_mask",
     .label = "CAN receive mask",
     .kind = FieldKind::Identifier,
     .offset = frame::kCanMask,
     .size = 4,
     .receive = true},
    {.key = "can_filter1",
     .label = "CAN receive filter 1",
     .kind = FieldKind::Identifier,
     .offset = frame::kCanFilter1,
     .size = 4,
     .receive = true},
    {.key = "period_ms_count",
     .label = "Period ms count",
     .kind = FieldKind::Number,
     .offset = frame::kPeriodLow,
     .size = 2,
     .leastSent = 1},
    {.key = "output_protect_value",
     .label = "Output protection value",
     .kind = FieldKind::Number,
     .offset = frame::kProtectValue,
     .hexText = true},
    {.key = "can_filter2",
     .label = "CAN receive filter 2",
     .kind = FieldKind::Identifier,
     .offset = frame::kCanFilter2,
     .size = 4,
     .receive = true},
    {.key = "checksum",
     .label = "Checksum",
     .kind = FieldKind::Checksum,
     .offset = frame::kChecksum,
     .hexText = true},
};

constexpr std::string_view kDerivedKeys[] = {"bytes", "checksum", "checksum_ok",
                                             "error", "version",  "dialog_never_sends"};

std::string hex(std::uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, static_cast<unsigned>(value));
    return buffer;
}

// "250K" is 250000 bit/s.
std::int64_t bitsPerSecond(std::string_view text) {
    std::int64_t value = 0;
    for (char c : text) {
        value = c == 'K' ? value * 1000 : value * 10 + (c - '0');
    }
    return value;
}

// A rate's companion keys carry what a null rate cannot: its code; an identifier's, its layout.
std::vector<std::string> keysOf(const FrameField& field) {
    const std::string key(field.key);
    switch (field.kind) {
        case FieldKind::Rate:
            return {key, key + "_code"};
        case FieldKind::Identifier:
            return {key, key + "_frame_type", key + "_reserved_bits"};
        default:
            return {key};
    }
}

std::uint32_t fieldBits(FrameView f, const FrameField& field) {
    if (field.size == 1) {
        return (f[field.offset] & field.mask) >> std::countr_zero(field.mask);
    }
    std::uint32_t value = 0;
    for (std::size_t i = field.size; i-- > 0;) {
        value = value << 8 | f[field.offset + i];
    }
    return value;
}

void putBits(ConfigFrame& f, const FrameField& field, std::uint32_t value) {
    if (field.size == 1) {
        const auto shifted = static_cast<std::uint8_t>((value << std::countr_zero(field.mask)) & field.mask);
        f[field.offset] = static_cast<std::uint8_t>((f[field.offset] & ~field.mask) | shifted);
        return;
    }
    for (std::size_t i = 0; i < field.size; ++i, value >>= 8) {
        f[field.offset + i] = static_cast<std::uint8_t>(value & 0xFF);
    }
}

DecodedId identifierAt(FrameView f, std::size_t offset) {
    return decodeIdField(f.subspan(offset).first<4>());
}

std::string_view typeName(const DecodedId& id) {
    return kIdTypeNames[id.extended ? 1 : 0];
}

// The encoder writes the mask and both filters together with the type the receive list names, and
// keeps all three under "All" (or no selection), so they always share one type. Empty when they agree.
std::string receiveTypeConflict(const DecodedId& id, FrameView f) {
    const unsigned type = f[frame::kFlags] & frame::kFlagRecFrameTypeMask;
    if (type == 1 || type == 2) {
        return id.extended == (type == 2) ? ""
                                          : "the receive frame type is " + std::string(kReceiveNames[type]);
    }
    const DecodedId mask = identifierAt(f, frame::kCanMask);
    return id.extended == mask.extended ? "" : "the mask is " + std::string(typeName(mask));
}

FieldReading readField(const FrameField& field, FrameView f) {
    FieldReading r;
    r.field = &field;
    const std::string key(field.key);
    const std::string label(field.label);
    const std::uint32_t bits = fieldBits(f, field);
    switch (field.kind) {
        case FieldKind::Rate:
            if (bits < field.texts.size()) {
                r.text = field.texts[bits];
                r.values = {{key, bitsPerSecond(field.texts[bits])}, {key + "_code", std::int64_t{bits}}};
            } else {
                r.text = "code " + hex(bits, 2) + ", no rate";
                r.values = {{key, std::monostate{}}, {key + "_code", std::int64_t{bits}}};
                r.unsendable = label + " code " + hex(bits, 2);
            }
            break;
        case FieldKind::Identifier: {
            const DecodedId id = identifierAt(f, field.offset);
            r.text = std::string(typeName(id)) + " " + hex(id.value, id.extended ? 8 : 3);
            if (!id.wellFormed()) {
                r.text += ", reserved bits " + hex(id.reservedBits, 8) + " (the dialog always sends 0)";
                r.unsendable = label + " reserved bits " + hex(id.reservedBits, 8);
            } else if (const std::string conflict = field.receive ? receiveTypeConflict(id, f) : "";
                       !conflict.empty()) {
                r.text += " (" + conflict + ")";
                r.unsendable = label + " " + std::string(typeName(id)) + " while " + conflict;
            }
            r.values = {{key, std::int64_t{id.value}},
                        {key + "_frame_type", std::string(typeName(id))},
                        {key + "_reserved_bits", std::int64_t{id.reservedBits}}};
            break;
        }
        case FieldKind::Bits:
            if (!field.names.empty()) {
                r.text = field.texts[bits];
                r.values = {{key, std::string(field.names[bits])}};
            } else {
                const bool on = (bits != 0) != field.inverted;
                r.text = field.reserved ? std::to_string(bits) : on ? "yes" : "no";
                r.values = {{key, on}};
            }
            if (field.reserved && bits != 0) {
                r.unsendable = label + " set";
            }
            break;
        case FieldKind::Number:
        case FieldKind::Checksum:
            r.text = field.hexText ? hex(bits, 2 * static_cast<int>(field.size)) : std::to_string(bits);
            r.values = {{key, std::int64_t{bits}}};
            if (field.reserved && bits != 0) {
                r.unsendable = label + " = " + hex(bits, 2);
            } else if (bits < field.leastSent) {
                r.text += " (the dialog sends at least " + std::to_string(field.leastSent) + ")";
                r.unsendable = label + " " + std::to_string(bits);
            }
            break;
    }
    if (field.reserved) {
        r.text += " (the dialog always sends 0)";
    }
    return r;
}

Error fieldError(std::string_view key, const std::string& text) {
    return makeError(ErrorCode::InvalidArgument, std::string(key) + ": " + text);
}

std::string shown(const FieldValue& value) {
    struct Show {
        std::string operator()(std::monostate) const { return "null"; }
        std::string operator()(bool flag) const { return flag ? "true" : "false"; }
        std::string operator()(std::int64_t number) const { return std::to_string(number); }
        std::string operator()(const std::string& text) const { return "\"" + text + "\""; }
        std::string operator()(const OtherJson& other) const { return other.json; }
    };
    return std::visit(Show{}, value);
}

Result<std::uint32_t> wholeNumber(std::string_view key, const FieldValue& value, std::uint32_t most) {
    const auto* number = std::get_if<std::int64_t>(&value);
    if (number == nullptr) {
        return fieldError(key, "takes a whole number, not " + shown(value));
    }
    if (*number < 0 || *number > std::int64_t{most}) {
        return fieldError(key,
                          std::to_string(*number) + " is out of range (0 to " + std::to_string(most) + ")");
    }
    return static_cast<std::uint32_t>(*number);
}

Result<std::uint32_t> choice(std::string_view key, const FieldValue& value,
                             std::span<const std::string_view> names) {
    const auto* text = std::get_if<std::string>(&value);
    const auto found = text == nullptr ? names.end() : std::find(names.begin(), names.end(), *text);
    if (found != names.end()) {
        return static_cast<std::uint32_t>(found - names.begin());
    }
    std::string list;
    for (std::string_view name : names) {
        list += (list.empty() ? "\"" : ", \"") + std::string(name) + "\"";
    }
    return fieldError(key, "takes one of " + list + ", not " + shown(value));
}

const FieldValue* given(const FieldValues& values, const std::string& key) {
    const auto it = values.find(key);
    return it == values.end() ? nullptr : &it->second;
}

// The code stands for itself; a rate beside it must be the one it names (null for none).
Status writeRate(const FrameField& field, const FieldValues& values, ConfigFrame& f) {
    const std::string key(field.key);
    const std::string codeKey = key + "_code";
    const FieldValue* rate = given(values, key);
    const FieldValue* codeValue = given(values, codeKey);
    std::optional<std::uint32_t> code;
    if (codeValue != nullptr) {
        const auto read = wholeNumber(codeKey, *codeValue, 0xFF);
        if (!read) {
            return read.error();
        }
        code = read.value();
    }
    if (rate != nullptr) {
        std::optional<std::uint32_t> named;
        if (const auto* number = std::get_if<std::int64_t>(rate)) {
            for (std::size_t i = 0; i < field.texts.size(); ++i) {
                if (bitsPerSecond(field.texts[i]) == *number) {
                    named = static_cast<std::uint32_t>(i);
                }
            }
            if (!named) {
                std::string list;
                for (std::string_view text : field.texts) {
                    list += (list.empty() ? "" : ", ") + std::to_string(bitsPerSecond(text));
                }
                return fieldError(key, std::to_string(*number) + " is not one of " + list);
            }
        } else if (!std::holds_alternative<std::monostate>(*rate)) {
            return fieldError(key, "takes bit/s as a whole number, or null, not " + shown(*rate));
        } else if (!code) {
            return fieldError(key, "null names no rate; give the code in " + codeKey);
        }
        const bool agrees = named ? (!code || *code == *named) : *code >= field.texts.size();
        if (!agrees) {
            return fieldError(key, shown(*rate) + " does not match " + codeKey + " " + std::to_string(*code));
        }
        code = code ? code : named;
    }
    if (code) {
        f[field.offset] = static_cast<std::uint8_t>(*code);
    }
    return {};
}

// A key not given keeps the frame's value; reserved bits keep those the new layout also reserves.
Status writeIdentifier(const FrameField& field, const FieldValues& values, ConfigFrame& f) {
    const std::string key(field.key);
    const FieldValue* number = given(values, key);
    const FieldValue* type = given(values, key + "_frame_type");
    const FieldValue* reserved = given(values, key + "_reserved_bits");
    if (number == nullptr && type == nullptr && reserved == nullptr) {
        return {};
    }
    const DecodedId now = identifierAt(f, field.offset);
    bool extended = now.extended;
    if (type != nullptr) {
        const auto index = choice(key + "_frame_type", *type, kIdTypeNames);
        if (!index) {
            return index.error();
        }
        extended = index.value() == 1;
    }
    std::uint32_t value = now.value;
    if (number != nullptr) {
        const auto read = wholeNumber(key, *number, kLargestExtendedId);
        if (!read) {
            return read.error();
        }
        value = read.value();
    }
    if (!extended && value > kLargestStandardId) {
        return fieldError(key, std::to_string(value) + " (" + hex(value, 3) +
                                   ") is too large for a standard identifier (at most 0x7FF)");
    }
    const std::uint32_t reservable = extended ? frame::kExtendedIdReserved : frame::kStandardIdReserved;
    std::uint32_t bits = now.reservedBits & reservable;
    if (reserved != nullptr) {
        const auto read = wholeNumber(key + "_reserved_bits", *reserved, 0xFFFFFFFF);
        if (!read) {
            return read.error();
        }
        bits = read.value();
        if ((bits & ~reservable) != 0) {
            return fieldError(key + "_reserved_bits", hex(bits, 8) + " sets bits that the " +
                                                          std::string(kIdTypeNames[extended ? 1 : 0]) +
                                                          " layout uses; it reserves " + hex(reservable, 8));
        }
    }
    const IdBytes e{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                    static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    const std::array<std::uint8_t, 4> g = extended ? encodeExtendedId(e) : encodeStandardId(e);
    for (std::size_t i = 0; i < g.size(); ++i) {
        f[field.offset + i] = static_cast<std::uint8_t>(g[i] | (bits >> (8 * (3 - i))));
    }
    return {};
}

Status writeField(const FrameField& field, const FieldValues& values, ConfigFrame& f) {
    if (field.kind == FieldKind::Rate) {
        return writeRate(field, values, f);
    }
    if (field.kind == FieldKind::Identifier) {
        return writeIdentifier(field, values, f);
    }
    const FieldValue* value = given(values, std::string(field.key));
    if (value == nullptr || field.kind == FieldKind::Checksum) {
        return {};
    }
    Result<std::uint32_t> bits = 0u;
    if (field.kind == FieldKind::Number) {
        bits = wholeNumber(field.key, *value, field.size == 1 ? 0xFF : 0xFFFF);
    } else if (!field.names.empty()) {
        bits = choice(field.key, *value, field.names);
    } else if (const auto* flag = std::get_if<bool>(value)) {
        bits = *flag != field.inverted ? 1u : 0u;
    } else {
        return fieldError(field.key, "takes true or false, not " + shown(*value));
    }
    if (!bits) {
        return bits.error();
    }
    putBits(f, field, bits.value());
    return {};
}

bool isKnownKey(std::string_view key) {
    if (std::find(std::begin(kDerivedKeys), std::end(kDerivedKeys), key) != std::end(kDerivedKeys)) {
        return true;
    }
    return std::any_of(std::begin(kFields), std::end(kFields), [key](const FrameField& field) {
        const auto keys = keysOf(field);
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    });
}

std::optional<std::string> unknownKey(const FieldValues& values) {
    for (const auto& entry : values) {
        if (!isKnownKey(entry.first)) {
            return entry.first + ": unknown key";
        }
    }
    return std::nullopt;
}

}  // namespace

std::span<const FrameField> frameFields() {
    return kFields;
}

std::span<const std::string_view> derivedFieldKeys() {
    return kDerivedKeys;
}

std::vector<FieldReading> describeFrame(FrameView frame) {
    std::vector<FieldReading> readings;
    for (const FrameField& field : kFields) {
        readings.push_back(readField(field, frame));
    }
    return readings;
}

std::string describeFrameLine(FrameView frame) {
    std::string line;
    for (const FieldReading& reading : describeFrame(frame)) {
        line += (line.empty() ? "" : "; ") + std::string(reading.field->label) + ": " + reading.text;
    }
    return line;
}

std::vector<std::string> unsendableFields(FrameView frame) {
    std::vector<std::string> found;
    for (const FieldReading& reading : describeFrame(frame)) {
        if (!reading.unsendable.empty()) {
            found.push_back(reading.unsendable);
        }
    }
    return found;
}

std::optional<std::string> setFrameFields(ConfigFrame& frame, const FieldValues& values) {
    if (auto unknown = unknownKey(values)) {
        return unknown;
    }
    ConfigFrame written = frame;
    for (const FrameField& field : kFields) {
        if (const Status status = writeField(field, values, written); !status) {
            return status.error().text;
        }
    }
    written[frame::kChecksum] = frameChecksum(written);
    frame = written;
    return std::nullopt;
}

Result<ConfigFrame> frameFromFields(const FieldValues& values) {
    if (auto unknown = unknownKey(values)) {
        return makeError(ErrorCode::InvalidArgument, *unknown);
    }
    for (const FrameField& field : kFields) {
        for (const std::string& key : keysOf(field)) {
            if (field.kind != FieldKind::Checksum && !values.contains(key)) {
                return fieldError(key, "missing; a frame needs every field");
            }
        }
    }
    ConfigFrame frame{};
    if (const auto error = setFrameFields(frame, values)) {
        return makeError(ErrorCode::InvalidArgument, *error);
    }
    return frame;
}

}  // namespace veltara::core
