// veltara-cli's command line run in-process, as a shell would run it: streams in, streams out, exit code.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "cli/commands.h"
#include "factoryframe.h"
#include "session.h"
#include "settings/settingscodec.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using namespace core;

struct InProcessRun {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs in `dir` (the current folder of a shell), with `input` on standard input.
InProcessRun runInProcess(const std::vector<std::string>& args, const fs::path& dir,
                          const std::string& input = {}, bool inputFails = false) {
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    std::istringstream in(input);
    if (inputFails) {
        in.setstate(std::ios::badbit);
    }
    std::ostringstream out;
    std::ostringstream err;
    cli::Streams io{in, out, err};
    InProcessRun run;
    run.code = cli::run(args, io);
    fs::current_path(before);
    run.out = out.str();
    run.err = err.str();
    return run;
}

void writeRecord(const fs::path& path, void (*change)(ConverterSettings&)) {
    ConverterSettings record;
    FillStartupDefaults(record);
    change(record);
    const SettingsSlot slot = encodeSettingsRecord(record, SettingsFiller{});
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(slot.data()), static_cast<std::streamsize>(slot.size()));
}

struct UsageCase {
    std::vector<std::string> args;
    const char* error;  // a part of the one line on stderr
    std::string input = {};
    int code = 2;
};

TEST(CliUsage, EveryMistakeIsOneLineThatSaysWhatIsWrong) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::vector<std::string> seventeen = {"program", "--defaults"};
    for (int i = 0; i < 17; ++i) {
        seventeen.insert(seventeen.end(), {"--port", "/dev/veltara-" + std::to_string(i)});
    }
    const std::string factory = hexPairs(kFactoryFrame);
    std::string wrongSum = factory;
    wrongSum.replace(wrongSum.size() - 2, 2, "EE");
    const UsageCase cases[] = {
        {{}, "no command given (see 'veltara-cli --help')"},
        {{"flash"}, "unknown command 'flash'"},
        {{"-x"}, "unknown option '-x' (options follow the command)"},
        {{"encode", "--bogus"}, "unknown option '--bogus' (see 'veltara-cli encode --help')"},
        {{"encode", "--settings"}, "--settings needs a value (FILE)"},
        {{"encode", "--settings", "a", "--settings", "b"}, "--settings is given twice"},
        {{"encode", "--json=yes"}, "unknown option '--json'"},
        {{"encode", "--defaults=yes"}, "--defaults takes no value"},
        {{"encode", "--settings", "x", "--defaults"}, "--settings and --defaults exclude each other"},
        {{"encode", "--from-json", "x", "--defaults"}, "--from-json and --defaults exclude each other"},
        {{"encode", "--settings", "folder"}, "it is a directory"},
        {{"encode", "--settings", "fifo"}, "fifo: it is a pipe"},
        {{"encode", "--settings=/dev/null"}, "/dev/null: it is a device"},
        {{"encode", "--settings", "missing.ini"}, "missing.ini: No such file or directory"},
        {{"encode", "--defaults", "--set", "speed"}, "--set takes KEY=VALUE, not 'speed'"},
        {{"encode", "--defaults", "--set", "speed=3"}, "--set speed: no such field"},
        {{"encode", "--defaults", "--set", "rs232_baud_rate=1234"}, "rs232_baud_rate=1234: takes 1200, 2400"},
        {{"encode", "--defaults", "--set", "can_transmit_id=0x800"},
         "can_transmit_id=0x800: needs the extended frame type (can_transmit_id_frame_type=extended)"},
        {{"encode", "--defaults", "--set", "can_mask_frame_type=extended"}, "follows can_receive_frame_type"},
        {{"encode", "--defaults", "--set", "period_ms_count=0"}, "period_ms_count=0: "},
        {{"encode", "--from-json", "-"}, "standard input: not JSON", "{\"rs232_baud_rate\": "},
        {{"encode", "--from-json", "-"}, "standard input: not a JSON object", "[1, 2]"},
        {{"save", "--defaults"}, "save needs --settings FILE, the file to write"},
        {{"save", "--settings", "new.ini"}, "save needs --defaults or --from-json FILE to start from"},
        {{"save", "--settings", "-", "--defaults"}, "--settings - (standard output) is not one"},
        {{"program", "--port", "COM1", "--settings", "fifo"}, "fifo: it is a pipe"},
        {{"program", "--port", "COM1"}, "no settings: ./quorvel.ini does not exist"},
        {{"program", "--port", "COM1", "--frame", factory, "--defaults"},
         "--frame and --defaults exclude each other"},
        {{"program", "--port", "COM1", "--frame", "03 00"},
         "--frame: a configuration frame has 33 bytes, this has 2"},
        {{"program", "--port", "COM1", "--frame", wrongSum},
         "--frame: the checksum byte is EE; the other 32 bytes give ED"},
        {{"decode"}, "decode needs the frame's bytes"},
        {{"decode"}, "cannot read standard input", "03"},  // the input fails (see below)
        {{"decode", "03 00 zz"}, "'z' at position 7 is not a hexadecimal digit"},
        {{"decode", "03 \x1b[31m"}, "'\\x1b' at position 4 is not a hexadecimal digit"},
        {{"decode", "03 \xff"}, "'\\xff' at position 4"},
        {{"decode", "030"}, "write bytes as pairs"},
        {{"decode", "0300"}, "a configuration frame has 33 bytes, this has 2"},
        {{"decode", "--", "--json"}, "'-' at position 1 is not a hexadecimal digit"},
        {{"program", "--defaults"}, "program needs --port PORT"},
        {{"program", "--port", "", "--defaults"}, "--port needs a port name, not an empty text"},
        {{"program", "--port=", "--defaults"}, "--port needs a port name, not an empty text"},
        {{"program", "--port=COM9", "--defaults"}, "COM9 is not a port"},
        {{"program", "--port", "COM2", "--port=com2", "--defaults"}, "COM2 and com2 name the same device"},
        {seventeen, "at most 16 ports at once"},
        {{"program", "--port", "COM1", "--defaults", "--settle", "soon"}, "--settle takes milliseconds"},
        {{"program", "--port", "COM1", "--defaults", "--settle=-5"}, "--settle takes milliseconds"},
        {{"program", "--port", "/dev/veltara-no-such-device", "--defaults"},
         "cannot open /dev/veltara-no-such-device (/dev/veltara-no-such-device): No such file or directory"},
        {{"program", "--port", "COM1", "--defaults", "--json", "--json-lines"}, "exclude each other"},
        {{"encode", "--log", "x.log"}, "unknown option '--log'"},
        {{"ports", "--assign=COM7"}, "--assign needs a COM name and a device"},
        {{"ports", "--assign", "COM7", "--json"}, "--assign and --json exclude each other"},
        {{"ports", "--assign", "COM7", "a", "b"}, "--assign takes one device, not 2"},
        {{"ports", "--unassign", "COM9"}, "COM9 is not a COM name"},
        {{"help", "flash"}, "unknown command 'flash'"},
    };
    for (const UsageCase& c : cases) {
        std::string name;
        for (const std::string& arg : c.args) {
            name += arg + " ";
        }
        const bool failingInput = std::string(c.error) == "cannot read standard input";
        const InProcessRun run = runInProcess(c.args, dir.path(), c.input, failingInput);
        EXPECT_EQ(run.code, c.code) << name << "\n" << run.err;
        EXPECT_NE(run.err.find(c.error), std::string::npos) << name << "\n" << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << name << "\n" << run.err;
        EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << name;
    }
}

