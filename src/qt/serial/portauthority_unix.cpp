#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "commandline/printable.h"
#include "common/systemerror.h"
#include "portauthority.h"
#include "portauthority_p.h"

namespace veltara::qt::ports {

namespace {

using core::Error;
using core::ErrorCode;

constexpr int kOnboardPorts = 4;  // COM1..COM4 are the on-board UARTs, the rest USB adapters
constexpr int kMaxLinks = 40;     // as the kernel's own limit for one lookup
// Unix98 pseudo-terminal slaves (/dev/pts/N) have majors 136 to 143.
constexpr unsigned kFirstPtyMajor = 136;
constexpr unsigned kLastPtyMajor = 143;
// A lock file holds a process number and a name or two; anything longer is not one we know.
constexpr std::size_t kMaxLockSize = 256;
constexpr const char* kPtyFolder = "/dev/pts/";

bool validPort(int port) {
    return port >= kFirstCommPort && port <= kLastCommPort;
}

bool trusted(uid_t uid) {
    return uid == 0 || uid == ::geteuid();
}

std::string userName(uid_t uid) {
    if (const passwd* entry = ::getpwuid(uid)) {
        return entry->pw_name;
    }
    return "uid " + std::to_string(uid);
}

std::string groupName(gid_t gid) {
    if (const group* entry = ::getgrgid(gid)) {
        return entry->gr_name;
    }
    return "gid " + std::to_string(gid);
}

std::string octal(mode_t mode) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%04o", static_cast<unsigned>(mode & 07777));
    return text.data();
}

std::string systemText(int error) {
    return std::strerror(error);
}

bool othersMayWrite(const struct stat& st) {
    return (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

bool sticky(const struct stat& st) {
    return (st.st_mode & S_ISVTX) != 0;
}

bool isPty(const struct stat& st) {
    const unsigned major = ::major(st.st_rdev);
    return S_ISCHR(st.st_mode) && major >= kFirstPtyMajor && major <= kLastPtyMajor;
}

std::string kindOf(const struct stat& st) {
    if (S_ISLNK(st.st_mode)) {
        return "a symbolic link";
    }
    if (S_ISFIFO(st.st_mode)) {
        return "a FIFO";
    }
    if (S_ISDIR(st.st_mode)) {
        return "a folder";
    }
    if (S_ISSOCK(st.st_mode)) {
        return "a socket";
    }
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
        return "a device";
    }
    return "a file";
}

Error untrusted(std::string text) {
    return {ErrorCode::Untrusted, std::move(text) + ": another user could point it at a device of their own"};
}

std::string join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string parentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

void splitInto(std::deque<std::string>& parts, const std::string& path, bool front) {
    std::deque<std::string> split;
    std::size_t at = 0;
    while (at <= path.size()) {
        const auto slash = path.find('/', at);
        const std::string part = path.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
        if (!part.empty() && part != ".") {
            split.push_back(part);
        }
        if (slash == std::string::npos) {
            break;
        }
        at = slash + 1;
    }
    if (front) {
        parts.insert(parts.begin(), split.begin(), split.end());
    } else {
        parts.insert(parts.end(), split.begin(), split.end());
    }
}

// A folder whose entries decide where we go: it must be root's or ours, and one that others may write
// must be sticky (its entries then stay their owners').
std::optional<Error> folderProblem(const std::string& folder, const struct stat& st) {
    if (!trusted(st.st_uid)) {
        return untrusted("the folder " + folder + " belongs to " + userName(st.st_uid) +
                         ", not to you or root");
    }
    if (othersMayWrite(st) && !sticky(st)) {
        std::string text =
            "the folder " + folder + " may be written by other users (mode " + octal(st.st_mode) + ")";
        return untrusted(std::move(text));
    }
    return std::nullopt;
}

struct Walk {
    std::string path;  // the node reached; when something is missing, the path that would have been
    std::optional<Error> problem;
};

// Resolves `start` as the kernel would, one name at a time, checking at each step who controls what
// decides the next one.
Walk walk(const std::string& start) {
    std::deque<std::string> rest;
    if (start.empty()) {
        return {start, Error{ErrorCode::NotFound, "no path given"}};
    }
    if (start.front() != '/') {
        std::array<char, 4096> cwd{};
        if (::getcwd(cwd.data(), cwd.size()) == nullptr) {
            return {start, core::systemError(errno)};
        }
        splitInto(rest, cwd.data(), false);
    }
    splitInto(rest, start, false);
    std::string current = "/";
    int links = 0;
    while (!rest.empty()) {
        const std::string part = rest.front();
        rest.pop_front();
        if (part == "..") {
            current = parentOf(current);
            continue;
        }
        struct stat folder {};
        if (::lstat(current.c_str(), &folder) != 0) {
            return {current, core::systemError(errno)};
        }
        if (auto problem = folderProblem(current, folder)) {
            return {current, std::move(problem)};
        }
        const std::string next = join(current, part);
        struct stat st {};
        if (::lstat(next.c_str(), &st) != 0) {
            const int error = errno;
            std::string missing = next;
            for (const std::string& r : rest) {
                missing += "/" + r;
            }
            return {missing, core::systemError(error)};
        }
        if (othersMayWrite(folder) && !trusted(st.st_uid)) {
            return {next, untrusted(next + " belongs to " + userName(st.st_uid) + " and lies in " + current +
                                    ", which every user may write to")};
        }
        if (S_ISLNK(st.st_mode)) {
            if (!trusted(st.st_uid)) {
                return {next, untrusted("the link " + next + " belongs to " + userName(st.st_uid) +
                                        ", not to you or root")};
            }
            if (++links > kMaxLinks) {
                return {next, core::systemError(ELOOP)};
            }
            std::array<char, 4096> target{};
            const ssize_t length = ::readlink(next.c_str(), target.data(), target.size() - 1);
            if (length < 0) {
                return {next, core::systemError(errno)};
            }
            const std::string to(target.data(), static_cast<std::size_t>(length));
            splitInto(rest, to, true);
            if (to.starts_with('/')) {
                current = "/";
            }
            continue;
        }
        if (!rest.empty() && !S_ISDIR(st.st_mode)) {
            return {next, core::systemError(ENOTDIR)};
        }
        current = next;
    }
    return {current, std::nullopt};
}

// The configuration folder, from the environment as the XDG rules say, else the password database.
core::Result<std::string> configHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        return std::string(xdg);
    }
    std::string home;
    if (const char* fromEnvironment = std::getenv("HOME");
        fromEnvironment != nullptr && fromEnvironment[0] == '/') {
        home = fromEnvironment;
    } else if (const passwd* entry = ::getpwuid(::geteuid());
               entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
        home = entry->pw_dir;
    }
    if (home.empty()) {
        return Error{ErrorCode::NotFound,
                     "no home folder is known (HOME is not set and the password database names none), so the "
                     "COM names cannot be looked up; set HOME or XDG_CONFIG_HOME"};
    }
    struct stat st {};
    if (::stat(home.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return Error{ErrorCode::NotFound,
                     "the home folder " + home +
                         " does not exist, so the COM names cannot be looked up; set HOME "
                         "or XDG_CONFIG_HOME to a folder of your own"};
    }
    while (home.size() > 1 && home.back() == '/') {
        home.pop_back();
    }
    return join(home, ".config");
}

// The configuration folder and the two below it are ours alone: a folder others may write is refused
// even when sticky. Only a folder the user owns (and that is no shared folder) is worth a chmod.
std::optional<Error> privateFolderProblem(const std::string& folder, const struct stat& st) {
    if (!trusted(st.st_uid)) {
        return untrusted("the folder " + folder + " belongs to " + userName(st.st_uid) +
                         ", not to you or root");
    }
    if (othersMayWrite(st)) {
        std::string text =
            "the folder " + folder + " may be written by other users (mode " + octal(st.st_mode) + ")";
        if (st.st_uid == ::geteuid() && !sticky(st)) {
            return Error{ErrorCode::Untrusted,
                         text +
                             ": another user could point a COM name at a device of their "
                             "own; run chmod go-w " +
                             folder};
        }
        return Error{ErrorCode::Untrusted, text +
                                               ": another user could point a COM name at a device of their "
                                               "own; keep the COM names in a folder of your own (set "
                                               "XDG_CONFIG_HOME to one)"};
    }
    return std::nullopt;
}

// Checks the configuration folder, veltara and ports; with `create` makes the missing ones mode 0700
// whatever the umask, but only below folders that passed.
std::optional<Error> portFolderChain(bool create) {
    const core::Result<std::string> home = configHome();
    if (!home) {
        return home.error();
    }
    const std::array<std::string, 3> chain{home.value(), home.value() + "/veltara",
                                           home.value() + "/veltara/ports"};
    for (const std::string& folder : chain) {
        Walk reached = walk(folder);
        if (reached.problem && reached.problem->code == ErrorCode::NotFound) {
            if (!create) {
                return std::nullopt;  // nothing below it exists either
            }
            if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
                return Error{core::systemError(errno).code,
                             "cannot create " + folder + ": " + systemText(errno)};
            }
            // The umask may have taken bits away, or (umask 000) left them; either way 0700.
            if (::chmod(folder.c_str(), 0700) != 0) {
                return Error{core::systemError(errno).code,
                             "cannot set the mode of " + folder + ": " + systemText(errno)};
            }
            reached = walk(folder);
        }
        if (reached.problem) {
            return reached.problem;
        }
        struct stat st {};
        if (::stat(reached.path.c_str(), &st) != 0) {
            return Error{core::systemError(errno).code, "cannot check " + folder + ": " + systemText(errno)};
        }
        if (!S_ISDIR(st.st_mode)) {
            return Error{ErrorCode::Refused, folder + " is not a folder"};
        }
        if (auto problem = privateFolderProblem(folder, st)) {
            return problem;
        }
    }
    return std::nullopt;
}

