#include "validation/entryrules.h"

namespace veltara::core {

std::optional<const char*> identifierRangeProblem(std::uint8_t value, int frameType, int index) {
    if (frameType == 0 && index == 1 && (value & 0xF8) != 0) {
        return kStandardBox1Message;
    }
    if (frameType == 1 && index == 3 && (value & 0xE0) != 0) {
        return kExtendedBox3Message;
    }
    return std::nullopt;
}

bool periodCountInRange(std::int32_t value) {
    return value > 0 && value <= 65535;
}

}  // namespace veltara::core
