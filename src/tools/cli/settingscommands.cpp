// encode and save: the settings as a frame, and as a record the window reads.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "commandline/printable.h"
#include "commands.h"
#include "hexbytes.h"
#include "settingsinput.h"

namespace veltara::cli {

using namespace core;

namespace {

constexpr commandline::Option kEncodeOptions[] = {
    commandline::kHelpOption, kSettingsOption, kDefaultsOption,
    kFromJsonOption,          kSetOption,      kAcceptCorrectionsOption};

constexpr commandline::Option kSaveOptions[] = {
    commandline::kHelpOption,
    {.name = "settings", .valueName = "FILE", .help = "the settings file to write"},
    kDefaultsOption,
    kFromJsonOption,
    kSetOption,
    {.name = "force", .help = "replace FILE when it exists"},
};

// Reports why no configuration came, with each correction on a line of its own; returns the exit code.
int refuse(const ConfigurationError& error, Streams& io, std::string_view command) {
    if (error.usage) {
        return usageError(io, command, error.text);
    }
    fail(io, error.text);
    listCorrections(error.corrections, io);
    return kExitUsageOrIo;
}

int encodeCommand(const commandline::Arguments& arguments, Streams& io) {
    if (!arguments.operands().empty()) {
        return usageError(io, "encode", "encode takes no argument '" + arguments.operands().front() + "'");
    }
    auto loaded = loadConfiguration(arguments, io, SettingsUse::Encode);
    if (const auto* error = std::get_if<ConfigurationError>(&loaded)) {
        return refuse(*error, io, "encode");
    }
    const auto& configuration = std::get<Configuration>(loaded);
    warnOfCorrections(configuration, io);
    io.out << formatHexBytes(configuration.frame) << '\n';
    return kExitSuccess;
}

std::string systemText(int error) {
    return std::strerror(error);
}

// Writes the record beside FILE and then moves it into place, so that FILE is the old record or the new
// one, never half of each. Without --force the move is a hard link, which fails when FILE exists: no
// window of time in which a file that appeared meanwhile would be overwritten.
std::optional<std::string> writeRecord(const std::string& path, const SettingsSlot& slot, bool force) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    std::string temporary = folder + "/.veltara-save-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return "cannot write in " + folder + ": " + systemText(errno);
    }
    // Readable as a file the window creates is (mkstemp makes it private).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    std::size_t written = 0;
    while (written < slot.size()) {
        const ssize_t n = ::write(fd, slot.data() + written, slot.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            return "cannot write " + path + ": " + systemText(error);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return "cannot write " + path + ": " + systemText(error);
    }
    const int placed =
        force ? ::rename(temporary.c_str(), path.c_str()) : ::link(temporary.c_str(), path.c_str());
    const int error = errno;
    if (!force || placed != 0) {
        ::unlink(temporary.c_str());
    }
    if (placed != 0) {
        return error == EEXIST ? path + " exists; --force replaces it"
                               : "cannot write " + path + ": " + systemText(error);
    }
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);  // the new name survives a power cut too
        ::close(dir);
    }
    return std::nullopt;
}

int saveCommand(const commandline::Arguments& arguments, Streams& io) {
    const auto path = arguments.value("settings");
    if (!path || path->empty()) {
        return usageError(io, "save", "save needs --settings FILE, the file to write");
    }
    if (*path == "-") {
        return usageError(io, "save", "save writes a file; --settings - (standard output) is not one");
    }
    if (!arguments.operands().empty()) {
        return usageError(io, "save", "save takes no argument '" + arguments.operands().front() + "'");
    }
    auto loaded = loadConfiguration(arguments, io, SettingsUse::Save);
    if (const auto* error = std::get_if<ConfigurationError>(&loaded)) {
        return refuse(*error, io, "save");
    }
    const auto& configuration = std::get<Configuration>(loaded);
    if (const auto problem =
            writeRecord(*path, encodeSettingsRecord(configuration.record, configuration.filler),
                        arguments.has("force"))) {
        return fail(io, *problem);
    }
    io.out << *path << ": " << formatHexBytes(configuration.frame) << '\n';
    return kExitSuccess;
}

}  // namespace

extern const Command kEncodeCommand{
    .name = "encode",
    .summary = "print the configuration frame that the settings give",
    .help =
        {.usage = "Usage: veltara-cli encode [--settings FILE | --defaults | --from-json FILE]\n"
                  "                          [--set KEY=VALUE...] [--accept-corrections]",
         .description =
             "Prints the 33-byte frame that \"Program Config\" would send, as upper-case hexadecimal "
             "pairs on one line.\n\n"
             "The settings come from FILE, a record as the window saves it, read as the window's start-up "
             "reads it (never created or written); without --settings, --defaults or --from-json from "
             "./quorvel.ini, and when that does not exist from the values of the window's first start. A "
             "FILE that is missing, unreadable or not a regular file is an error.\n\n"
             "--from-json takes what 'decode --json' printed and gives the same frame back, byte for "
             "byte; an unknown key, a wrong type or a value out of range is an error that names the key. "
             "--set changes a field on top of any of them, through the window's own checks and messages.\n\n"
             "When start-up refuses or changes a stored value, nothing is printed and each correction is "
             "named with the stored and the used value, unless --accept-corrections prints the corrected "
             "frame (with a warning per correction).",
         .options = kEncodeOptions},
    .run = encodeCommand,
};

extern const Command kSaveCommand{
    .name = "save",
    .summary = "write a settings file the window reads",
    .help =
        {.usage = "Usage: veltara-cli save --settings FILE (--defaults | --from-json FILE)\n"
                  "                        [--set KEY=VALUE...] [--force]",
         .description =
             "Writes the 246-byte settings record that the window would save with these settings, so that "
             "a golden configuration kept as JSON becomes a file the window (run in FILE's folder, as "
             "quorvel.ini) and 'encode --settings FILE' read. The file is written beside FILE and moved "
             "into place, so FILE is never half written; an existing FILE is replaced only with --force. "
             "Prints FILE and the frame the settings give.\n\n"
             "A frame the window cannot hold (reserved bits set, a rate code that names no rate) is "
             "refused, naming the fields.",
         .options = kSaveOptions},
    .run = saveCommand,
};

}  // namespace veltara::cli