std::string defaultDevice(int port) {
    return port <= kOnboardPorts ? "/dev/ttyS" + std::to_string(port - 1)
                                 : "/dev/ttyUSB" + std::to_string(port - kOnboardPorts - 1);
}

std::string readLink(const std::string& path) {
    std::array<char, 4096> target{};
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size() - 1);
    return length < 0 ? std::string() : std::string(target.data(), static_cast<std::size_t>(length));
}

// What a lock file says of its holder. Qt writes "PID\nprogram\nhost\n"; lockdev, minicom and picocom
// write the PID as ten characters, right-aligned, then a newline or " program user\n".
struct LockText {
    long pid = 0;
    std::string program;
    std::string host;
};

LockText parseLock(std::string_view text) {
    LockText lock;
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string_view::npos) {
        return lock;
    }
    long pid = 0;
    std::size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 10; ++at, ++digits) {
        pid = pid * 10 + (text[at] - '0');
    }
    if (digits == 0 || (at < text.size() && text[at] != '\n' && text[at] != ' ')) {
        return lock;
    }
    lock.pid = pid;
    const auto line = [&](std::size_t from) {
        const std::size_t end = text.find('\n', from);
        return std::string(
            text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
    };
    if (at < text.size() && text[at] == ' ') {
        const std::string rest = line(at + 1);
        lock.program = rest.substr(0, rest.find(' '));
    } else if (at < text.size()) {
        const std::size_t second = at + 1;
        lock.program = line(second);
        const std::size_t third = text.find('\n', second);
        if (third != std::string_view::npos) {
            lock.host = line(third + 1);
        }
    }
    return lock;
}

