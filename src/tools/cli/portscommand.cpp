#include "portscommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "commandline/printable.h"
#include "commands.h"
#include "programreport.h"
#include "serial/portauthority.h"
#include "serial/serialdevices.h"

namespace veltara::cli {

namespace {

namespace ports = qt::ports;
using commandline::printable;

struct ComPort {
    std::string name;  // "COM3"
    ports::PortState state;
    std::optional<qt::SerialDevice> adapter;

    const ports::ResolvedPort& resolved() const { return state.port; }
};

// What stands in the "state" column: learnt from the map, the device's mode and the lock files, never
// by opening the device (that raises its modem lines and would take its lock).
std::string stateText(const ports::PortState& state) {
    if (state.available) {
        return state.holder ? "available (also open in " + ports::describe(*state.holder) + ")" : "available";
    }
    if (!state.problem) {
        return "unknown";
    }
    switch (state.problem->code) {
        case core::ErrorCode::NotFound:
            return state.port.device.empty() ? "refused: " + state.problem->text : "missing";
        case core::ErrorCode::Untrusted:
            return "refused: " + state.problem->text;
        case core::ErrorCode::Busy:
            return "busy: " + state.problem->text;
        case core::ErrorCode::PermissionDenied:
            return "no permission: " + state.problem->text + "; " + ports::permissionHint(state.port.device);
        default:
            return "unusable: " + state.problem->text;
    }
}

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

std::vector<std::string> comNames(const qt::SerialDevice& device) {
    std::vector<std::string> names;
    for (const int port : ports::comNamesOf(device)) {
        names.push_back(ports::comName(port));
    }
    return names;
}

// The first COM name that names nothing usable yet, for the command that maps an adapter.
std::string freeComName(const std::vector<ComPort>& listed) {
    for (const ComPort& p : listed) {
        if (p.resolved().entry.empty() && !p.state.exists) {
            return p.name;
        }
    }
    return "COMn";
}

int listPorts(bool json, std::ostream& out) {
    const std::vector<qt::SerialDevice> devices = qt::serialDevices();
    std::vector<ComPort> listed;
    for (int n = ports::kFirstCommPort; n <= ports::kLastCommPort; ++n) {
        ComPort& p = listed.emplace_back();
        p.name = ports::comName(n);
        p.state = ports::inspectPort(n);
        if (!p.resolved().device.empty()) {
            p.adapter = qt::findSerialDevice(devices, p.resolved().device);
        }
    }
    const std::string spare = freeComName(listed);
    if (json) {
        // Paths are bytes: one that is not UTF-8 keeps its exact bytes in a "_hex" field beside it.
        const auto textOrNull = [](QJsonObject& o, const QString& key, const std::string& text) {
            if (text.empty()) {
                o[key] = QJsonValue::Null;
            } else {
                addText(o, key, text);
            }
        };
        QJsonArray comItems;
        for (const ComPort& p : listed) {
            const ports::ResolvedPort& r = p.resolved();
            QJsonObject o;
            o["port"] = QString::fromStdString(p.name);
            addText(o, "device", r.device);
            textOrNull(o, "entry", r.entry);
            textOrNull(o, "link_target", r.linkTarget);
            o["exists"] = p.state.exists;
            o["opens"] = p.state.available;
            addText(o, "reason", p.state.problem ? p.state.problem->text : std::string());
            o["refused"] = p.state.problem && p.state.problem->code == core::ErrorCode::Untrusted;
            o["busy"] = p.state.problem && p.state.problem->code == core::ErrorCode::Busy;
            if (p.state.holder) {
                QJsonObject holder;
                holder["pid"] = static_cast<qint64>(p.state.holder->pid);
                addText(holder, "program", p.state.holder->program);
                textOrNull(holder, "lock_file", p.state.holder->lockFile);
                o["holder"] = holder;
            } else {
                o["holder"] = QJsonValue::Null;
            }
            comItems.append(o);
        }
        QJsonArray deviceItems;
        for (const qt::SerialDevice& d : devices) {
            QJsonObject o;
            addText(o, "device", d.device);
            addText(o, "description", d.description);
            addText(o, "manufacturer", d.manufacturer);
            o["vendor_id"] = d.vendorId ? QJsonValue(*d.vendorId) : QJsonValue(QJsonValue::Null);
            o["product_id"] = d.productId ? QJsonValue(*d.productId) : QJsonValue(QJsonValue::Null);
            addText(o, "serial_number", d.serialNumber);
            textOrNull(o, "by_id", d.byId);
            QJsonArray names;
            for (const std::string& name : comNames(d)) {
                names.append(QString::fromStdString(name));
            }
            o["com_ports"] = names;
            deviceItems.append(o);
        }
        const QJsonObject document{
            {"version", VELTARA_VERSION}, {"com_ports", comItems}, {"devices", deviceItems}};
        out << QJsonDocument(document).toJson(QJsonDocument::Compact).toStdString() << '\n';
        return kExitSuccess;
    }
    for (const ComPort& p : listed) {
        const ports::ResolvedPort& r = p.resolved();
        out << p.name << "  " << printable(r.device.empty() ? "-" : r.device) << "  "
            << printable(stateText(p.state));
        if (p.adapter && !qt::adapterText(*p.adapter).empty()) {
            out << "  " << printable(qt::adapterText(*p.adapter));
        }
        if (!r.linkTarget.empty()) {
            out << "  (" << printable(r.entry) << " -> " << printable(r.linkTarget) << ")";
        } else if (r.entry.empty() && p.adapter && !p.adapter->byId.empty()) {
            out << "  (fixed name; keep it across replugging: "
                << printable(ports::assignCommand(p.name, *p.adapter)) << ")";
        }
        out << '\n';
    }
    out << "\nSerial devices:" << (devices.empty() ? " none found\n" : "\n");
    for (const qt::SerialDevice& d : devices) {
        const std::vector<std::string> names = comNames(d);
        out << printable(d.device) << "  ";
        if (names.empty()) {
            out << "no COM name (map it: " << printable(ports::assignCommand(spare, d)) << ")";
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            out << (i > 0 ? " " : "") << names[i];
        }
        for (const std::string& part :
             {d.description, d.manufacturer.empty() ? "" : "made by " + d.manufacturer,
              d.vendorId && d.productId ? "USB " + hex4(*d.vendorId) + ":" + hex4(*d.productId) : "",
              d.serialNumber.empty() ? "" : "serial number " + d.serialNumber, d.byId}) {
            if (!part.empty()) {
                out << "  " << printable(part);
            }
        }
        out << '\n';
    }
    return kExitSuccess;
}

int comNumberOrError(const std::string& name, std::ostream& err) {
    const int number = ports::parseComName(name);
    if (number == 0) {
        err << "veltara-cli: " << printable(name) << " is not a COM name: use COM1 to COM8\n";
    }
    return number;
}

int assign(const std::string& name, const std::string& device, std::ostream& out, std::ostream& err) {
    const int number = comNumberOrError(name, err);
    if (number == 0) {
        return kExitUsageOrIo;
    }
    const core::Result<ports::Assignment> assigned = ports::assignPort(number, device);
    if (!assigned) {
        err << "veltara-cli: " << printable(assigned.error().text) << '\n';
        return kExitUsageOrIo;
    }
    out << ports::comName(number) << " -> " << printable(assigned.value().target);
    if (!assigned.value().replaced.empty()) {
        out << " (replaced " << printable(assigned.value().replaced) << ")";
    }
    out << '\n';
    return kExitSuccess;
}

int unassign(const std::string& name, std::ostream& out, std::ostream& err) {
    const int number = comNumberOrError(name, err);
    if (number == 0) {
        return kExitUsageOrIo;
    }
    const core::Result<bool> removed = ports::unassignPort(number);
    if (!removed) {
        err << "veltara-cli: " << printable(removed.error().text) << '\n';
        return kExitUsageOrIo;
    }
    out << ports::comName(number) << (removed.value() ? " unassigned" : " is not assigned; nothing to do")
        << '\n';
    return kExitSuccess;
}

constexpr commandline::Option kOptions[] = {
    commandline::kHelpOption,
    {.name = "json", .help = "print the list as one JSON document"},
    {.name = "assign", .valueName = "COMn", .help = "make COMn (1..8) name DEVICE, given after it"},
    {.name = "unassign", .valueName = "COMn", .help = "remove COMn's link"},
};

void usageDocument(std::string_view error, Streams& io) {
    QJsonObject document{{"version", VELTARA_VERSION}};
    addText(document, "error", error);
    io.out << QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
}

// A script that asked for JSON gets its one document also when the command line is wrong.
int usage(const commandline::Arguments& arguments, Streams& io, const std::string& text) {
    if (arguments.has("json")) {
        usageDocument(text, io);
    }
    return usageError(io, "ports", text);
}

int portsCommand(const commandline::Arguments& arguments, Streams& io) {
    const std::vector<std::string>& operands = arguments.operands();
    if (auto both = commandline::excludeEachOther(arguments, {"assign", "unassign", "json"})) {
        return usage(arguments, io, *both);
    }
    if (const auto name = arguments.value("assign")) {
        if (operands.size() != 1) {
            return usage(arguments, io,
                         operands.empty()
                             ? "--assign needs a COM name and a device: --assign COMn DEVICE"
                             : "--assign takes one device, not " + std::to_string(operands.size()));
        }
        return assign(*name, operands.front(), io.out, io.err);
    }
    if (!operands.empty()) {
        return usage(arguments, io, "ports takes no argument '" + operands.front() + "'");
    }
    if (const auto name = arguments.value("unassign")) {
        return unassign(*name, io.out, io.err);
    }
    return listPorts(arguments.has("json"), io.out);
}

}  // namespace

extern const Command kPortsCommand{
    .name = "ports",
    .summary = "list COM1..COM8 with the device each one names; assign them",
    .help =
        {.usage = "Usage: veltara-cli ports [--json]\n"
                  "       veltara-cli ports --assign COMn DEVICE\n"
                  "       veltara-cli ports --unassign COMn",
         .description =
             "Lists COM1..COM8 with the device each one names and its state (available, missing, busy "
             "with its holder, no permission, refused), then every serial device the system has with its "
             "description, maker, USB vendor and product, serial number, its /dev/serial/by-id name and "
             "the COM names that point at it. Nothing is opened to find this out.\n\n"
             "--assign makes COMn name DEVICE, by its /dev/serial/by-id name when it has one, so that the "
             "name survives replugging; --assign=COMn DEVICE works as well. --unassign removes COMn's "
             "link. The links live in ~/.config/veltara/ports (under $XDG_CONFIG_HOME if set), which must "
             "belong to you (or root) and be writable by nobody else.",
         .options = kOptions},
    .run = portsCommand,
    .usageDocument =
        [](std::span<const std::string> args, std::string_view error, Streams& io) {
            if (std::find(args.begin(), args.end(), "--json") != args.end()) {
                QJsonObject document{{"version", VELTARA_VERSION}};
                addText(document, "error", error);
                io.out << QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
            }
        },
};

}  // namespace veltara::cli
