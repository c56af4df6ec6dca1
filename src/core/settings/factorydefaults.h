#pragma once

#include <array>

namespace veltara::core {

// The converter's factory configuration, as "Default Config" writes it into the dialog.
struct FactoryDefaults {
    static constexpr int kRS232BaudRate = 3;  // "9600"
    static constexpr int kCANBaudRate = 5;    // "250K"
    static constexpr int kFrameType = 0;      // "Standard" for all four frame-type lists
    static constexpr int kOutputProtection = 0;
    static constexpr int kRS232RecID = 0;
    static constexpr int kRS232TrID = 0;

    // Box texts, index 0 (least significant) first.
    using Row = std::array<const char*, 4>;
    static constexpr Row kCANTrID1{"22", "03", "00", "00"};
    static constexpr Row kCANMask1{"ff", "07", "00", "00"};
    static constexpr Row kCANFilter1{"33", "03", "00", "00"};
    static constexpr Row kCANFilter2{"33  ", "03  ", "00  ", "00  "};
    static constexpr Row kInputID1{"22", "07", "00", "00"};
    static constexpr Row kOutputID1{"22  ", "05  ", "00  ", "00  "};
    static constexpr const char* kPeriodmsCount = "300     ";
    static constexpr const char* kOutputProtectValue = "00  ";
};

}  // namespace veltara::core