TEST(CliUsage, HelpIsReachedEveryWayAndFitsATerminal) {
    TempDir dir;
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--help"}, "Usage: veltara-cli COMMAND"},
        {{"-h"}, "Usage: veltara-cli COMMAND"},
        {{"help"}, "Usage: veltara-cli COMMAND"},
        {{"--version"}, "veltara-cli " VELTARA_VERSION "\n"},
        {{"-V"}, "veltara-cli " VELTARA_VERSION "\n"},
        {{"help", "program"}, "Usage: veltara-cli program"},
        {{"program", "--help"}, "Usage: veltara-cli program"},
        {{"program", "--port", "COM1", "-h"}, "Usage: veltara-cli program"},
        {{"encode", "--help"}, "Usage: veltara-cli encode"},
        {{"save", "--help"}, "Usage: veltara-cli save"},
        {{"help", "decode"}, "Usage: veltara-cli decode"},
        {{"ports", "--help"}, "Usage: veltara-cli ports"},
    };
    for (const auto& [args, start] : cases) {
        const InProcessRun run = runInProcess(args, dir.path());
        EXPECT_EQ(run.code, 0) << args.front();
        EXPECT_EQ(run.out.rfind(start, 0), 0u) << args.front() << "\n" << run.out;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_LE(line.size(), 79u) << args.front() << ": " << line;
        }
    }
}

