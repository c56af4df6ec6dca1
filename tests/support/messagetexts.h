#pragma once

namespace veltara::test {

// The dialog's answers to "Program Config", word for word as the user reads them (the spelling is the
// program's own).
inline constexpr const char* kSucceeds = "Configuration is successfull!";
inline constexpr const char* kFails = "Configuration fails!";
inline constexpr const char* kPortFailure = "Com Port fails to open, try another com port";

}  // namespace veltara::test
