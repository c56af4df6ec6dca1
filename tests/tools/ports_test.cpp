// veltara-cli ports and the port folder as users and their neighbours meet them: the real executables.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <filesystem>
#include <fstream>
#include <functional>

#include "clirun.h"
#include "helperprogram.h"
#include "ptypair.h"
#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

uid_t uidOf(const char* user) {
    const passwd* entry = ::getpwnam(user);
    return entry ? entry->pw_uid : 0;
}

// The configuration folder of one test, its port folder and the run of veltara-cli on it.
struct PortFolder {
    TempDir dir;
    fs::path config = dir / "config";
    fs::path ports = config / "veltara" / "ports";
    CliRun run(const QStringList& args, const UnprivilegedHelper* unprivileged = nullptr) const {
        CliStart start;
        start.directory = dir.path();
        start.configHome = config.string();
        start.unprivileged = unprivileged;
        return runProgram(args, start);
    }
};

std::string comLine(const std::string& listing, const std::string& com) {
    const auto at = listing.find(com + "  ");
    return at == std::string::npos ? std::string() : listing.substr(at, listing.find('\n', at) - at);
}

TEST(CliPorts, AssignLinksACommNameToASerialPortAndUnassignRemovesIt) {
    PortFolder f;
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    fs::path file = f.dir / "plain-file";
    std::ofstream(file) << "x";
    struct Step {
        QStringList args;
        int code;
        std::string text;  // in stdout on success, in stderr otherwise
        bool linked;       // COM3 names the terminal afterwards
    };
    const QString device = QString::fromStdString(pty.path());
    const Step steps[] = {
        {{"--assign", "COM9", device}, 2, "COM9 is not a COM name: use COM1 to COM8", false},
        {{"--assign", "com0", device}, 2, "com0 is not a COM name", false},
        {{"--assign", "COM3", "/dev/null"}, 2, "/dev/null is not a serial port", false},
        {{"--assign", "COM3", QString::fromStdString(file.string())},
         2,
         "is not a serial port (not a device)",
         false},
        {{"--assign", "COM3", "/dev/veltara-no-such-device"}, 2, "does not exist", false},
        {{"--assign", "COM3"}, 2, "--assign needs a COM name and a device", false},
        {{"--unassign", "COM3"}, 2, "COM3 is not assigned", false},
        {{"--assign", "com3", device}, 0, "COM3 -> " + pty.path(), true},
        {{}, 0, "COM3  " + pty.path() + "  opens", true},
        {{"--json"}, 0, "{\"port\": \"COM3\", \"device\": \"" + pty.path() + "\"", true},
        {{"--unassign", "COM3"}, 0, "COM3 unassigned", false},
    };
    for (const Step& step : steps) {
        const CliRun run = f.run(QStringList{"ports"} + step.args);
        const std::string context = step.args.join(' ').toStdString() + "\n" + run.out + run.err;
        EXPECT_EQ(run.code, step.code) << context;
        EXPECT_NE((step.code == 0 ? run.out : run.err).find(step.text), std::string::npos) << context;
        std::error_code error;
        EXPECT_EQ(fs::read_symlink(f.ports / "COM3", error).string(), step.linked ? pty.path() : "")
            << context;
    }
    for (const fs::path& folder : {f.config, f.config / "veltara", f.ports}) {
        EXPECT_EQ(modeOf(folder), 0700u) << folder;
    }
}

