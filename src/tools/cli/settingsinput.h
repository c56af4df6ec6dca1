#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "commandline/commandline.h"
#include "commands.h"
#include "link/configframe.h"
#include "settings/settingscodec.h"

namespace veltara::cli {

// Where the settings of encode, save and program come from, one place for all three:
//   --settings FILE  a settings record as the window saves it (- reads it from standard input); without
//                    any of these, ./quorvel.ini (encode: the window's first start when it is absent)
//   --defaults       the factory values
//   --from-json FILE what decode --json printed (- for standard input)
//   --set KEY=VALUE  on top of any of them, typed in as a user types into the window
inline constexpr commandline::Option kSettingsOption{
    .name = "settings", .valueName = "FILE", .help = "the settings record FILE (- for standard input)"};
inline constexpr commandline::Option kDefaultsOption{.name = "defaults",
                                                     .help = "start from the factory values"};
inline constexpr commandline::Option kFromJsonOption{
    .name = "from-json",
    .valueName = "FILE",
    .help = "start from what decode --json printed (- for standard input)"};
inline constexpr commandline::Option kSetOption{
    .name = "set",
    .valueName = "KEY=VALUE",
    .help =
        "change one field, as typing it into the window would (keys as decode --json prints them); "
        "repeatable",
    .repeatable = true};
inline constexpr commandline::Option kAcceptCorrectionsOption{
    .name = "accept-corrections", .help = "go on with the values start-up corrected instead of refusing"};

// A stored value that the window's start-up refused or changed.
struct Correction {
    std::string field;  // as the window labels it
    std::size_t offset = 0;
    std::string stored;
    std::string used;
    std::string message;  // the window's own message about it, if it showed one
};

struct Configuration {
    core::ConfigFrame frame{};
    std::vector<Correction> corrections;  // accepted with --accept-corrections
    // What the window would save: the record and the filler as it writes them.
    core::ConverterSettings record{};
    core::SettingsFiller filler{};
    std::string source;  // the file or "(factory values)", for messages
};

struct ConfigurationError {
    std::string text;
    bool usage = false;  // a usage error rather than a file or settings error
    std::vector<Correction> corrections;
};

enum class SettingsUse {
    Encode,   // a missing ./quorvel.ini is the window's first start
    Program,  // a missing ./quorvel.ini is an error: a line must not program what nobody chose
    Save,     // --settings names the file written; the base is --defaults or --from-json
};

std::variant<Configuration, ConfigurationError> loadConfiguration(const commandline::Arguments& arguments,
                                                                  Streams& io, SettingsUse use);

// The frame of the factory values ("Default Config").
core::ConfigFrame factoryFrame();

// After an error: each correction on a line of its own, indented under it.
void listCorrections(const std::vector<Correction>& corrections, Streams& io);
// When they were accepted: a warning per correction.
void warnOfCorrections(const Configuration& configuration, Streams& io);

// "RS232 Baud Rate (offset 4): stored 9, used -1 (none)": one correction on one line.
std::string correctionText(const Correction& correction);

}  // namespace veltara::cli
