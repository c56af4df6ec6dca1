// The real program ended without its window being closed: a signal at logout, a closed terminal or
// Ctrl-C, or the display going away, on an X server and in a Wayland session. Each saves as closing
// the window does.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "dialog/dialog.h"
#include "drillsupport.h"
#include "ptypair.h"
#include "session.h"
#include "tempportfolder.h"
#include "validation/entryrules.h"
#include "xclient.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Generous: the drills must pass on a machine busy with other builds.
constexpr auto kStart = 30s;
constexpr auto kEnd = 15s;

bool waitFor(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// What closing the window leaves in a file that starts with `content` (empty: no file).
Bytes savedByClosing(const Bytes& content) {
    TempDir dir;
    ScopedCurrentDirectory cwd(dir.path());
    if (!content.empty()) {
        writeBytes(dir / "quorvel.ini", content);
    }
    HeadlessSession s;
    s.start();
    s.close();
    return readBytes(dir / "quorvel.ini");
}

// The desktop the program runs on, started and stopped by the drill: an X server, or a Wayland
// compositor with XWayland as GNOME runs it, its sockets in a runtime folder of its own.
class Desktop {
public:
    enum class Kind { X11, Wayland };

    explicit Desktop(Kind kind) {
        if (kind == Kind::X11) {
            // Xvfb picks a free display and writes its number once it takes connections.
            m_server = std::make_unique<Child>(
                std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", "1", "-nolisten", "tcp"});
            const std::string number = m_server->waitForLine(
                [](const std::string& line) {
                    return !line.empty() &&
                           std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
                },
                kStart);
            m_display = number.empty() ? "" : ":" + number;
            m_session = {"DISPLAY=" + m_display};
            return;
        }
        // weston binds XWayland's socket in the folder that a desktop's boot makes and Xvfb makes itself.
        std::error_code error;
        if (fs::create_directory("/tmp/.X11-unix", error)) {
            fs::permissions("/tmp/.X11-unix", fs::perms::all | fs::perms::sticky_bit, error);
        }
        m_server = std::make_unique<Child>(std::vector<std::string>{
            "/usr/bin/env", "XDG_RUNTIME_DIR=" + m_runtime.path().string(), "/usr/bin/weston", "--no-config",
            "--backend=headless-backend.so", "--socket=veltara-drill", "--idle-time=0", "--xwayland"});
        const std::string prefix = "xserver listening on display ";
        const std::string line = m_server->waitForLine(
            [&](const std::string& l) { return l.find(prefix) != std::string::npos; }, kStart);
        m_display = line.empty() ? "" : line.substr(line.find(prefix) + prefix.size());
        // As a Wayland session sets them; Qt alone would choose its Wayland plug-in here when installed.
        m_session = {"DISPLAY=" + m_display, "WAYLAND_DISPLAY=veltara-drill",
                     "XDG_RUNTIME_DIR=" + m_runtime.path().string(), "XDG_SESSION_TYPE=wayland"};
    }

    ~Desktop() {
        if (m_server->started()) {
            end(SIGTERM);
        }
    }

    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // ":N", empty when the server did not come up.
    const std::string& display() const { return m_display; }
    const std::vector<std::string>& session() const { return m_session; }
    std::string output() const { return m_server->output(); }

    // True when the server ended within the limit.
    bool end(int signalNumber) {
        const pid_t pid = m_server->pid();
        m_server->send(signalNumber);
        const bool ended = m_server->finish(kEnd);
        // A killed server leaves its display's lock and socket behind; the next one must not trip on them.
        const std::string number = m_display.empty() ? "" : m_display.substr(1);
        const fs::path lock = "/tmp/.X" + number + "-lock";
        pid_t owner = 0;
        if (!number.empty() && (std::ifstream(lock) >> owner) && owner == pid) {
            fs::remove(lock);
            fs::remove("/tmp/.X11-unix/X" + number);
        }
        return ended;
    }

private:
    TempDir m_runtime;
    std::unique_ptr<Child> m_server;
    std::string m_display;
    std::vector<std::string> m_session;
};

enum class Ending { CloseWindow, SignalProgram, SignalDisplay };

struct Case {
    const char* name;
    Ending ending;
    int signal = 0;                              // to the program, or to the display server or compositor
    Bytes content{};                             // the settings file before the start; empty: none
    const char* shows = core::Dialog::kCaption;  // the window the drill waits for before it acts
    const char* fileSizeLimit = nullptr;
    bool saves = true;
    const char* stderrPart = "";
};

void runDrill(Desktop::Kind kind, const Case& c) {
    SCOPED_TRACE(c.name);
    Desktop desktop(kind);
    ASSERT_FALSE(desktop.display().empty()) << desktop.output();
    TempDir dir;
    ScopedCurrentDirectory cwd(dir.path());
    if (!c.content.empty()) {
        writeBytes(dir / "quorvel.ini", c.content);
    }
    // The start-up default port and the saved one open, so that no port message comes before the window.
    TempPortFolder ports;
    PtyPair com1;
    PtyPair com3;
    ASSERT_TRUE(ports.link(1, com1.path()) && ports.link(3, com3.path()));
    // The program picks its window system itself, from the session's variables alone.
    std::vector<std::string> argv{"/usr/bin/env",        "-u", "QT_QPA_PLATFORM",    "-u",
                                  "WAYLAND_DISPLAY",     "-u", "XDG_SESSION_TYPE",   "-u",
                                  "XDG_CURRENT_DESKTOP", "-u", "XDG_SESSION_DESKTOP"};
    argv.insert(argv.end(), desktop.session().begin(), desktop.session().end());
    if (c.fileSizeLimit != nullptr) {
        argv.insert(argv.end(), {"prlimit", c.fileSizeLimit});
    }
    argv.push_back(VELTARA_PROGRAM);
    Child program(argv);
    ASSERT_TRUE(program.started());
    XClient x(desktop.display());
    std::uint32_t window = 0;
    ASSERT_TRUE(waitFor([&] { return (window = x.shownWindow(c.shows)) != 0; }, kStart))
        << "no window \"" << c.shows << "\" on " << desktop.display() << "\n"
        << program.output();
    switch (c.ending) {
        case Ending::CloseWindow:
            x.close(window);
            break;
        case Ending::SignalProgram:
            program.send(c.signal);
            break;
        case Ending::SignalDisplay:
            EXPECT_TRUE(desktop.end(c.signal));
            break;
    }
    ASSERT_TRUE(program.finish(kEnd)) << program.output();
    const int expectedCode = c.ending == Ending::CloseWindow     ? 0
                             : c.ending == Ending::SignalProgram ? 128 + c.signal
                                                                 : 1;
    EXPECT_EQ(program.signal(), 0);
    EXPECT_EQ(program.exitCode(), expectedCode) << program.output();
    EXPECT_EQ(readBytes(dir / "quorvel.ini"), c.saves ? savedByClosing(c.content) : c.content);
    EXPECT_NE(program.output().find(c.stderrPart), std::string::npos) << program.output();
}

Bytes savedBytes() {
    return slotBytes(savedRecord());
}

// Start-up holds a message box open.
Bytes badPeriodBytes() {
    ConverterSettings r = savedRecord();
    r.PeriodmsCount.store("0");
    return slotBytes(r);
}

TEST(ShutdownDrill, SignalsAndALostDisplaySaveAsClosingTheWindowDoes) {
    if (::access("/usr/bin/Xvfb", X_OK) != 0) {
        FAIL() << "Xvfb is missing: scripts/setup-debian.sh installs it";
    }
    const Case cases[] = {{.name = "window closed", .ending = Ending::CloseWindow},
                          {.name = "SIGTERM", .ending = Ending::SignalProgram, .signal = SIGTERM},
                          {.name = "SIGHUP", .ending = Ending::SignalProgram, .signal = SIGHUP},
                          {.name = "SIGINT", .ending = Ending::SignalProgram, .signal = SIGINT},
                          {.name = "SIGTERM while a start-up message is open",
                           .ending = Ending::SignalProgram,
                           .signal = SIGTERM,
                           .content = badPeriodBytes(),
                           .shows = core::kInputDataErrorTitle},
                          {.name = "SIGTERM under a file-size limit below the record",
                           .ending = Ending::SignalProgram,
                           .signal = SIGTERM,
                           .content = savedBytes(),
                           .fileSizeLimit = "--fsize=100",
                           .saves = false,
                           .stderrPart = "The settings were not saved"},
                          // The X server ends its clients' connections as it goes.
                          {.name = "display gone", .ending = Ending::SignalDisplay, .signal = SIGTERM},
                          {.name = "display gone during a start-up message: nothing half-applied is saved",
                           .ending = Ending::SignalDisplay,
                           .signal = SIGTERM,
                           .content = badPeriodBytes(),
                           .shows = core::kInputDataErrorTitle,
                           .saves = false}};
    for (const Case& c : cases) {
        runDrill(Desktop::Kind::X11, c);
    }
}

TEST(ShutdownDrill, InAWaylandSessionTheWindowRunsOnXWaylandAndSavesWhenTheCompositorGoes) {
    if (::access("/usr/bin/weston", X_OK) != 0 || ::access("/usr/bin/Xwayland", X_OK) != 0) {
        const char* message = "weston and Xwayland are needed: scripts/setup-debian.sh installs them";
        if (std::getenv("CI") != nullptr) {
            FAIL() << message;
        }
        GTEST_SKIP() << message;
    }
    const Case cases[] = {{.name = "window closed", .ending = Ending::CloseWindow},
                          {.name = "SIGTERM", .ending = Ending::SignalProgram, .signal = SIGTERM},
                          // The compositor takes XWayland with it, whether it shuts down or crashes.
                          {.name = "compositor ends", .ending = Ending::SignalDisplay, .signal = SIGTERM},
                          {.name = "compositor crashes", .ending = Ending::SignalDisplay, .signal = SIGKILL},
                          {.name = "compositor gone during a start-up message: nothing half-applied is saved",
                           .ending = Ending::SignalDisplay,
                           .signal = SIGKILL,
                           .content = badPeriodBytes(),
                           .shows = core::kInputDataErrorTitle,
                           .saves = false}};
    for (const Case& c : cases) {
        runDrill(Desktop::Kind::Wayland, c);
    }
}

}  // namespace
}  // namespace veltara::test