// As ssh with its own files: what another user could change must not decide where a frame goes. Root
// gives the files away; the rows marked unprivileged run veltara-cli as nobody on nobody's own folder.
TEST(CliPorts, APortFolderThatAnotherUserControlsIsRefused) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give the port folder to another user";
    }
    const UnprivilegedHelper helper(VELTARA_CLI_PATH);
    ASSERT_EQ(helper.problem(), "");
    const uid_t nobody = uidOf("nobody");
    struct Case {
        const char* name;
        bool unprivileged;
        std::function<void(const PortFolder&)> change;
        std::string refusal;  // empty: the entry is used
    };
    const Case cases[] = {
        {"root's own folder", false, [](const PortFolder&) {}, ""},
        {"port folder writable by all", false,
         [](const PortFolder& f) { fs::permissions(f.ports, fs::perms(0777)); },
         "may be written by other users (mode 0777)"},
        {"port folder writable by its group", false,
         [](const PortFolder& f) { fs::permissions(f.ports, fs::perms(0770)); }, "(mode 0770)"},
        {"configuration folder writable by all", false,
         [](const PortFolder& f) { fs::permissions(f.config, fs::perms(0777)); }, "(mode 0777)"},
        {"port folder of another user", false,
         [nobody](const PortFolder& f) { EXPECT_EQ(::chown(f.ports.c_str(), nobody, 0), 0); },
         "belongs to nobody"},
        {"entry of another user", false,
         [nobody](const PortFolder& f) { EXPECT_EQ(::lchown((f.ports / "COM3").c_str(), nobody, 0), 0); },
         "belongs to nobody"},
        {"nobody's own folder", true, [](const PortFolder&) {}, ""},
        {"nobody's folder, port folder root's", true,
         [](const PortFolder& f) {
             EXPECT_EQ(::chown(f.ports.c_str(), 0, 0), 0);
             fs::permissions(f.ports, fs::perms(0755));
         },
         ""},
        {"nobody's folder, port folder root's and writable by all", true,
         [](const PortFolder& f) {
             EXPECT_EQ(::chown(f.ports.c_str(), 0, 0), 0);
             fs::permissions(f.ports, fs::perms(0777));
         },
         "may be written by other users"},
        {"nobody's folder, entry root's", true,
         [](const PortFolder& f) { EXPECT_EQ(::lchown((f.ports / "COM3").c_str(), 0, 0), 0); }, ""},
        {"nobody's folder, entry of another user", true,
         [](const PortFolder& f) { EXPECT_EQ(::lchown((f.ports / "COM3").c_str(), 1, 0), 0); },
         "belongs to daemon"},
    };
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    for (const Case& c : cases) {
        pty.drain();
        PortFolder f;
        ASSERT_EQ(f.run({"ports", "--assign", "COM3", QString::fromStdString(pty.path())}).code, 0) << c.name;
        const UnprivilegedHelper* as = c.unprivileged ? &helper : nullptr;
        if (c.unprivileged) {
            fs::permissions(f.dir.path(), fs::perms(0755));
            for (const fs::path& p : {f.config, f.config / "veltara", f.ports, f.ports / "COM3"}) {
                ASSERT_EQ(::lchown(p.c_str(), nobody, 0), 0) << p;
            }
        }
        c.change(f);
        const CliRun listing = f.run({"ports"}, as);
        const std::string line = comLine(listing.out, "COM3");
        EXPECT_EQ(listing.code, 0) << c.name << listing.err;
        const CliRun programmed = f.run({"program", "--port", "COM3", "--defaults"}, as);
        if (c.refusal.empty()) {
            EXPECT_EQ(line.find("refused"), std::string::npos) << c.name << "\n" << line;
            // Root opens the terminal; nobody may not, and is told what to do about it.
            EXPECT_NE(
                line.find(c.unprivileged ? "Permission denied; your user must be in the group" : "opens"),
                std::string::npos)
                << c.name << "\n"
                << line;
        } else {
            EXPECT_NE(line.find("refused: "), std::string::npos) << c.name << "\n" << line;
            EXPECT_NE(line.find(c.refusal), std::string::npos) << c.name << "\n" << line;
            EXPECT_EQ(programmed.code, 2) << c.name;
            EXPECT_NE(programmed.err.find(c.refusal), std::string::npos) << c.name << "\n" << programmed.err;
            EXPECT_EQ(pty.drain(), 0u) << c.name << ": nothing may be sent through a refused entry";
        }
    }
}

// veltara-sim --as makes the folders it needs private whatever the umask, and will not use a folder
// that others may write.
TEST(SimPortFolder, FoldersAreMadePrivateAndAnOpenFolderIsRefused) {
    struct Case {
        bool openFolder;
        const char* expected;
    };
    for (const Case& c : {Case{false, "COM2 -> "}, Case{true, "may be written by other users"}}) {
        PortFolder f;
        if (c.openFolder) {
            fs::create_directories(f.ports);
            fs::permissions(f.ports, fs::perms(0777));
        }
        QProcess sim;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(f.config.string()));
        sim.setProcessEnvironment(environment);
        sim.setProcessChannelMode(QProcess::MergedChannels);
        sim.start("/bin/sh", {"-c", "umask 000; exec \"$0\" --as COM2", VELTARA_SIM_PATH});
        std::string output;
        while (output.find(c.expected) == std::string::npos && sim.waitForReadyRead(10000)) {
            output += sim.readAll().toStdString();
        }
        EXPECT_NE(output.find(c.expected), std::string::npos) << output;
        if (!c.openFolder) {
            for (const fs::path& folder : {f.config, f.config / "veltara", f.ports}) {
                EXPECT_EQ(modeOf(folder), 0700u) << folder;
            }
        }
        sim.terminate();
        EXPECT_TRUE(sim.waitForFinished(10000));
        EXPECT_EQ(sim.exitCode(), c.openFolder ? 1 : 0) << output;
    }
}

}  // namespace
}  // namespace veltara::test
