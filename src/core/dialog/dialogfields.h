#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog.h"

namespace veltara::core {

// The dialog's settings by the keys the frame's fields are printed with (decode --json), written as a
// user would write them: choosing a list entry, ticking a box, typing into a text box and leaving it.
// Every rule and message of the window applies; what the window would refuse or correct is refused.
//
// Keys: rs232_baud_rate, can_baud_rate (bit/s, or the list's text: 250K), input_id, output_id,
// can_transmit_id, can_mask, can_filter1, can_filter2 (0x-prefixed hexadecimal or decimal),
// input_id_frame_type, output_id_frame_type, can_transmit_id_frame_type (standard, extended),
// can_receive_frame_type (standard, extended, all; it is also the frame type of the mask and filters),
// output_protection, rs232_receive_contains_id, rs232_transmit_contains_id (true, false),
// can_transmit_mode (one_byte, multi_byte), input_transmitting (on_change, periodic), period_ms_count
// (decimal), output_protect_value (0x-prefixed hexadecimal or decimal, 0..255).

// Sets one field; the error names the key and says why (the window's own message where it has one).
// `messages` must be the dialog's message boxes; a message they receive while the field is written means
// the window refused or corrected the value.
std::optional<std::string> setDialogField(Dialog& dialog, std::string_view key, std::string_view value,
                                          const std::vector<Message>& shown);

// True for the keys that choose a frame type: they are written before the identifiers they govern.
bool isFrameTypeKey(std::string_view key);

// Whether `key` is one setDialogField takes.
bool isDialogFieldKey(std::string_view key);

}  // namespace veltara::core
