#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "common/result.h"
#include "link/configframe.h"

namespace veltara::core {

using FrameView = std::span<const std::uint8_t, kConfigFrameSize>;

// A JSON value that is none of FieldValue's others (a fraction, an array, an object), kept as its
// JSON text so that an error can show what was given.
struct OtherJson {
    std::string json;
    bool operator==(const OtherJson&) const = default;
};

// What one key of a JSON document carries.
using FieldValue = std::variant<std::monostate, bool, std::int64_t, std::string, OtherJson>;
using FieldValues = std::map<std::string, FieldValue, std::less<>>;

enum class FieldKind {
    Rate,        // a list position; `key` in bit/s (null for a code that names no rate), `key`_code the byte
    Identifier,  // `key`, `key`_frame_type, `key`_reserved_bits (the bits the layout keeps zero)
    Bits,        // a flag as a boolean, or one of `names` when it has them
    Number,      // little-endian over `size` bytes
    Checksum,
};

// One field of the frame: its stable key, what people read, and where it lives: bytes
// offset..offset+size-1, and in a one-byte field the bits of `mask`. Every bit of bytes 0..31 belongs
// to exactly one field.
struct FrameField {
    std::string_view key;
    std::string_view label;
    FieldKind kind;
    std::size_t offset;
    std::size_t size = 1;
    std::uint8_t mask = 0xFF;
    bool reserved = false;                      // the dialog always sends 0 here
    bool inverted = false;                      // a flag that is set when the option is off
    bool receive = false;                       // an identifier whose type the receive frame type decides
    bool hexText = false;                       // a number people read in hexadecimal
    std::int64_t leastSent = 0;                 // a number below this is never sent by the dialog
    std::span<const std::string_view> names{};  // JSON names of a choice, by field value
    std::span<const std::string_view> texts{};  // what people read for each (rates: the list)
};

std::span<const FrameField> frameFields();

// One field read from a frame.
struct FieldReading {
    const FrameField* field = nullptr;
    std::string text;                                        // "standard 0x322"
    std::vector<std::pair<std::string, FieldValue>> values;  // key first, then its companions
    std::string
        unsendable;  // why the dialog never sends this, e.g. "CAN bit rate code 0x99"; empty if it may
};

// Every field, checksum last, whether the checksum holds or not.
std::vector<FieldReading> describeFrame(FrameView frame);
// "label: text; ..." on one line, for logs.
std::string describeFrameLine(FrameView frame);
// What in the frame no press of "Program Config" can produce: a rate code off the lists, a reserved
// byte or bit set, an identifier's reserved bits, a period count of 0, receive identifiers whose
// frame type the receive frame type contradicts. Empty for a frame the dialog may send.
std::vector<std::string> unsendableFields(FrameView frame);

// Keys decode prints that are derived from the others, not read back: `checksum` is recomputed;
// `bytes`, `checksum_ok`, `error`, `version` and `dialog_never_sends` are ignored, whatever they hold.
std::span<const std::string_view> derivedFieldKeys();

// Writes the given keys over `frame` and recomputes the checksum; a key not given keeps what the
// frame holds (an identifier's number keeps its value when only its frame type is given, and must
// fit the new type). On an error `frame` is unchanged and the text starts with the key: an unknown
// key, a wrong type, a negative number, a value out of range, a name that is not a choice, an
// identifier too large for its frame type, a rate and a rate code that disagree.
std::optional<std::string> setFrameFields(ConfigFrame& frame, const FieldValues& values);
// A frame from every key decode prints (the derived ones may be left out); a missing key is an error
// that names it. describeFrame's values give the same 33 bytes back when the checksum held.
Result<ConfigFrame> frameFromFields(const FieldValues& values);

}  // namespace veltara::core
