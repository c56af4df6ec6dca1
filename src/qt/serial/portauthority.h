#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "serialdevices.h"

// The one place that knows what a port name means: COM names and the per-user map that points them at
// devices, the trust that map and every link on the way to a device must earn, the lock files that
// serial programs leave, who holds a port, and what a user refused access must do. The window, the
// command-line programmer and the simulator all ask here; nothing else parses a COM name.
//
// Paths that other users can write (/run/lock, /tmp, a link someone hands us) are resolved once, link by
// link, and checked for who controls them before anything in them is believed. Nothing here opens a
// serial device: looking at a port must not raise its modem lines or take its lock.
namespace veltara::qt::ports {

inline constexpr int kFirstCommPort = 1;
inline constexpr int kLastCommPort = 8;

// "COM1".."COM8", in any case, give 1..8; anything else 0.
int parseComName(std::string_view name);
// "COM" and more but no folder: a COM name typed wrong (COM9, COM1x) rather than a device path.
bool looksLikeComName(std::string_view name);
std::string comName(int port);

// The per-user folder whose entries COM1..COM8 name devices: $XDG_CONFIG_HOME/veltara/ports when that
// is an absolute path (the XDG rules ignore a relative one), else ~/.config/veltara/ports with the home
// folder from $HOME or, without it, the password database. Fails when no home folder can be found:
// guessing one would let a COM name reach another device than the one its user mapped.
core::Result<std::string> portFolder();
core::Result<std::string> portEntryPath(int port);

// A port as the user typed it and the device node it reaches.
struct ResolvedPort {
    std::string typed;
    int comPort = 0;         // 1..8 for a COM name
    std::string entry;       // COMn's entry in the port folder, when there is one
    std::string linkTarget;  // what that entry points at
    std::string device;      // the device node reached; for a missing one, the path that is missing
    std::optional<core::Error> problem;  // why it must not (or cannot) be used
};

// Resolves a COM name or a device path. Every folder and link on the way must belong to root or the
// caller, and a folder others may write must be sticky with the entry we pass ours or root's. Without a
// map entry COM1..COM4 are /dev/ttyS0..3 and COM5..COM8 /dev/ttyUSB0..3 (Windows: the COM name itself).
ResolvedPort resolvePort(std::string_view typed);
ResolvedPort resolvePort(int comPort);

// Who holds a port: the process named in its lock file or, where this user may look, one that has the
// device open.
struct Holder {
    long pid = 0;
    std::string program;   // empty when unknown
    std::string lockFile;  // empty when found through the open descriptors
    std::string host;      // set when the lock names another machine
};
std::string describe(const Holder& holder);

// The lock file serial programs use for `device` (the one Qt SerialPort takes when it opens it).
std::string lockFilePath(const std::string& device);

// What must hold before `device` is opened: it is a character device this user may use, a terminal is
// the caller's own, a device does not belong to another ordinary user, and no live process holds its
// lock. A lock that is not a regular file is never followed or read; a lock whose holder has ended is
// removed so that the port can be taken. Errors: NotFound, PermissionDenied, Untrusted, Busy.
core::Status checkBeforeOpen(const std::string& device);

// The holder of a device that reported busy, for the message.
std::optional<Holder> findHolder(const std::string& device);
core::Error busyError(const std::string& device);

// How a COM name stands, learnt without opening anything (for `ports` and the port list's tooltip).
struct PortState {
    ResolvedPort port;
    bool exists = false;
    bool available = false;  // it would open now
    std::optional<Holder> holder;
    std::optional<core::Error> problem;  // why it would not
};
PortState inspectPort(int comPort);

// The COM names whose device is `device`'s.
std::vector<int> comNamesOf(const SerialDevice& device);
// The command that maps `comName` to the adapter, by its stable name where it has one.
std::string assignCommand(const std::string& comName, const SerialDevice& device);

// What a user refused access to `device` must do: join its group, when that group may read and write
// it and is not one that grants more (root, wheel, sudo, adm); otherwise ask the device's owner or add a
// udev rule.
std::string permissionHint(const std::string& device);

// Refuses what a COM name must not point at: a missing path, a file, a device that is not a serial port.
// Pseudo-terminals pass, so the simulator can stand in for a converter.
core::Status checkSerialPort(const std::string& path, const std::vector<SerialDevice>& devices);

// Points COMn at the device `path` resolves to (by its stable /dev/serial/by-id name when that resolves
// to the same node), swapped in at once. `replaced` is what the entry pointed at before, if anything.
struct Assignment {
    std::string target;
    std::string replaced;
};
core::Result<Assignment> assignPort(int port, const std::string& path);
// Removes COMn's link; false when it had none.
core::Result<bool> unassignPort(int port);

// The simulator's COMn: a link to its terminal for as long as this object lives. It takes the place only
// of a missing entry or of a simulator link left behind (into /dev/pts, to a terminal that is gone or is
// its own), and removes the entry only while it still points at its terminal.
class ComLink {
public:
    ComLink() = default;
    ~ComLink();
    ComLink(const ComLink&) = delete;
    ComLink& operator=(const ComLink&) = delete;

    core::Status create(int port, const std::string& device);
    void remove();
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::string m_device;
};

}  // namespace veltara::qt::ports