bool alive(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string programOf(long pid) {
    FILE* comm = std::fopen(("/proc/" + std::to_string(pid) + "/comm").c_str(), "re");
    if (comm == nullptr) {
        return {};
    }
    std::array<char, 64> name{};
    const bool read = std::fgets(name.data(), name.size(), comm) != nullptr;
    std::fclose(comm);
    std::string text = read ? name.data() : "";
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

std::string hostName() {
    std::array<char, 256> name{};
    return ::gethostname(name.data(), name.size() - 1) == 0 ? std::string(name.data()) : std::string();
}

enum class LockState { Free, Held, Stale, Unreadable };

struct Lock {
    LockState state = LockState::Free;
    Holder holder;
    std::optional<Error> problem;  // for Unreadable, and for Held the whole "busy" text
};

// Reads `device`'s lock without following a link, blocking on a FIFO or reading more than a lock holds.
Lock readLock(const std::string& device) {
    Lock lock;
    const std::string path = lockFilePath(device);
    if (path.empty()) {
        return lock;
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            lock.state = LockState::Unreadable;
            lock.problem =
                Error{ErrorCode::Busy, "cannot check the lock file " + path + ": " + systemText(errno)};
        }
        return lock;
    }
    lock.holder.lockFile = path;
    if (!S_ISREG(st.st_mode)) {
        lock.state = LockState::Unreadable;
        lock.problem = Error{ErrorCode::Busy, device + " is locked by " + path + ", which is " + kindOf(st) +
                                                  " of " + userName(st.st_uid) +
                                                  " and not a lock file: it is neither followed nor removed; "
                                                  "remove it if no program uses the port"};
        return lock;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_ino != st.st_ino ||
        opened.st_dev != st.st_dev) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        lock.state = LockState::Unreadable;
        lock.problem =
            Error{ErrorCode::Busy, device + " is locked by " + path + ", which cannot be read" +
                                       (fd < 0 ? ": " + systemText(error) : std::string(" (it changed)"))};
        return lock;
    }
    std::array<char, kMaxLockSize> text{};
    ssize_t length = 0;
    do {
        length = ::read(fd, text.data(), text.size());
    } while (length < 0 && errno == EINTR);
    ::close(fd);
    const LockText parsed =
        parseLock(std::string_view(text.data(), length > 0 ? static_cast<std::size_t>(length) : 0));
    if (parsed.pid <= 0) {
        lock.state = LockState::Unreadable;
        lock.problem =
            Error{ErrorCode::Busy, device + " is locked by " + path +
                                       ", which names no process; remove it if no program uses the port"};
        return lock;
    }
    lock.holder.pid = parsed.pid;
    lock.holder.program = commandline::printable(parsed.program);
    if (!parsed.host.empty() && parsed.host != hostName()) {
        lock.holder.host = commandline::printable(parsed.host);  // its process cannot be checked from here
        lock.state = LockState::Held;
    } else if (alive(parsed.pid)) {
        if (const std::string running = programOf(parsed.pid); !running.empty()) {
            lock.holder.program = running;
        }
        lock.state = LockState::Held;
    } else {
        lock.state = LockState::Stale;
    }
    if (lock.state == LockState::Held) {
        lock.problem = Error{ErrorCode::Busy, device + " is in use by " + describe(lock.holder)};
    }
    return lock;
}