// A golden configuration kept as decode's JSON gives the same frame back, whatever the frame holds.
TEST(CliSettingsText, DecodedJsonEncodesBackByteForByte) {
    TempDir dir;
    std::vector<std::vector<std::uint8_t>> frames = {kFactoryFrame, std::vector<std::uint8_t>(33, 0),
                                                     std::vector<std::uint8_t>(33, 0xFF)};
    std::mt19937 random(20261208);
    for (int i = 0; i < 200; ++i) {
        std::vector<std::uint8_t> frame(33);
        std::generate(frame.begin(), frame.end(), [&] { return static_cast<std::uint8_t>(random()); });
        frames.push_back(frame);
    }
    for (auto& frame : frames) {
        unsigned sum = 0;
        for (std::size_t i = 0; i < 32; ++i) {
            sum += frame[i];
        }
        frame[32] = static_cast<std::uint8_t>(sum);
        const InProcessRun decoded = runInProcess({"decode", "--json", hexPairs(frame)}, dir.path());
        ASSERT_EQ(decoded.code, 0) << hexPairs(frame) << "\n" << decoded.err;
        const InProcessRun encoded = runInProcess({"encode", "--from-json", "-"}, dir.path(), decoded.out);
        EXPECT_EQ(encoded.code, 0) << decoded.out << encoded.err;
        EXPECT_EQ(encoded.out, hexPairs(frame) + "\n") << decoded.out;
    }
}

// save writes what the window would save; encode and the window read it back to the same frame.
TEST(CliSettingsText, SavedSettingsGiveTheFrameTheyWereMadeFrom) {
    TempDir dir;
    const std::vector<std::string> sets = {"--set", "can_transmit_id_frame_type=extended",
                                           "--set", "can_transmit_id=0x1ABCDE0",
                                           "--set", "rs232_baud_rate=19200",
                                           "--set", "input_transmitting=periodic",
                                           "--set", "period_ms_count=250"};
    std::vector<std::string> encode = {"encode", "--defaults"};
    encode.insert(encode.end(), sets.begin(), sets.end());
    const InProcessRun expected = runInProcess(encode, dir.path());
    ASSERT_EQ(expected.code, 0) << expected.err;
    EXPECT_NE(expected.out, hexPairs(kFactoryFrame) + "\n");

    std::vector<std::string> save = {"save", "--settings", "line3.ini", "--defaults"};
    save.insert(save.end(), sets.begin(), sets.end());
    const InProcessRun saved = runInProcess(save, dir.path());
    ASSERT_EQ(saved.code, 0) << saved.err;
    EXPECT_EQ(fs::file_size(dir / "line3.ini"), kSettingsSlotSize);
    EXPECT_EQ(runInProcess({"encode", "--settings", "line3.ini"}, dir.path()).out, expected.out);
    std::ifstream file(dir / "line3.ini", std::ios::binary);
    const std::string record((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(runInProcess({"encode", "--settings", "-"}, dir.path(), record).out, expected.out);

    // The same from the frame's JSON; an existing file is replaced only when asked to.
    const InProcessRun json = runInProcess({"decode", "--json", expected.out}, dir.path());
    fs::path jsonFile = dir / "golden.json";
    std::ofstream(jsonFile) << json.out;
    const InProcessRun refused =
        runInProcess({"save", "--settings", "line3.ini", "--from-json", "golden.json"}, dir.path());
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find("line3.ini exists; --force replaces it"), std::string::npos) << refused.err;
    const InProcessRun forced = runInProcess(
        {"save", "--settings", "line3.ini", "--from-json", "golden.json", "--force"}, dir.path());
    EXPECT_EQ(forced.code, 0) << forced.err;
    EXPECT_EQ(runInProcess({"encode", "--settings", "line3.ini"}, dir.path()).out, expected.out);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2)
        << "a temporary file was left behind";
}

// A stored value the window cannot take is named with the file, the field and the value, by encode as by
// program.
TEST(CliSettingsText, StoredValuesTheWindowCorrectsAreNamedAndRefused) {
    TempDir dir;
    writeRecord(dir / "quorvel.ini", [](ConverterSettings& r) { r.RS232BaudRate = 9; });
    for (const char* command : {"encode", "program"}) {
        std::vector<std::string> args = {command, "--accept-corrections"};
        if (std::string(command) == "program") {
            args.insert(args.end(), {"--port", "/dev/null"});
        }
        const InProcessRun run = runInProcess(args, dir.path());
        EXPECT_EQ(run.code, 2) << command;
        EXPECT_NE(run.err.find("quorvel.ini: Please select the RS232 Baud Rate"), std::string::npos)
            << run.err;
        EXPECT_NE(
            run.err.find("(offset 4): stored 9 (no such entry; the list has 8), used -1 (none selected)"),
            std::string::npos)
            << run.err;
    }
    // A link that leads nowhere is a broken settings file, not a missing one.
    fs::remove(dir / "quorvel.ini");
    fs::create_symlink(dir / "gone.ini", dir / "quorvel.ini");
    const InProcessRun dangling = runInProcess({"encode"}, dir.path());
    EXPECT_EQ(dangling.code, 2);
    EXPECT_NE(dangling.err.find("cannot read the settings file quorvel.ini"), std::string::npos)
        << dangling.err;
}

}  // namespace
}  // namespace veltara::test
