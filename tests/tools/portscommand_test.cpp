// veltara-cli ports and the port folder as users and their neighbours meet them: the real executables.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "clirun.h"
#include "helperprogram.h"
#include "link/configframe.h"
#include "ptypair.h"
#include "serial/portauthority.h"
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
    // Before any assignment the listing still names every COM name, from COM1.
    const CliRun empty = f.run({"ports"});
    EXPECT_EQ(empty.code, 0);
    EXPECT_EQ(empty.out.rfind("COM1  ", 0), 0u) << empty.out;
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
        {.args = {"--assign", "COM9", device},
         .code = 2,
         .text = "COM9 is not a COM name: use COM1 to COM8",
         .linked = false},
        {.args = {"--assign", "com0", device}, .code = 2, .text = "com0 is not a COM name", .linked = false},
        {.args = {"--assign", "COM3", "/dev/null"},
         .code = 2,
         .text = "/dev/null is not a serial port",
         .linked = false},
        {.args = {"--assign", "COM3", QString::fromStdString(file.string())},
         .code = 2,
         .text = "is not a serial port (not a device)",
         .linked = false},
        {.args = {"--assign", "COM3", "/dev/veltara-no-such-device"},
         .code = 2,
         .text = "does not exist",
         .linked = false},
        {.args = {"--assign", "COM3"},
         .code = 2,
         .text = "--assign needs a COM name and a device",
         .linked = false},
        {.args = {"--unassign", "COM3"}, .code = 0, .text = "COM3 is not assigned", .linked = false},
        {.args = {"--assign", "com3", device}, .code = 0, .text = "COM3 -> " + pty.path(), .linked = true},
        {.args = {}, .code = 0, .text = "COM3  " + pty.path() + "  available", .linked = true},
        {.args = {"--assign", "COM3", device},
         .code = 0,
         .text = "COM3 -> " + pty.path() + " (replaced " + pty.path() + ")",
         .linked = true},
        {.args = {"--json"},
         .code = 0,
         .text = "\"device\":\"" + pty.path() + "\",\"entry\":",
         .linked = true},
        {.args = {"--unassign", "COM3"}, .code = 0, .text = "COM3 unassigned", .linked = false}};
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
        {.name = "root's own folder",
         .unprivileged = false,
         .change = [](const PortFolder&) {},
         .refusal = ""},
        {.name = "port folder writable by all",
         .unprivileged = false,
         .change = [](const PortFolder& f) { fs::permissions(f.ports, fs::perms(0777)); },
         .refusal = "may be written by other users (mode 0777)"},
        {.name = "port folder writable by its group",
         .unprivileged = false,
         .change = [](const PortFolder& f) { fs::permissions(f.ports, fs::perms(0770)); },
         .refusal = "(mode 0770)"},
        {.name = "configuration folder writable by all",
         .unprivileged = false,
         .change = [](const PortFolder& f) { fs::permissions(f.config, fs::perms(0777)); },
         .refusal = "(mode 0777)"},
        {.name = "port folder of another user",
         .unprivileged = false,
         .change = [nobody](const PortFolder& f) { EXPECT_EQ(::chown(f.ports.c_str(), nobody, 0), 0); },
         .refusal = "belongs to nobody"},
        {.name = "entry of another user",
         .unprivileged = false,
         .change =
             [nobody](const PortFolder& f) { EXPECT_EQ(::lchown((f.ports / "COM3").c_str(), nobody, 0), 0); },
         .refusal = "belongs to nobody"},
        {.name = "nobody's own folder",
         .unprivileged = true,
         .change = [](const PortFolder&) {},
         .refusal = ""},
        {.name = "nobody's folder, port folder root's",
         .unprivileged = true,
         .change =
             [](const PortFolder& f) {
                 EXPECT_EQ(::chown(f.ports.c_str(), 0, 0), 0);
                 fs::permissions(f.ports, fs::perms(0755));
             },
         .refusal = ""},
        {.name = "nobody's folder, port folder root's and writable by all",
         .unprivileged = true,
         .change =
             [](const PortFolder& f) {
                 EXPECT_EQ(::chown(f.ports.c_str(), 0, 0), 0);
                 fs::permissions(f.ports, fs::perms(0777));
             },
         .refusal = "may be written by other users"},
        {.name = "nobody's folder, entry root's",
         .unprivileged = true,
         .change = [](const PortFolder& f) { EXPECT_EQ(::lchown((f.ports / "COM3").c_str(), 0, 0), 0); },
         .refusal = ""},
        {.name = "nobody's folder, entry of another user",
         .unprivileged = true,
         .change = [](const PortFolder& f) { EXPECT_EQ(::lchown((f.ports / "COM3").c_str(), 1, 0), 0); },
         .refusal = "belongs to daemon"}};
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
            EXPECT_NE(line.find(c.unprivileged ? "no permission: Permission denied; " : "available"),
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

// What a neighbour on a shared line PC can plant, and a user's environment that would send a frame
// elsewhere: each is refused with words that name it, nothing reaches the line, nothing planted is removed.
TEST(CliPorts, DrillsAsAnotherUserNothingReachesALineItShouldNot) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can plant files as another user and give a terminal away";
    }
    const UnprivilegedHelper helper(VELTARA_CLI_PATH);
    ASSERT_EQ(helper.problem(), "");
    const uid_t nobody = uidOf("nobody");
    struct Bench {
        PortFolder f;
        PtyPair line;   // the converter meant
        PtyPair other;  // a line no frame may reach
        std::string lock = qt::ports::lockFilePath(line.path());
        fs::path shared = f.dir / "shared";  // world-writable and sticky, as /tmp
        std::vector<fs::path> kept;          // planted things that must survive the run
        std::vector<fs::path> absent;        // what the run must not leave behind
        void mapTo(const fs::path& config, int port, const std::string& target) const {
            fs::create_directories(config / "veltara" / "ports");
            fs::create_symlink(target, config / "veltara" / "ports" / ("COM" + std::to_string(port)));
        }
        void makeShared() const {
            fs::create_directory(shared);
            fs::permissions(shared, fs::perms(01777));
        }
        // What a neighbour leaves in the shared folder: a link of theirs to the line meant.
        fs::path plantSharedLink(uid_t owner) const {
            makeShared();
            const fs::path link = shared / "adapter-line3";
            fs::create_symlink(line.path(), link);
            EXPECT_EQ(::lchown(link.c_str(), owner, owner), 0);
            return link;
        }
    };
    struct Drill {
        const char* name;
        std::function<void(Bench&, uid_t nobody)> plant;
        QStringList args;
        bool asNobody = false;
        std::vector<std::string> environment = {};
        int code;
        std::vector<std::string> words = {};  // in what it prints
        std::string notSaid = {};
        std::size_t sent;  // bytes that reach the line meant
    };
    const auto program = [](const char* port) {
        return QStringList{"program", "--defaults", "--port", port};
    };
    const std::string self = std::to_string(::getpid());
    const Drill drills[] = {
        {.name = "lock link",
         .plant =
             [](Bench& b, uid_t who) {
                 ASSERT_EQ(::symlink("/dev/zero", b.lock.c_str()), 0);
                 ASSERT_EQ(::lchown(b.lock.c_str(), who, who), 0);
                 b.kept.push_back(b.lock);
             },
         .args = program("LINE"),
         .code = 2,
         .words = {"a symbolic link of nobody", "is locked by /"},
         .sent = 0},
        {.name = "lock FIFO",
         .plant =
             [](Bench& b, uid_t who) {
                 ASSERT_EQ(::mkfifo(b.lock.c_str(), 0666), 0);
                 ASSERT_EQ(::chown(b.lock.c_str(), who, who), 0);
                 b.kept.push_back(b.lock);
             },
         .args = program("LINE"),
         .code = 2,
         .words = {"a FIFO of nobody"},
         .sent = 0},
        {.name = "live foreign lock (lockdev's format)",
         .plant =
             [self](Bench& b, uid_t who) {
                 std::ofstream(b.lock) << std::string(10 - self.size(), ' ') << self << '\n';
                 ASSERT_EQ(::chown(b.lock.c_str(), who, who), 0);
                 b.kept.push_back(b.lock);
             },
         .args = program("LINE"),
         .code = 2,
         .words = {"is in use by PID " + self + " (cli_tests), lock file /"},
         .sent = 0},
        {.name = "live foreign lock, listed",
         .plant =
             [self](Bench& b, uid_t) {
                 std::ofstream(b.lock) << self << "\nminicom\n";
                 b.mapTo(b.f.config, 3, b.line.path());
                 b.kept.push_back(b.lock);
             },
         .args = {"ports"},
         .code = 0,
         .words = {"COM3  " + std::string("/dev/pts/"), "busy: ", "PID " + self},
         .sent = 0},
        {.name = "dead foreign lock is taken over",
         .plant =
             [](Bench& b, uid_t who) {
                 std::ofstream(b.lock) << "   4194305\n";
                 ASSERT_EQ(::chown(b.lock.c_str(), who, who), 0);
                 b.absent.push_back(b.lock);
             },
         .args = program("LINE"),
         .code = 1,
         .sent = core::kConfigFrameSize},
        {.name = "assign through another user's link",
         .plant =
             [](Bench& b, uid_t who) {
                 b.plantSharedLink(who);
                 b.absent.push_back(b.f.ports / "COM4");
             },
         .args = {"ports", "--assign", "COM4", "shared/adapter-line3"},
         .code = 2,
         .words = {"belongs to nobody"},
         .sent = 0},
        {.name = "COM name through another user's link",
         .plant = [](Bench& b, uid_t who) { b.mapTo(b.f.config, 4, b.plantSharedLink(who).string()); },
         .args = program("COM4"),
         .code = 2,
         .words = {"belongs to nobody and lies in"},
         .sent = 0},
        {.name = "stale link to another user's terminal",
         .plant =
             [](Bench& b, uid_t who) {
                 ASSERT_EQ(::chown(b.line.path().c_str(), who, who), 0);
                 b.mapTo(b.f.config, 3, b.line.path());
             },
         .args = program("COM3"),
         .code = 2,
         .words = {"is a terminal of nobody, not yours"},
         .sent = 0},
        {.name = "no HOME",
         .plant = [](Bench&, uid_t) {},
         .args = program("COM5"),
         .asNobody = true,
         .environment = {"-HOME", "-XDG_CONFIG_HOME"},
         .code = 2,
         .words = {"home folder"},
         .sent = 0},
        {.name = "relative XDG_CONFIG_HOME",
         .plant =
             [](Bench& b, uid_t) {
                 b.mapTo(b.f.dir / "home" / ".config", 5, b.line.path());
                 b.mapTo(b.f.dir / "cfg", 5, b.other.path());
             },
         .args = program("COM5"),
         .environment = {"XDG_CONFIG_HOME=cfg", "HOME=HOMEDIR"},
         .code = 1,
         .sent = core::kConfigFrameSize},
        {.name = "root-only device",
         .plant =
             [](Bench& b, uid_t who) {
                 ASSERT_EQ(::chown(b.line.path().c_str(), 0, 0), 0);
                 ASSERT_EQ(::chmod(b.line.path().c_str(), 0600), 0);
                 b.mapTo(b.f.config, 3, b.line.path());
                 for (const fs::path& p :
                      {b.f.config, b.f.config / "veltara", b.f.ports, b.f.ports / "COM3"}) {
                     ASSERT_EQ(::lchown(p.c_str(), who, 0), 0) << p;
                 }
             },
         .args = {"ports"},
         .asNobody = true,
         .code = 0,
         .words = {"no permission: Permission denied", "its owner or a udev rule"},
         .notSaid = "usermod",
         .sent = 0},
        {.name = "/tmp as configuration folder",
         .plant =
             [](Bench& b, uid_t) {
                 b.makeShared();
                 b.absent.push_back(b.shared / "veltara");
             },
         .args = program("COM3"),
         .environment = {"XDG_CONFIG_HOME=SHARED"},
         .code = 2,
         .words = {"may be written by other users (mode 1777)", "a folder of your own"},
         .notSaid = "chmod",
         .sent = 0}};
    for (const Drill& d : drills) {
        Bench b;
        ASSERT_TRUE(b.line.ok() && b.other.ok());
        fs::permissions(b.f.dir.path(), fs::perms(0755));
        d.plant(b, nobody);
        CliStart start;
        start.directory = b.f.dir.path();
        start.configHome = b.f.config.string();
        start.unprivileged = d.asNobody ? &helper : nullptr;
        for (std::string e : d.environment) {
            for (const auto& [from, to] :
                 {std::pair<std::string, std::string>{"HOMEDIR", (b.f.dir / "home").string()},
                  {"SHARED", b.shared.string()}}) {
                if (const auto at = e.find(from); at != std::string::npos) {
                    e.replace(at, from.size(), to);
                }
            }
            start.environment.push_back(e);
        }
        QStringList args = d.args;
        args.replaceInStrings("LINE", QString::fromStdString(b.line.path()));
        const CliRun run = runProgram(args, start);
        const std::string said = run.out + run.err;
        EXPECT_EQ(run.code, d.code) << d.name << "\n" << said;
        for (const std::string& words : d.words) {
            EXPECT_NE(said.find(words), std::string::npos) << d.name << ": " << words << "\n" << said;
        }
        if (!d.notSaid.empty()) {
            EXPECT_EQ(said.find(d.notSaid), std::string::npos) << d.name << "\n" << said;
        }
        EXPECT_EQ(b.line.drain(), d.sent) << d.name;
        EXPECT_EQ(b.other.drain(), 0u) << d.name;
        for (const fs::path& p : b.kept) {
            EXPECT_TRUE(fs::exists(fs::symlink_status(p))) << d.name << ": " << p << " was removed";
        }
        for (const fs::path& p : b.absent) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(p))) << d.name << ": " << p << " is there";
        }
        std::error_code ignored;
        fs::remove(b.lock, ignored);
    }
}

}  // namespace
}  // namespace veltara::test