// The processes this user may look at that have `device` open, as fuser finds them.
std::optional<Holder> openedBy(const std::string& device) {
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return std::nullopt;
    }
    std::optional<Holder> found;
    const long self = ::getpid();
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || pid == self) {
            continue;
        }
        const std::string fds = "/proc/" + std::string(entry->d_name) + "/fd";
        DIR* folder = ::opendir(fds.c_str());
        if (folder == nullptr) {
            continue;  // another user's process, or gone
        }
        while (const dirent* fd = ::readdir(folder)) {
            if (fd->d_name[0] != '.' && readLink(fds + "/" + fd->d_name) == device) {
                found = Holder{pid, programOf(pid), {}, {}};
                break;
            }
        }
        ::closedir(folder);
        if (found) {
            break;
        }
    }
    ::closedir(proc);
    return found;
}

std::optional<Error> deviceProblem(const std::string& device, struct stat& st) {
    if (::stat(device.c_str(), &st) != 0) {
        return core::systemError(errno);
    }
    if (!S_ISCHR(st.st_mode)) {
        return Error{ErrorCode::InvalidArgument, device + " is not a serial port (not a device)"};
    }
    if (::faccessat(AT_FDCWD, device.c_str(), R_OK | W_OK, AT_EACCESS) != 0) {
        return core::systemError(errno);
    }
    if (isPty(st) && st.st_uid != ::geteuid()) {
        return Error{ErrorCode::Untrusted,
                     device + " is a terminal of " + userName(st.st_uid) +
                         ", not yours: a COM name or link left behind now leads to another "
                         "user's program"};
    }
    if (!trusted(st.st_uid)) {
        return Error{ErrorCode::Untrusted,
                     device + " belongs to " + userName(st.st_uid) +
                         ", not to root or you: it is no serial port of this machine's"};
    }
    return std::nullopt;
}

}  // namespace

