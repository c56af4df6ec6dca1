#include "serial/portauthority.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QSysInfo>
#include <filesystem>
#include <functional>

#include "ptypair.h"
#include "serial/serialdevices.h"
#include "sim/convertersimulator.h"
#include "tempportfolder.h"

namespace veltara::qt::ports {
namespace {

namespace fs = std::filesystem;
using test::TempPortFolder;

std::string linkTarget(const std::string& entry) {
    std::error_code error;
    return fs::read_symlink(entry, error).string();
}

// Sets or (nullptr) unsets a variable for one scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
        value ? qputenv(name, value) : qunsetenv(name);
    }
    ~ScopedVariable() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

TEST(PortAuthority, TheFolderFollowsXdgRulesAndNeverGuessesAHome) {
    TempPortFolder folder;
    const std::string home = folder.path("home");
    fs::create_directory(home);
    struct Case {
        const char* name;
        const char* xdg;
        const char* homeVariable;
        std::string expected;  // empty: refused
    };
    const std::string xdg = folder.path("config");
    const Case cases[] = {{.name = "absolute XDG_CONFIG_HOME",
                           .xdg = xdg.c_str(),
                           .homeVariable = home.c_str(),
                           .expected = xdg + "/veltara/ports"},
                          {.name = "relative XDG_CONFIG_HOME is ignored",
                           .xdg = "config",
                           .homeVariable = home.c_str(),
                           .expected = home + "/.config/veltara/ports"},
                          {.name = "HOME alone",
                           .xdg = nullptr,
                           .homeVariable = home.c_str(),
                           .expected = home + "/.config/veltara/ports"},
                          {.name = "a home that does not exist",
                           .xdg = nullptr,
                           .homeVariable = "/veltara-no-such-home",
                           .expected = ""}};
    for (const Case& c : cases) {
        const ScopedVariable x("XDG_CONFIG_HOME", c.xdg);
        const ScopedVariable h("HOME", c.homeVariable);
        const core::Result<std::string> found = portFolder();
        EXPECT_EQ(found ? found.value() : std::string(), c.expected) << c.name;
        if (c.expected.empty()) {
            EXPECT_EQ(resolvePort(5).device, "") << c.name << ": no fallback to a default device";
            EXPECT_NE(resolvePort(5).problem->text.find("home folder"), std::string::npos) << c.name;
        }
    }
}

TEST(PortAuthority, ComNamesInAnyCaseAndNothingElse) {
    EXPECT_EQ(parseComName("COM1"), 1);
    EXPECT_EQ(parseComName("com8"), 8);
    for (const char* name : {"COM0", "COM9", "COM10", "COM", "/dev/COM1", ""}) {
        EXPECT_EQ(parseComName(name), 0) << name;
    }
    EXPECT_TRUE(looksLikeComName("com12"));
    EXPECT_FALSE(looksLikeComName("/dev/com1"));
    EXPECT_NE(resolvePort("COM9").problem->text.find("COM9 is not a port"), std::string::npos);
}

// An adapter with several interfaces has a by-id name for each; the whole device's is the shortest.
TEST(PortAuthority, TheByIdNameIsTheShortestLinkToTheDevice) {
    TempPortFolder folder;
    test::PtyPair adapter;
    test::PtyPair other;
    ASSERT_TRUE(adapter.ok() && other.ok());
    const std::string byId = folder.path("by-id");
    fs::create_directory(byId);
    fs::create_symlink(adapter.path(), byId + "/usb-Maker_Adapter_A1-if01-port0");
    fs::create_symlink(adapter.path(), byId + "/usb-Maker_Adapter_A1-port0");
    fs::create_symlink(other.path(), byId + "/usb-Maker_Other_B2-port0");
    EXPECT_EQ(byIdName(adapter.path(), byId), byId + "/usb-Maker_Adapter_A1-port0");
    EXPECT_EQ(byIdName(byId + "/usb-Maker_Other_B2-port0", byId), byId + "/usb-Maker_Other_B2-port0");
    EXPECT_EQ(byIdName("/dev/null", byId), "");
    EXPECT_EQ(byIdName(adapter.path(), folder.path("no-such-folder")), "");
}

TEST(PortAuthority, AComNameReachesWhatItsEntryResolvesToOrTheUsualDevice) {
    struct Case {
        const char* name;
        std::function<std::string(const TempPortFolder&)> makeEntry;  // returns the expected device
        bool missing = false;
    };
    const Case cases[] = {
        {"no entry: the usual device",
         [](const TempPortFolder&) {
             std::error_code error;
             const fs::path canonical = fs::canonical("/dev/ttyS2", error);
             return error ? std::string("/dev/ttyS2") : canonical.string();
         },
         !fs::exists("/dev/ttyS2")},
        {"link to a device",
         [](const TempPortFolder& f) {
             QFile(QString::fromStdString(f.path("ttyUSB7"))).open(QIODevice::WriteOnly);
             f.link(3, f.path("ttyUSB7"));
             return f.path("ttyUSB7");
         }},
        {"link to a link, as /dev/serial/by-id is",
         [](const TempPortFolder& f) {
             QFile(QString::fromStdString(f.path("ttyACM0"))).open(QIODevice::WriteOnly);
             fs::create_symlink(f.path("ttyACM0"), f.path("usb-Converter_1234-if00"));
             f.link(3, f.path("usb-Converter_1234-if00"));
             return f.path("ttyACM0");
         }},
        {"relative link",
         [](const TempPortFolder& f) {
             QFile(QString::fromStdString(f.path("ttyUSB9"))).open(QIODevice::WriteOnly);
             f.link(3, "../../ttyUSB9");
             return f.path("ttyUSB9");
         }},
        {"adapter unplugged: the link dangles",
         [](const TempPortFolder& f) {
             f.link(3, f.path("gone/ttyUSB0"));
             return f.path("gone/ttyUSB0");
         },
         true},
    };
    for (const Case& c : cases) {
        TempPortFolder folder;
        const std::string expected = c.makeEntry(folder);
        const ResolvedPort resolved = resolvePort("com3");
        EXPECT_EQ(resolved.device, expected) << c.name;
        EXPECT_EQ(resolved.comPort, 3) << c.name;
        EXPECT_EQ(resolved.problem.has_value(), c.missing) << c.name;
        if (c.missing) {
            EXPECT_EQ(resolved.problem->code, core::ErrorCode::NotFound) << c.name;
        }
    }
    for (int port : {-1, 0, 9, 256}) {
        EXPECT_EQ(resolvePort(port).device, "") << port;
    }
}

TEST(PortAuthority, TheSimulatorTakesAnEntryOnlyWhenItIsFreeOrLeftBehind) {
    struct Case {
        const char* name;
        std::function<void(const TempPortFolder&, const std::string& device, const std::string& inUse)>
            existing;
        bool taken;
    };
    const Case cases[] = {
        {"no folder yet", [](const TempPortFolder&, const std::string&, const std::string&) {}, true},
        {"a simulator link whose terminal is gone",
         [](const TempPortFolder& f, const std::string&, const std::string&) {
             f.link(2, "/dev/pts/987654");
         },
         true},
        {"our own terminal number left behind",
         [](const TempPortFolder& f, const std::string& device, const std::string&) { f.link(2, device); },
         true},
        {"the user's adapter",
         [](const TempPortFolder& f, const std::string&, const std::string&) { f.link(2, "/dev/ttyUSB0"); },
         false},
        {"another simulator's terminal",
         [](const TempPortFolder& f, const std::string&, const std::string& inUse) { f.link(2, inUse); },
         false},
        {"a file that is not a link",
         [](const TempPortFolder& f, const std::string&, const std::string&) {
             fs::create_directories(f.path("veltara/ports"));
             QFile(QString::fromStdString(f.path("veltara/ports/COM2"))).open(QIODevice::WriteOnly);
         },
         false},
    };
    sim::ConverterSimulator other(sim::ReplyMode::Ack, nullptr);
    ASSERT_TRUE(other.open());
    for (const Case& c : cases) {
        TempPortFolder folder;
        sim::ConverterSimulator simulator(sim::ReplyMode::Ack, nullptr);
        ASSERT_TRUE(simulator.open());
        c.existing(folder, simulator.devicePath(), other.devicePath());
        const std::string entry = portEntryPath(2).value();
        const std::string before = linkTarget(entry);
        {
            ComLink link;
            const core::Status created = link.create(2, simulator.devicePath());
            EXPECT_EQ(created.ok(), c.taken) << c.name;
            if (c.taken) {
                EXPECT_EQ(resolvePort(2).device, simulator.devicePath()) << c.name;
            } else {
                EXPECT_EQ(created.error().code, core::ErrorCode::Busy) << c.name;
                EXPECT_EQ(linkTarget(entry), before) << c.name << ": the entry was touched";
            }
        }
        EXPECT_EQ(fs::exists(fs::symlink_status(entry)), !c.taken) << c.name;
    }
    // Someone re-points the entry meanwhile: it is theirs now, and stays.
    TempPortFolder folder;
    {
        ComLink link;
        ASSERT_TRUE(link.create(6, other.devicePath()));
        fs::remove(portEntryPath(6).value());
        fs::create_symlink("/dev/ttyUSB1", portEntryPath(6).value());
    }
    EXPECT_EQ(linkTarget(portEntryPath(6).value()), "/dev/ttyUSB1");
}

// Qt's own lock, lockdev's and minicom's: a live holder is honoured and named, a dead one's lock is taken.
TEST(PortAuthority, LockFilesOfEveryFormatAreHonouredWhileTheirHolderLives) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const std::string lock = lockFilePath(pty.path());
    ASSERT_FALSE(lock.empty());
    const std::string self = std::to_string(::getpid());
    // A process number that is surely free: above any the kernel hands out.
    const std::string dead = "4194305";
    struct Case {
        const char* name;
        std::string text;
        bool busy;
        std::string words;
    };
    const Case cases[] = {
        {.name = "Qt, live",
         .text = self + "\nholder\n" + QSysInfo::machineHostName().toStdString() + "\n",
         .busy = true,
         .words = "PID " + self},
        {.name = "lockdev, live",
         .text = std::string(10 - self.size(), ' ') + self + "\n",
         .busy = true,
         .words = "PID " + self},
        {.name = "minicom, live",
         .text = std::string(10 - self.size(), ' ') + self + " minicom root\n",
         .busy = true,
         .words = "PID " + self},
        {.name = "Qt, another machine",
         .text = "1\nholder\nveltara-other-host\n",
         .busy = true,
         .words = "on veltara-other-host"},
        {.name = "lockdev, dead", .text = "   " + dead + "\n", .busy = false, .words = ""},
        {.name = "Qt, dead", .text = dead + "\nholder\n\n", .busy = false, .words = ""},
        {.name = "no process number", .text = "garbage\n", .busy = true, .words = "names no process"}};
    for (const Case& c : cases) {
        {
            QFile file(QString::fromStdString(lock));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << lock;
            file.write(c.text.data(), static_cast<qint64>(c.text.size()));
        }
        const core::Status checked = checkBeforeOpen(pty.path());
        EXPECT_EQ(!checked.ok(), c.busy) << c.name;
        if (c.busy) {
            EXPECT_EQ(checked.error().code, core::ErrorCode::Busy) << c.name;
            EXPECT_NE(checked.error().text.find(c.words), std::string::npos)
                << c.name << ": " << checked.error().text;
            EXPECT_NE(checked.error().text.find(lock), std::string::npos) << c.name;
        }
        EXPECT_EQ(fs::exists(lock), c.busy) << c.name << ": only a dead holder's lock is removed";
        fs::remove(lock);
    }
}

}  // namespace
}  // namespace veltara::qt::ports
