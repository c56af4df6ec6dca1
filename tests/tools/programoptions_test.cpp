// What every program does with --help, --version and a mistyped option: answer at once, with no display,
// no settings file and no port folder touched.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>

#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;

struct Case {
    const char* program;
    QStringList arguments;
    int exitCode;
    const char* output;         // the start of stdout, or for a usage error all of stderr
    const char* mentions = "";  // further words the help must hold
};

TEST(ProgramOptions, AnswerWithoutADisplayAndTouchNoFile) {
    const Case cases[] = {
        {.program = VELTARA_APP_PATH, .arguments = {"--help"}, .exitCode = 0, .output = "Usage: veltara "},
        {.program = VELTARA_APP_PATH,
         .arguments = {"-platform", "xcb", "--version"},
         .exitCode = 0,
         .output = "veltara " VELTARA_VERSION "\n"},
        {.program = VELTARA_APP_PATH,
         .arguments = {"--bogus"},
         .exitCode = 2,
         .output = "veltara: unknown option '--bogus' (see 'veltara --help')\n"},
        {.program = VELTARA_APP_PATH,
         .arguments = {"settings.ini"},
         .exitCode = 2,
         .output = "veltara: unexpected argument 'settings.ini' (see 'veltara --help')\n"},
        {.program = VELTARA_APP_PATH,
         .arguments = {"--style"},
         .exitCode = 2,
         .output = "veltara: --style needs a value (VALUE) (see 'veltara --help')\n"},
        {.program = VELTARA_CLI_PATH,
         .arguments = {"--help"},
         .exitCode = 0,
         .output = "Usage: veltara-cli "},
        {.program = VELTARA_CLI_PATH,
         .arguments = {"--version"},
         .exitCode = 0,
         .output = "veltara-cli " VELTARA_VERSION "\n"},
        {.program = VELTARA_CLI_PATH,
         .arguments = {"encode", "--help"},
         .exitCode = 0,
         .output = "Usage: veltara-cli encode"},
        {.program = VELTARA_CLI_PATH,
         .arguments = {"decode", "--help"},
         .exitCode = 0,
         .output = "Usage: veltara-cli decode"},
        {.program = VELTARA_CLI_PATH,
         .arguments = {"program", "--help"},
         .exitCode = 0,
         .output = "Usage: veltara-cli program"},
        {.program = VELTARA_CLI_PATH,
         .arguments = {"ports", "--help"},
         .exitCode = 0,
         .output = "Usage: veltara-cli ports"},
        {.program = VELTARA_SIM_PATH,
         .arguments = {"--help"},
         .exitCode = 0,
         .output = "Usage: veltara-sim ",
         .mentions = "--reply MODE"},
        {.program = VELTARA_SIM_PATH,
         .arguments = {"--version"},
         .exitCode = 0,
         .output = "veltara-sim " VELTARA_VERSION "\n"},
        {.program = VELTARA_SIM_PATH,
         .arguments = {"--reply", "maybe"},
         .exitCode = 2,
         .output = "veltara-sim: --reply takes ack, silent, nak, double, late or strict, not 'maybe' (see "
                   "'veltara-sim --help')\n"},
        {.program = VELTARA_SIM_PATH,
         .arguments = {"--reply=maybe"},
         .exitCode = 2,
         .output = "veltara-sim: --reply takes ack, silent, nak, double, late or strict, not 'maybe' (see "
                   "'veltara-sim --help')\n"},
        {.program = VELTARA_SIM_PATH,
         .arguments = {"--as", "COM9"},
         .exitCode = 2,
         .output = "veltara-sim: --as takes COM1 to COM8, not 'COM9' (see 'veltara-sim --help')\n"},
        {.program = VELTARA_SIM_PATH,
         .arguments = {"--as"},
         .exitCode = 2,
         .output = "veltara-sim: --as needs a value (COMn) (see 'veltara-sim --help')\n"},
        {.program = VELTARA_SIM_PATH,
         .arguments = {"--verbose"},
         .exitCode = 2,
         .output = "veltara-sim: unknown option '--verbose' (see 'veltara-sim --help')\n"}};
    for (const Case& c : cases) {
        TempDir dir;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QString::fromLatin1(name));
        }
        environment.insert("HOME", QString::fromStdString(dir.path().string()));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
        environment.insert("QT_DEBUG_PLUGINS", "1");  // any plugin Qt loads would show on stderr
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QString::fromStdString(dir.path().string()));
        process.start(QString::fromLatin1(c.program), c.arguments);
        const std::string name =
            fs::path(c.program).filename().string() + " " + c.arguments.join(' ').toStdString();
        ASSERT_TRUE(process.waitForFinished(10000)) << name;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << name;
        EXPECT_EQ(process.exitCode(), c.exitCode) << name;
        const std::string out = process.readAllStandardOutput().toStdString();
        const std::string err = process.readAllStandardError().toStdString();
        if (c.exitCode == 0) {
            EXPECT_EQ(out.rfind(c.output, 0), 0u) << name << ":\n" << out;
            EXPECT_NE(out.find(c.mentions), std::string::npos) << name << ":\n" << out;
            EXPECT_EQ(err, "") << name;
        } else {
            EXPECT_EQ(err, c.output) << name;
            EXPECT_EQ(out, "") << name;
        }
        EXPECT_TRUE(fs::is_empty(dir.path())) << name << " left a file behind";
    }
}

TEST(ProgramOptions, TheWindowWithoutADisplaySaysSoInOneLineAndTouchesNoFile) {
    struct Environment {
        const char* name;
        const char* waylandDisplay;  // nullptr: unset
        const char* error;
    };
    const Environment environments[] = {
        {.name = "no display",
         .waylandDisplay = nullptr,
         .error = "veltara: no display: start it in a desktop session, or set DISPLAY to an X server (e.g. "
                  "DISPLAY=:0)\n"},
        {.name = "a Wayland session without XWayland",
         .waylandDisplay = "wayland-0",
         .error = "veltara: this Wayland session has no X display (DISPLAY is not set) for the window: turn "
                  "XWayland on, or pass -platform wayland to run it uncentred\n"}};
    const std::vector<std::uint8_t> saved = slotBytes(savedRecord());
    for (const Environment& e : environments) {
        for (const bool withFile : {false, true}) {
            SCOPED_TRACE(std::string(e.name) + (withFile ? ", a settings file" : ", no settings file"));
            TempDir dir;
            if (withFile) {
                writeBytes(dir / "quorvel.ini", saved);
            }
            const auto before = withFile ? fs::last_write_time(dir / "quorvel.ini") : fs::file_time_type{};
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
                environment.remove(QString::fromLatin1(name));
            }
            if (e.waylandDisplay != nullptr) {
                environment.insert("WAYLAND_DISPLAY", e.waylandDisplay);
            }
            QProcess process;
            process.setProcessEnvironment(environment);
            process.setWorkingDirectory(QString::fromStdString(dir.path().string()));
            process.start(QString::fromLatin1(VELTARA_APP_PATH), {});
            ASSERT_TRUE(process.waitForFinished(10000));
            EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(process.exitCode(), 2);
            EXPECT_EQ(process.readAllStandardError().toStdString(), e.error);
            EXPECT_EQ(process.readAllStandardOutput().toStdString(), "");
            if (withFile) {
                EXPECT_EQ(readBytes(dir / "quorvel.ini"), saved);
                EXPECT_EQ(fs::last_write_time(dir / "quorvel.ini"), before);
            } else {
                EXPECT_TRUE(fs::is_empty(dir.path())) << "a file was left behind";
            }
        }
    }
}

}  // namespace
}  // namespace veltara::test