namespace detail {

void resolveDevicePath(ResolvedPort& port) {
    Walk reached = walk(port.typed);
    port.device = std::move(reached.path);
    port.problem = std::move(reached.problem);
}

}  // namespace detail

core::Result<std::string> portFolder() {
    const core::Result<std::string> home = configHome();
    if (!home) {
        return home.error();
    }
    return home.value() + "/veltara/ports";
}

core::Result<std::string> portEntryPath(int port) {
    const core::Result<std::string> folder = portFolder();
    if (!folder) {
        return folder.error();
    }
    return folder.value() + "/" + comName(port);
}

ResolvedPort resolvePort(int comPort) {
    ResolvedPort resolved;
    resolved.typed = comName(comPort);
    resolved.comPort = comPort;
    if (!validPort(comPort)) {
        resolved.problem = Error{ErrorCode::InvalidArgument, "the port must be COM1 to COM8"};
        return resolved;
    }
    const core::Result<std::string> entry = portEntryPath(comPort);
    if (!entry) {
        resolved.problem = entry.error();
        return resolved;
    }
    if (auto problem = portFolderChain(false)) {
        resolved.problem = std::move(problem);
        return resolved;
    }
    struct stat st {};
    const bool hasEntry = ::lstat(entry.value().c_str(), &st) == 0;
    if (hasEntry) {
        resolved.entry = entry.value();
        resolved.linkTarget = S_ISLNK(st.st_mode) ? readLink(entry.value()) : std::string();
        if (!S_ISLNK(st.st_mode) && !trusted(st.st_uid)) {
            resolved.device = entry.value();
            resolved.problem =
                untrusted("the port entry " + entry.value() + " belongs to " + userName(st.st_uid));
            return resolved;
        }
    }
    Walk reached = walk(hasEntry ? entry.value() : defaultDevice(comPort));
    resolved.device = std::move(reached.path);
    resolved.problem = std::move(reached.problem);
    return resolved;
}

std::string lockFilePath(const std::string& device) {
    // The folders Qt SerialPort tries, in its order: the first it may read and either write or already
    // holds this lock is the one it takes.
    static const std::array<const char*, 8> kFolders{"/var/lock",         "/etc/locks", "/var/spool/locks",
                                                     "/var/spool/uucp",   "/tmp",       "/var/tmp",
                                                     "/var/lock/lockdev", "/run/lock"};
    std::string name = device.starts_with("/dev/") ? device.substr(5) : device;
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    name = "/LCK.." + name;
    for (const char* folder : kFolders) {
        const std::string path = folder + name;
        struct stat st {};
        if (::faccessat(AT_FDCWD, folder, R_OK, AT_EACCESS) == 0 &&
            (::lstat(path.c_str(), &st) == 0 || ::faccessat(AT_FDCWD, folder, W_OK, AT_EACCESS) == 0)) {
            return path;
        }
    }
    return {};
}

