// The frame decoder on arbitrary bytes: no crash, and a frame that decodes re-encodes to its checksum.
#include <cstdint>

#include "link/configframe.h"
#include "link/framedescription.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltara::core;
    const auto decoded = decodeConfigFrame(std::span<const std::uint8_t>(data, size));
    if (decoded) {
        const std::string line = describeFrameLine(decoded.value());
        if (line.empty() ||
            frameChecksum(std::span<const std::uint8_t>(data, size)) != data[frame::kChecksum]) {
            __builtin_trap();
        }
    }
    return 0;
}
