#pragma once

#include <array>
#include <string_view>

namespace veltara::core {

// The rate lists as the dialog offers them; a rate's code in the frame is its position here.
inline constexpr std::array<std::string_view, 8> kRs232RateTexts{"1200",  "2400",  "4800",   "9600",
                                                                 "19200", "57600", "115200", "230400"};
inline constexpr std::array<std::string_view, 8> kCanRateTexts{"20K",  "50K",  "100K", "125K",
                                                               "200K", "250K", "500K", "1000K"};

}  // namespace veltara::core
