#include "portscommand.h"

#include <QFileInfo>

#include <filesystem>
#include <vector>

#include "commands.h"
#include "jsonwriter.h"
#include "portfolder.h"
#include "portnames.h"
#include "qtserialcontrol.h"
#include "serialdevices.h"

namespace veltara::cli {

namespace {

namespace fs = std::filesystem;
using core::ErrorCode;

struct ComPort {
    int number = 0;
    std::string name;        // "COM3"
    std::string device;      // what it opens
    std::string entry;       // its folder entry, when it has one
    std::string linkTarget;  // what the entry points at, when it is a link
    bool exists = false;
    bool opens = false;
    bool refused = false;  // the port folder or the entry is another user's
    std::string state;     // "opens", "missing", "does not open: ...", "refused: ..."
    std::string reason;    // why it does not open (empty when it does)
    std::optional<qt::SerialDevice> adapter;
};

std::string canonical(const std::string& path) {
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    return error ? path : resolved.string();
}

// Opens COMn as the window would (through the same serial control, port folder checks included) to
// tell a missing device from a busy, forbidden or refused one.
ComPort probe(int number, const std::vector<qt::SerialDevice>& devices) {
    ComPort port;
    port.number = number;
    port.name = "COM" + std::to_string(number);
    port.device = qt::portDevice(number).toStdString();
    const QFileInfo entry(qt::portEntryPath(number));
    if (entry.isSymLink() || entry.exists()) {
        port.entry = entry.filePath().toStdString();
        std::error_code error;
        port.linkTarget = fs::read_symlink(port.entry, error).string();
    }
    port.exists = QFileInfo::exists(QString::fromStdString(port.device));
    port.adapter = qt::findSerialDevice(devices, port.device);

    qt::QtSerialControl serial;
    core::Status opened = serial.setCommPort(number);
    if (opened) {
        opened = serial.setPortOpen(true);
    }
    port.opens = opened.ok();
    if (port.opens) {
        (void)serial.setPortOpen(false);
        port.state = "opens";
        return port;
    }
    port.reason = opened.error().text;
    switch (opened.error().code) {
        case ErrorCode::Untrusted:
            port.refused = true;
            port.state = "refused: " + port.reason;
            break;
        case ErrorCode::NotFound:
            port.state = "missing";
            break;
        case ErrorCode::PermissionDenied:
            port.reason += "; " + qt::permissionHint(port.device);
            port.state = "does not open: " + port.reason;
            break;
        default:
            port.state = "does not open: " + port.reason;
    }
    return port;
}

// The first COM name that names nothing usable yet, for the command that maps an adapter.
std::string freeComName(const std::vector<ComPort>& ports) {
    for (const ComPort& p : ports) {
        if (p.entry.empty() && !p.exists) {
            return p.name;
        }
    }
    return "COMn";
}

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

std::vector<std::string> comNamesOf(const qt::SerialDevice& device, const std::vector<ComPort>& ports) {
    std::vector<std::string> names;
    const std::string wanted = canonical(device.device);
    for (const ComPort& p : ports) {
        if (p.exists && canonical(p.device) == wanted) {
            names.push_back(p.name);
        }
    }
    return names;
}

std::string assignCommand(const std::string& comName, const qt::SerialDevice& device) {
    return "veltara-cli ports --assign " + comName + " " +
           (device.byId.empty() ? device.device : device.byId);
}

int listPorts(bool json, std::ostream& out) {
    const std::vector<qt::SerialDevice> devices = qt::serialDevices();
    std::vector<ComPort> ports;
    for (int n = qt::kFirstCommPort; n <= qt::kLastCommPort; ++n) {
        ports.push_back(probe(n, devices));
    }
    const std::string spare = freeComName(ports);
    if (json) {
        std::vector<std::string> comItems;
        for (const ComPort& p : ports) {
            JsonObject o;
            o.text("port", p.name).text("device", p.device);
            p.entry.empty() ? o.null("entry") : o.text("entry", p.entry);
            p.linkTarget.empty() ? o.null("link_target") : o.text("link_target", p.linkTarget);
            o.flag("exists", p.exists).flag("opens", p.opens).text("reason", p.reason);
            o.flag("refused", p.refused);
            comItems.push_back(o.str());
        }
        std::vector<std::string> deviceItems;
        for (const qt::SerialDevice& d : devices) {
            JsonObject o;
            o.text("device", d.device)
                .text("description", d.description)
                .text("manufacturer", d.manufacturer);
            d.vendorId ? o.number("vendor_id", *d.vendorId) : o.null("vendor_id");
            d.productId ? o.number("product_id", *d.productId) : o.null("product_id");
            o.text("serial_number", d.serialNumber);
            d.byId.empty() ? o.null("by_id") : o.text("by_id", d.byId);
            o.raw("com_ports", jsonStringArray(comNamesOf(d, ports)));
            deviceItems.push_back(o.str());
        }
        out << JsonObject().raw("com_ports", jsonArray(comItems)).raw("devices", jsonArray(deviceItems)).str()
            << '\n';
        return kExitSuccess;
    }
    for (const ComPort& p : ports) {
        out << p.name << "  " << p.device << "  " << p.state;
        if (p.adapter && !qt::adapterText(*p.adapter).empty()) {
            out << "  " << qt::adapterText(*p.adapter);
        }
        if (!p.linkTarget.empty()) {
            out << "  (" << p.entry << " -> " << p.linkTarget << ")";
        } else if (p.entry.empty() && p.adapter && !p.adapter->byId.empty()) {
            out << "  (fixed name; keep it across replugging: " << assignCommand(p.name, *p.adapter) << ")";
        }
        out << '\n';
    }
    out << "\nSerial devices:" << (devices.empty() ? " none found\n" : "\n");
    for (const qt::SerialDevice& d : devices) {
        const std::vector<std::string> names = comNamesOf(d, ports);
        out << d.device << "  ";
        if (names.empty()) {
            out << "no COM name (map it: " << assignCommand(spare, d) << ")";
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            out << (i > 0 ? " " : "") << names[i];
        }
        for (const std::string& part :
             {d.description, d.manufacturer.empty() ? "" : "made by " + d.manufacturer,
              d.vendorId && d.productId ? "USB " + hex4(*d.vendorId) + ":" + hex4(*d.productId) : "",
              d.serialNumber.empty() ? "" : "serial number " + d.serialNumber, d.byId}) {
            if (!part.empty()) {
                out << "  " << part;
            }
        }
        out << '\n';
    }
    return kExitSuccess;
}

int comNumberOrError(const std::string& name, std::ostream& err) {
    const int number = qt::parseComName(name);
    if (number == 0) {
        err << "veltara-cli: " << name << " is not a COM name: use COM1 to COM8\n";
    }
    return number;
}

int assign(const std::string& name, const std::string& device, std::ostream& out, std::ostream& err) {
    const int number = comNumberOrError(name, err);
    if (number == 0) {
        return kExitUsageOrIo;
    }
    const std::vector<qt::SerialDevice> devices = qt::serialDevices();
    if (const core::Status serial = qt::checkSerialPort(device, devices); !serial) {
        err << "veltara-cli: " << serial.error().text << '\n';
        return kExitUsageOrIo;
    }
    // The by-id name follows the adapter to whichever ttyUSBn it gets next time.
    std::string target = qt::byIdName(device);
    if (target.empty()) {
        target = fs::absolute(device).lexically_normal().string();
    }
    if (const core::Status linked = qt::assignPort(number, target); !linked) {
        err << "veltara-cli: " << linked.error().text << '\n';
        return kExitUsageOrIo;
    }
    out << "COM" << number << " -> " << target << '\n';
    return kExitSuccess;
}

int unassign(const std::string& name, std::ostream& out, std::ostream& err) {
    const int number = comNumberOrError(name, err);
    if (number == 0) {
        return kExitUsageOrIo;
    }
    if (const core::Status removed = qt::unassignPort(number); !removed) {
        err << "veltara-cli: " << removed.error().text << '\n';
        return kExitUsageOrIo;
    }
    out << "COM" << number << " unassigned\n";
    return kExitSuccess;
}

}  // namespace

int portsCommand(const PortsRequest& request, std::ostream& out, std::ostream& err) {
    if (request.assignName) {
        return assign(*request.assignName, request.assignDevice, out, err);
    }
    if (request.unassignName) {
        return unassign(*request.unassignName, out, err);
    }
    return listPorts(request.json, out);
}

}  // namespace veltara::cli
