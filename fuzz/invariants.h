#pragma once

#include <string>

#include "dialog/dialog.h"

namespace veltara::fuzz {

// What must hold for the dialog after any start-up or any user action: every identifier box holds a text
// that converts to a byte, and its byte array element equals that byte; the period value is 1..65535.
// Returns an empty string when everything holds, else what broke.
std::string checkDialogInvariants(const core::Dialog& dialog);

// Aborts with a message on stderr (a fuzzer counts that as a crash) when `problem` is not empty.
void require(const std::string& problem);

}  // namespace veltara::fuzz
