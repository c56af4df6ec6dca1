#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"

namespace veltara::qt {

inline constexpr const char* kSerialByIdFolder = "/dev/serial/by-id";

// A serial device the system reports, with what tells one adapter from another.
struct SerialDevice {
    std::string device;  // "/dev/ttyUSB0"
    std::string description;
    std::string manufacturer;
    std::optional<std::uint16_t> vendorId;
    std::optional<std::uint16_t> productId;
    std::string serialNumber;
    std::string byId;  // the name that survives replugging, or empty
};

// Every serial device Qt SerialPort finds, with its by-id name where one exists.
std::vector<SerialDevice> serialDevices();
// The device among `devices` that `path` (a device, a by-id name, any link) resolves to.
std::optional<SerialDevice> findSerialDevice(const std::vector<SerialDevice>& devices,
                                             const std::string& path);
// The entry of `folder` that resolves to `device`, or empty.
std::string byIdName(const std::string& device, const std::string& folder = kSerialByIdFolder);

// "FT232R USB UART, serial number A1B2C3" (what is known of it), or empty.
std::string adapterText(const SerialDevice& device);

}  // namespace veltara::qt
