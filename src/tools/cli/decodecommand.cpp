// decode: a frame's every field, for people and for scripts.
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <sstream>
#include <variant>

#include "commands.h"
#include "hexbytes.h"
#include "jsonwriter.h"
#include "link/framefields.h"
#include "programreport.h"

namespace veltara::cli {

using namespace core;

namespace {

// A frame is 33 bytes; anything much longer on standard input is not one.
constexpr std::size_t kMaxFrameText = 64 * 1024;

constexpr commandline::Option kOptions[] = {
    commandline::kHelpOption,
    {.name = "json", .help = "print one JSON object with typed values (an error too ends as one)"},
};

// What scripts read: numbers as numbers, flags as booleans, choices by name, each identifier as its
// number with its frame type and reserved bits beside it.
void addValue(JsonObject& json, const std::string& key, const FieldValue& value) {
    struct Add {
        JsonObject& json;
        const std::string& key;
        void operator()(std::monostate) const { json.null(key); }
        void operator()(std::int64_t number) const { json.number(key, number); }
        void operator()(bool flag) const { json.flag(key, flag); }
        void operator()(const std::string& name) const { json.text(key, name); }
        void operator()(const OtherJson& other) const { json.raw(key, other.json); }
    };
    std::visit(Add{json, key}, value);
}

std::optional<std::string> readInput(std::istream& in, std::string& error) {
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxFrameText) {
            error = "standard input holds more than a frame's bytes";
            return std::nullopt;
        }
    }
    if (in.bad()) {
        error = "cannot read standard input";
        return std::nullopt;
    }
    return text;
}

int decodeFrame(const commandline::Arguments& arguments, Streams& io) {
    // Without bytes the frame comes from standard input ("-" names it too), unless that is a terminal
    // nobody types into.
    std::vector<std::string> operands = arguments.operands();
    const bool fromInput = operands.empty() || operands == std::vector<std::string>{"-"};
    if (fromInput && io.inIsTerminal) {
        return usageError(io, "decode", "decode needs the frame's bytes (as arguments or on standard input)");
    }
    std::string text;
    std::string parseError;
    if (fromInput) {
        const auto input = readInput(io.in, parseError);
        if (!input) {
            return fail(io, parseError);
        }
        text = *input;
        operands.clear();
    }
    for (const std::string& operand : operands) {
        text += operand + " ";
    }
    const auto bytes = parseHexBytes(text, parseError);
    if (!bytes) {
        return fail(io, parseError);
    }
    if (bytes->empty()) {
        return usageError(io, "decode", "decode needs the frame's bytes (as arguments or on standard input)");
    }
    if (bytes->size() != kConfigFrameSize) {
        return fail(io, "a configuration frame has 33 bytes, this has " + std::to_string(bytes->size()));
    }
    const auto checked = decodeConfigFrame(*bytes);
    const FrameView frame(bytes->data(), kConfigFrameSize);
    const std::vector<FieldReading> fields = describeFrame(frame);
    if (arguments.has("json")) {
        JsonObject json;
        json.flag("checksum_ok", checked.ok());
        if (!checked) {
            json.text("error", checked.error().text);
        }
        json.text("bytes", formatHexBytes(*bytes));
        // What no press of "Program Config" produces, by field: a converter that checks refuses it.
        JsonObject neverSent;
        for (const FieldReading& field : fields) {
            if (!field.unsendable.empty()) {
                neverSent.text(field.field->key, field.unsendable);
            }
        }
        json.raw("dialog_never_sends", neverSent.str());
        for (const FieldReading& field : fields) {
            for (const auto& [key, value] : field.values) {
                addValue(json, key, value);
            }
        }
        io.out << json.str() << '\n';
    } else {
        std::size_t width = 0;
        for (const FieldReading& field : fields) {
            width = std::max(width, field.field->label.size());
        }
        for (const FieldReading& field : fields) {
            io.out << field.field->label << std::string(width - field.field->label.size() + 2, ' ')
                   << field.text;
            if (!field.unsendable.empty()) {
                io.out << "  <- the dialog never sends this";
            }
            io.out << '\n';
        }
    }
    if (!checked) {
        io.err << kProgram << ": " << checked.error().text << '\n';
        return kExitConverterSaidNo;
    }
    return kExitSuccess;
}

void errorDocument(std::string_view error, Streams& io) {
    QJsonObject document{{"version", VELTARA_VERSION}};
    addText(document, "error", error);
    io.out << QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
}

int decodeCommand(const commandline::Arguments& arguments, Streams& io) {
    if (!arguments.has("json")) {
        return decodeFrame(arguments, io);
    }
    // With --json every error also ends as the one document on stdout.
    std::ostringstream captured;
    Streams capturing{io.in, io.out, captured, io.inIsTerminal, false};
    const int code = decodeFrame(arguments, capturing);
    const std::string text = captured.str();
    io.err << text;
    if (code == kExitUsageOrIo) {
        std::string message = text.substr(0, text.find('\n'));
        const std::string prefix = std::string(kProgram) + ": ";
        if (message.starts_with(prefix)) {
            message.erase(0, prefix.size());
        }
        errorDocument(message, io);
    }
    return code;
}

}  // namespace

extern const Command kDecodeCommand{
    .name = "decode",
    .summary = "show every byte and bit of a configuration frame",
    .help = {.usage = "Usage: veltara-cli decode [--json] [HEX... | -]",
             .description =
                 "Shows every field of a 33-byte configuration frame given as hexadecimal pairs (spaces "
                 "optional, a 0x before a pair or a run of pairs allowed, one or several arguments), read "
                 "from standard input when no bytes are given or the argument is -.\n\n"
                 "A wrong checksum is reported with the expected and the found value and exits 1; a wrong "
                 "length or a character that is not hexadecimal exits 2.",
             .options = kOptions},
    .run = decodeCommand,
    .usageDocument =
        [](std::span<const std::string> args, std::string_view error, Streams& io) {
            if (std::find(args.begin(), args.end(), "--json") != args.end()) {
                errorDocument(error, io);
            }
        },
};

}  // namespace veltara::cli