core::Status checkBeforeOpen(const std::string& device) {
    struct stat st {};
    if (auto problem = deviceProblem(device, st)) {
        return *problem;
    }
    const Lock lock = readLock(device);
    switch (lock.state) {
        case LockState::Free:
            return {};
        case LockState::Held:
        case LockState::Unreadable:
            return *lock.problem;
        case LockState::Stale:
            break;
    }
    // Its holder has ended; taking it over is what lockdev does. Qt would only do so after 30 seconds.
    if (::unlink(lock.holder.lockFile.c_str()) != 0 && errno != ENOENT) {
        return Error{ErrorCode::Busy, device + " is locked by " + lock.holder.lockFile + ", left by PID " +
                                          std::to_string(lock.holder.pid) +
                                          ", which has ended; it cannot be removed: " + systemText(errno)};
    }
    return {};
}

std::optional<Holder> findHolder(const std::string& device) {
    const Lock lock = readLock(device);
    if (lock.state == LockState::Held) {
        return lock.holder;
    }
    return openedBy(device);
}

PortState inspectPort(int comPort) {
    PortState state;
    state.port = resolvePort(comPort);
    if (state.port.problem) {
        state.problem = state.port.problem;
        return state;
    }
    state.exists = true;
    struct stat st {};
    if (auto problem = deviceProblem(state.port.device, st)) {
        state.exists = problem->code != ErrorCode::NotFound;
        state.problem = std::move(problem);
        return state;
    }
    const Lock lock = readLock(state.port.device);
    if (lock.state == LockState::Held || lock.state == LockState::Unreadable) {
        state.problem = lock.problem;
        if (lock.state == LockState::Held) {
            state.holder = lock.holder;
        }
        return state;
    }
    state.available = true;
    state.holder = openedBy(state.port.device);
    return state;
}

std::string permissionHint(const std::string& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) {
        return {};
    }
    const std::string group = groupName(st.st_gid);
    const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    // Membership of these gives far more than one device: never the advice for a serial port.
    constexpr std::array<std::string_view, 4> kPrivileged{"root", "wheel", "sudo", "adm"};
    const bool privileged = std::find(kPrivileged.begin(), kPrivileged.end(), group) != kPrivileged.end();
    if (groupMayUse && !privileged) {
        return "your user must be in the group " + group + ", which may use " + device +
               " (sudo usermod -aG " + group + " $USER, then log in again)";
    }
    return device + " belongs to " + userName(st.st_uid) + " and the group " + group + " (mode " +
           octal(st.st_mode) + "); no group grants its use, so its owner or a udev rule must give you access";
}

core::Status checkSerialPort(const std::string& path, const std::vector<SerialDevice>& devices) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return Error{ErrorCode::NotFound, path + " does not exist"};
    }
    if (!S_ISCHR(st.st_mode)) {
        return Error{ErrorCode::InvalidArgument, path + " is not a serial port (not a device)"};
    }
    if (findSerialDevice(devices, path) || isPty(st)) {
        return {};
    }
    return Error{ErrorCode::InvalidArgument,
                 path + " is not a serial port ('veltara-cli ports' lists the serial ports there are)"};
}

