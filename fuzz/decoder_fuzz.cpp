// The frame decoder on arbitrary bytes: no crash, a frame that decodes re-encodes to its checksum, and
// its fields, read back by key, give the same 33 bytes.
#include <algorithm>
#include <cstdint>

#include "link/configframe.h"
#include "link/framefields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltara::core;
    const auto decoded = decodeConfigFrame(std::span<const std::uint8_t>(data, size));
    if (decoded) {
        const FrameView frame(data, kConfigFrameSize);
        FieldValues values;
        for (const FieldReading& reading : describeFrame(frame)) {
            values.insert(reading.values.begin(), reading.values.end());
        }
        const auto rebuilt = frameFromFields(values);
        if (describeFrameLine(frame).empty() || frameChecksum(frame) != data[frame::kChecksum] || !rebuilt ||
            !std::equal(frame.begin(), frame.end(), rebuilt.value().begin())) {
            __builtin_trap();
        }
    }
    return 0;
}
