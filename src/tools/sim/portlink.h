#pragma once

#include <string>

#include "common/result.h"

namespace veltara::sim {

// The port folder's entry "COMn" as a link to the simulator's device, for as long as this object
// holds it. It takes the place only of a missing entry or of a simulator link left behind (a link into
// /dev/pts whose terminal is gone), and removes the entry only while it still points at its device.
class PortLink {
public:
    PortLink() = default;
    ~PortLink();
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    core::Status create(int port, const std::string& device);
    void remove();
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::string m_device;
};

}  // namespace veltara::sim