core::Result<Assignment> assignPort(int port, const std::string& path) {
    if (!validPort(port)) {
        return Error{ErrorCode::InvalidArgument, "the port must be COM1 to COM8"};
    }
    // Refused before anything is made: a folder that will not be used is not left behind.
    if (auto problem = portFolderChain(false)) {
        return *problem;
    }
    const Walk reached = walk(path);
    if (reached.problem) {
        if (reached.problem->code == ErrorCode::NotFound) {
            return Error{ErrorCode::NotFound, path + " does not exist"};
        }
        return *reached.problem;
    }
    const std::string& device = reached.path;
    if (const core::Status serial = checkSerialPort(device, serialDevices()); !serial) {
        return serial.error();
    }
    struct stat st {};
    if (auto problem = deviceProblem(device, st); problem && problem->code == ErrorCode::Untrusted) {
        return *problem;
    }
    // The stable name follows the adapter to whichever ttyUSBn it gets next time, as long as it is the
    // same node now.
    Assignment assignment{device, {}};
    if (const std::string byId = byIdName(device); !byId.empty()) {
        const Walk stable = walk(byId);
        if (!stable.problem && stable.path == device) {
            assignment.target = byId;
        }
    }
    if (auto problem = portFolderChain(true)) {
        return *problem;
    }
    const std::string entry = portEntryPath(port).value();
    struct stat old {};
    if (::lstat(entry.c_str(), &old) == 0) {
        assignment.replaced = S_ISLNK(old.st_mode) ? readLink(entry) : entry + " (" + kindOf(old) + ")";
    }
    // A link made beside the entry and renamed over it: COMn names the old device or the new one, never
    // nothing, and an entry of any kind is replaced, not written through.
    const std::string fresh = entry + ".new-" + std::to_string(::getpid());
    (void)::unlink(fresh.c_str());
    if (::symlink(assignment.target.c_str(), fresh.c_str()) != 0) {
        return Error{core::systemError(errno).code, "cannot create " + fresh + ": " + systemText(errno)};
    }
    if (::rename(fresh.c_str(), entry.c_str()) != 0) {
        const int error = errno;
        (void)::unlink(fresh.c_str());
        return Error{core::systemError(error).code, "cannot replace " + entry + ": " + systemText(error)};
    }
    return assignment;
}

core::Result<bool> unassignPort(int port) {
    if (!validPort(port)) {
        return Error{ErrorCode::InvalidArgument, "the port must be COM1 to COM8"};
    }
    if (auto problem = portFolderChain(false)) {
        return *problem;
    }
    const std::string entry = portEntryPath(port).value();
    struct stat st {};
    if (::lstat(entry.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            return false;
        }
        return Error{core::systemError(errno).code, "cannot check " + entry + ": " + systemText(errno)};
    }
    if (!S_ISLNK(st.st_mode)) {
        return Error{ErrorCode::Refused, entry + " is not a link; remove it yourself if it is not needed"};
    }
    if (::unlink(entry.c_str()) != 0) {
        return Error{core::systemError(errno).code, "cannot remove " + entry + ": " + systemText(errno)};
    }
    return true;
}

ComLink::~ComLink() {
    remove();
}

core::Status ComLink::create(int port, const std::string& device) {
    if (!validPort(port)) {
        return Error{ErrorCode::InvalidArgument, "the port must be COM1 to COM8"};
    }
    remove();
    if (auto problem = portFolderChain(true)) {
        return *problem;
    }
    const std::string entry = portEntryPath(port).value();
    struct stat st {};
    if (::lstat(entry.c_str(), &st) == 0) {
        const std::string target = S_ISLNK(st.st_mode) ? readLink(entry) : std::string();
        struct stat reached {};
        // Our own terminal number again, or a terminal that no longer exists.
        const bool leftBehind =
            target.starts_with(kPtyFolder) && (target == device || ::stat(target.c_str(), &reached) != 0);
        if (!leftBehind) {
            return Error{ErrorCode::Busy, entry + " already exists" +
                                              (target.empty() ? "" : " (it points at " + target + ")") +
                                              "; remove it or choose another port"};
        }
        (void)::unlink(entry.c_str());
    }
    if (::symlink(device.c_str(), entry.c_str()) != 0) {
        return Error{ErrorCode::Io, "cannot create " + entry + ": " + systemText(errno)};
    }
    m_path = entry;
    m_device = device;
    return {};
}

void ComLink::remove() {
    if (m_path.empty()) {
        return;
    }
    if (readLink(m_path) == m_device) {
        (void)::unlink(m_path.c_str());
    }
    m_path.clear();
    m_device.clear();
}

}  // namespace veltara::qt::ports
