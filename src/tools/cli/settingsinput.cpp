#include "settingsinput.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "commandline/printable.h"
#include "dialog/dialogfields.h"
#include "dialog/headlessdialog.h"
#include "dialog/identifierrows.h"
#include "fieldlabels.h"
#include "framejson.h"
#include "offlineserialcontrol.h"
#include "platform/recordfile.h"
#include "serial/qteventpump.h"
#include "settingspath.h"
#include "stderrmessageboxes.h"
#include "validation/textconversion.h"

namespace veltara::cli {

using namespace core;

namespace {

// A settings record or a JSON document: anything larger is not one.
constexpr std::size_t kMaxInput = 1024 * 1024;

std::optional<std::string> readAll(std::istream& in, const std::string& name, std::string& error) {
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxInput) {
            error = name + " holds more than a megabyte";
            return std::nullopt;
        }
    }
    if (in.bad()) {
        error = "cannot read " + name;
        return std::nullopt;
    }
    return text;
}

// FILE or - (standard input), checked as the settings file is: no FIFO, device or folder.
std::optional<std::string> readNamed(const std::string& path, Streams& io, std::string& error) {
    if (path == "-") {
        if (io.inIsTerminal) {
            // Nobody types a record or a JSON document; waiting for one would look like a hang.
            error = "standard input is a terminal; give a file, or pipe one in";
            return std::nullopt;
        }
        return readAll(io.in, "standard input", error);
    }
    if (const auto problem = settingsPathProblem(path)) {
        error = "cannot read " + path + ": " + *problem;
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    return readAll(file, path, error);
}

// A record that came from standard input: read once, never written.
class MemoryRecord final : public SettingsFile {
public:
    explicit MemoryRecord(std::string bytes) : m_bytes(bytes.begin(), bytes.end()) {}
    Status open() override { return {}; }
    Result<std::vector<std::uint8_t>> read(std::size_t maxBytes) override {
        return std::vector<std::uint8_t>(
            m_bytes.begin(),
            m_bytes.begin() + static_cast<std::ptrdiff_t>(std::min(maxBytes, m_bytes.size())));
    }
    Status write(std::span<const std::uint8_t>) override { return {}; }
    Status close() override { return {}; }
    bool isOpen() const override { return true; }
    std::string readOnlyReason() const override { return {}; }
    std::string displayName() const override { return "standard input"; }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Passes a file through and keeps what start-up read from it, to tell what start-up changed.
class RecordingFile final : public SettingsFile {
public:
    explicit RecordingFile(SettingsFile& inner) : m_inner(inner) {}
    Status open() override { return m_inner.open(); }
    Result<std::vector<std::uint8_t>> read(std::size_t maxBytes) override {
        auto bytes = m_inner.read(maxBytes);
        if (bytes) {
            read_ = bytes.value();
        }
        return bytes;
    }
    Status write(std::span<const std::uint8_t> bytes) override { return m_inner.write(bytes); }
    Status close() override { return m_inner.close(); }
    bool isOpen() const override { return m_inner.isOpen(); }
    std::string readOnlyReason() const override { return m_inner.readOnlyReason(); }
    std::string displayName() const override { return m_inner.displayName(); }
    std::optional<std::vector<std::uint8_t>> read_;

private:
    SettingsFile& m_inner;
};

// Stored and used values are the same setting when they mean the same: any non-zero flag is true, and
// "3" and "03 " are the same byte.
std::string meaning(const std::string& text, bool decimal) {
    const std::string_view trimmed = trimSpaces(text);
    if (decimal) {
        if (const auto value = parseDecimalInt32(trimmed)) {
            return std::to_string(*value);
        }
    } else if (const auto value = parseHexByte(trimmed)) {
        return std::to_string(*value);
    }
    return std::string(trimmed);
}

std::string shown(const std::string& text) {
    return "\"" + text.substr(0, text.find_last_not_of(' ') + 1) + "\"";
}

// Compares the record as read with the record the window would save, field by field, each field named
// by its control and placed by the codec's layout.
struct RecordDiff {
    const Dialog& dialog;
    const std::vector<Message>& messages;
    const ConverterSettings& stored;
    const ConverterSettings& used;
    std::vector<Correction>& out;

    std::string messageFor(const std::string& control) const {
        for (const Message& m : messages) {
            if (m.field == control) {
                return m.text;
            }
        }
        return {};
    }
    void add(const std::string& control, std::size_t offset, std::string storedText,
             std::string usedText) const {
        out.push_back({fieldLabel(dialog, control), offset, std::move(storedText), std::move(usedText),
                       messageFor(control)});
    }
    void list(const std::string& control, std::int16_t ConverterSettings::*member) const {
        if (stored.*member == used.*member) {
            return;
        }
        const auto* combo = static_cast<const ComboBox*>(dialog.findControl(control));
        auto describe = [combo](int index) {
            const auto& items = combo->items();
            if (index < 0) {
                return std::to_string(index) + " (none selected)";
            }
            if (static_cast<std::size_t>(index) >= items.size()) {
                return std::to_string(index) + " (no such entry; the list has " +
                       std::to_string(items.size()) + ")";
            }
            return std::to_string(index) + " (" + items[static_cast<std::size_t>(index)] + ")";
        };
        add(control, slot::offsetOf(member), describe(stored.*member), describe(used.*member));
    }
    // A check box's value, or with `truth` an option's flag, where any non-zero value is true.
    void number(const std::string& control, std::int16_t ConverterSettings::*member,
                bool truth = false) const {
        const bool differs =
            truth ? (stored.*member != 0) != (used.*member != 0) : stored.*member != used.*member;
        if (differs) {
            add(control, slot::offsetOf(member), std::to_string(stored.*member),
                std::to_string(used.*member));
        }
    }
    template <std::size_t N>
    void text(const std::string& control, std::size_t offset, const FixedText<N>& storedText,
              const FixedText<N>& usedText, bool decimal = false) const {
        if (meaning(storedText.text(), decimal) != meaning(usedText.text(), decimal)) {
            add(control, offset, shown(storedText.text()), shown(usedText.text()));
        }
    }
};

// What the window's start-up refused or changed, field by field.
std::vector<Correction> corrections(const std::vector<std::uint8_t>& bytes, const Dialog& dialog,
                                    const std::vector<Message>& messages) {
    std::vector<Correction> found;
    const ConverterSettings stored = decodeSettingsRecord(bytes);
    if (IsBlankSettings(stored)) {
        return found;  // a first start: the start-up defaults, nothing corrected
    }
    ConverterSettings used;
    dialog.CaptureSettings(used);
    using S = ConverterSettings;
    const RecordDiff diff{dialog, messages, stored, used, found};
    diff.list("CmbCOM", &S::COM);
    diff.list("CmbRS232BaudRate", &S::RS232BaudRate);
    diff.list("CmbCANBaudRate", &S::CANBaudRate);
    diff.list("cmbCANtrFrmType", &S::CANtrFrmType);
    diff.list("cmbCANRecFrmType", &S::CANRecFrmType);
    diff.list("cmbInputFrmType", &S::InputFrmType);
    diff.list("cmbOutputFrmType", &S::OutputFrmType);
    diff.number("chkOutputProtection", &S::OutputProtection);
    diff.number("ChkRS232RecID", &S::RS232RecID);
    diff.number("ChkRS232TrID", &S::RS232TrID);
    diff.number("optCANTrImme1byte", &S::CANTrImme1byte, /*truth=*/true);
    diff.number("optInputPeriodTr", &S::InputPeriodTr, /*truth=*/true);
    for (const IdentifierRowSpec& row : identifier_rows::kIdentifierRows) {
        IdTexts ConverterSettings::*texts = row.stored->record;
        for (std::size_t i = 0; i < 4; ++i) {
            diff.text(row.name + std::string("_") + std::to_string(i), slot::offsetOf(texts) + 4 * i,
                      (stored.*texts)[i], (used.*texts)[i]);
        }
    }
    diff.text("txtPeriodmsCount", slot::offsetOf(&S::PeriodmsCount), stored.PeriodmsCount, used.PeriodmsCount,
              /*decimal=*/true);
    diff.text("txtOutputProtectValue", slot::offsetOf(&S::OutputProtectValue), stored.OutputProtectValue,
              used.OutputProtectValue);
    return found;
}

ConfigurationError usage(std::string text) {
    return {std::move(text), true, {}};
}

ConfigurationError failure(std::string text, std::vector<Correction> corrections = {}) {
    return {std::move(text), false, std::move(corrections)};
}

// The keys whose value another key's rules depend on go first, as a user picks the frame type before
// typing the identifier.
std::vector<std::pair<std::string, std::string>> frameTypesFirst(
    std::vector<std::pair<std::string, std::string>> fields) {
    std::stable_partition(fields.begin(), fields.end(),
                          [](const auto& field) { return isFrameTypeKey(field.first); });
    return fields;
}

}  // namespace

void listCorrections(const std::vector<Correction>& corrections, Streams& io) {
    for (const Correction& c : corrections) {
        io.err << "  " << commandline::printable(correctionText(c)) << '\n';
    }
}

void warnOfCorrections(const Configuration& configuration, Streams& io) {
    for (const Correction& c : configuration.corrections) {
        io.err << kProgram << ": warning: " << commandline::printable(configuration.source) << ": corrected "
               << commandline::printable(correctionText(c)) << '\n';
    }
}

std::string correctionText(const Correction& c) {
    std::string text =
        c.field + " (offset " + std::to_string(c.offset) + "): stored " + c.stored + ", used " + c.used;
    if (!c.message.empty()) {
        text += " (\"" + c.message + "\")";
    }
    return text;
}

ConfigFrame factoryFrame() {
    std::ostringstream ignored;
    StderrMessageBoxes messages(ignored);
    OfflineSerialControl serial;
    qt::QtEventPump pump;
    SteadyClock clock;
    NoSettingsFile noFile;
    HeadlessDialog headless({.messages = messages,
                             .serial = serial,
                             .pump = pump,
                             .clock = clock,
                             .settingsFile = noFile,
                             .onlyReads = true});
    headless.start(/*factoryDefaults=*/true);
    return headless.frame().value();
}

std::variant<Configuration, ConfigurationError> loadConfiguration(const commandline::Arguments& arguments,
                                                                  Streams& io, SettingsUse use) {
    const bool save = use == SettingsUse::Save;
    if (auto both = commandline::excludeEachOther(
            arguments, save ? std::initializer_list<std::string_view>{"defaults", "from-json"}
                            : std::initializer_list<std::string_view>{"settings", "defaults", "from-json"})) {
        return usage(*both);
    }
    std::vector<std::pair<std::string, std::string>> sets;
    for (const std::string& set : arguments.values("set")) {
        const auto equals = set.find('=');
        if (equals == std::string::npos || equals == 0) {
            return usage("--set takes KEY=VALUE, not '" + set + "'");
        }
        std::string key = set.substr(0, equals);
        if (!isDialogFieldKey(key)) {
            return usage("--set " + key + ": no such field; the fields are those decode --json prints");
        }
        sets.emplace_back(std::move(key), set.substr(equals + 1));
    }
    if (save && !arguments.has("defaults") && !arguments.has("from-json")) {
        return usage("save needs --defaults or --from-json FILE to start from");
    }

    Configuration result;
    std::optional<ConfigFrame> jsonFrame;
    std::vector<std::pair<std::string, std::string>> jsonFields;
    if (const auto path = arguments.value("from-json")) {
        std::string error;
        const auto text = readNamed(*path, io, error);
        if (!text) {
            return failure(error);
        }
        auto parsed = parseFrameJson(*text);
        if (auto* problem = std::get_if<std::string>(&parsed)) {
            return failure((*path == "-" ? std::string("standard input") : *path) + ": " + *problem);
        }
        const auto& frameJson = std::get<FrameJson>(parsed);
        jsonFrame = frameJson.frame;
        jsonFields = frameJson.dialogFields;
        result.source = *path;
        if (sets.empty() && !save) {
            result.frame = *jsonFrame;  // byte for byte, whatever the window could hold
            return result;
        }
    }

    // The window without a window: start-up on the file, the factory values or the JSON's fields, then the
    // --set fields typed in.
    StderrMessageBoxes messages(io.err);
    messages.quiet = true;
    OfflineSerialControl serial;
    qt::QtEventPump pump;
    SteadyClock clock;
    NoSettingsFile noFile;
    std::unique_ptr<platform::RecordFile> recordFile;
    std::unique_ptr<MemoryRecord> memoryRecord;
    SettingsFile* file = &noFile;
    const bool fromFile = !save && !jsonFrame && !arguments.has("defaults");
    if (fromFile) {
        const std::string path = arguments.value("settings").value_or("quorvel.ini");
        result.source = path;
        std::error_code ignored;
        const bool named = arguments.has("settings");
        if (path == "-" && named) {
            std::string error;
            const auto bytes = readNamed(path, io, error);
            if (!bytes) {
                return failure(error);
            }
            memoryRecord = std::make_unique<MemoryRecord>(*bytes);
            file = memoryRecord.get();
        } else if (!named && !std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) {
            if (use == SettingsUse::Program) {
                return failure("no settings: ./" + path +
                               " does not exist; name a file with --settings, take the factory values with "
                               "--defaults or a frame's fields with --from-json");
            }
            result.source = "(the window's first start)";
        } else if (const auto problem = settingsPathProblem(path)) {
            // A dangling ./quorvel.ini link is as broken as a named file that is.
            return failure("cannot read the settings file " + path + ": " + *problem);
        } else {
            recordFile = std::make_unique<platform::RecordFile>(path, /*readOnly=*/true);
            file = recordFile.get();
        }
    } else if (!jsonFrame) {
        result.source = "(factory values)";
    }
    RecordingFile recording(*file);
    HeadlessDialog headless({.messages = messages,
                             .serial = serial,
                             .pump = pump,
                             .clock = clock,
                             .settingsFile = recording,
                             .onlyReads = true});
    headless.start(/*factoryDefaults=*/file == &noFile && result.source != "(the window's first start)");
    Dialog& dialog = headless.dialog();
    if (const auto& unreadable = headless.fileFailure()) {
        return failure("cannot read " + recording.displayName() + ": " + *unreadable);
    }
    if (recording.read_) {
        result.corrections = corrections(*recording.read_, dialog, messages.shown);
        result.filler = settingsFiller(*recording.read_);
    }
    if (!result.corrections.empty() && !arguments.has("accept-corrections")) {
        return failure(result.source +
                           ": the window's start-up refused or changed stored values; nothing is "
                           "used unless --accept-corrections takes the values it used",
                       result.corrections);
    }
    if (jsonFrame) {
        for (const auto& [key, value] : frameTypesFirst(jsonFields)) {
            if (auto problem = setDialogField(dialog, key, value, messages.shown)) {
                return failure(result.source + ": the window cannot hold this frame: " + *problem);
            }
        }
        // What the window cannot hold at all (reserved bits, codes that name no rate) shows as a difference.
        const auto built = headless.frame();
        if (!built || built.value() != *jsonFrame) {
            std::string differing;
            if (built) {
                for (const FieldDifference& field : differingFields(*jsonFrame, built.value())) {
                    differing += (differing.empty() ? "" : ", ") + field.key + " (" + field.value + ")";
                }
            }
            return failure(
                result.source + ": the window cannot hold this frame" +
                (differing.empty() ? (built ? std::string() : ": " + built.error().text) : ": " + differing));
        }
    }
    for (const auto& [key, value] : frameTypesFirst(sets)) {
        if (auto problem = setDialogField(dialog, key, value, messages.shown)) {
            return failure("--set " + *problem);
        }
    }
    const Result<ConfigFrame> built = headless.frame();
    if (!built) {
        // The "Input Data Error" the window would show, after what start-up did to the stored values.
        return failure(result.source + ": " + built.error().text, result.corrections);
    }
    result.frame = built.value();
    dialog.CaptureSettings(result.record);
    return result;
}

}  // namespace veltara::cli
