#include "serialdevices.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <filesystem>

namespace veltara::qt {

namespace {

namespace fs = std::filesystem;

std::string canonical(const std::string& path) {
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    return error ? std::string() : resolved.string();
}

}  // namespace

std::string byIdName(const std::string& device, const std::string& folder) {
    const std::string wanted = canonical(device);
    std::error_code error;
    if (wanted.empty() || !fs::is_directory(folder, error)) {
        return {};
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (canonical(entry.path().string()) == wanted) {
            names.push_back(entry.path().string());
        }
    }
    // An adapter with several interfaces has one name each; the shortest is the whole device's.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names.empty() ? std::string() : names.front();
}

std::vector<SerialDevice> serialDevices() {
    std::vector<SerialDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
        d.device = info.systemLocation().toStdString();
        d.description = info.description().toStdString();
        d.manufacturer = info.manufacturer().toStdString();
        if (info.hasVendorIdentifier()) {
            d.vendorId = info.vendorIdentifier();
        }
        if (info.hasProductIdentifier()) {
            d.productId = info.productIdentifier();
        }
        d.serialNumber = info.serialNumber().toStdString();
        d.byId = byIdName(d.device);
        devices.push_back(std::move(d));
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return a.device < b.device; });
    return devices;
}

std::optional<SerialDevice> findSerialDevice(const std::vector<SerialDevice>& devices,
                                             const std::string& path) {
    const std::string wanted = canonical(path);
    if (wanted.empty()) {
        return std::nullopt;
    }
    const auto found = std::find_if(devices.begin(), devices.end(),
                                    [&](const SerialDevice& d) { return canonical(d.device) == wanted; });
    return found == devices.end() ? std::nullopt : std::optional<SerialDevice>(*found);
}

std::string adapterText(const SerialDevice& device) {
    std::string text = device.description;
    if (!device.serialNumber.empty()) {
        text += (text.empty() ? "" : ", ") + std::string("serial number ") + device.serialNumber;
    }
    return text;
}

}  // namespace veltara::qt
