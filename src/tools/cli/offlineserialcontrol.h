#pragma once

#include "link/serialcontrol.h"

namespace veltara::cli {

// A port that opens without a device, for building a frame without touching any serial port.
class OfflineSerialControl final : public core::SerialControl {
public:
    core::Result<bool> portOpen() const override { return m_open; }
    core::Status setPortOpen(bool open) override {
        m_open = open;
        return {};
    }
    core::Status setCommPort(int) override { return {}; }
    core::Status setInputLen(int) override { return {}; }
    core::Status setInBufferSize(int) override { return {}; }
    core::Result<int> inBufferCount() override { return 0; }
    core::Status setInBufferCount(int) override { return {}; }
    core::Result<int> outBufferCount() override { return 0; }
    core::Status setOutBufferCount(int) override { return {}; }
    core::Status setSettings(std::string_view) override { return {}; }
    core::Status output(std::span<const std::uint8_t>) override {
        return core::Error{core::ErrorCode::Refused, "no converter is attached when only encoding"};
    }
    core::Result<std::vector<std::uint8_t>> input() override { return std::vector<std::uint8_t>{}; }
    std::string deviceName(int) const override { return {}; }

private:
    bool m_open = false;
};

}  // namespace veltara::cli
