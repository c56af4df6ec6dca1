// The real program ended without its window being closed: a signal at logout, a closed terminal or
// Ctrl-C, or the display going away. Each saves as closing the window does.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <memory>
#include <thread>

#include "drillsupport.h"
#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

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

TEST(ShutdownDrill, SignalsAndALostDisplaySaveAsClosingTheWindowDoes) {
    const Bytes saved = slotBytes(savedRecord());
    const Bytes badPeriod = [] {
        ConverterSettings r = savedRecord();
        r.PeriodmsCount.store("0");  // start-up holds a message box open
        return slotBytes(r);
    }();
    struct Case {
        const char* name;
        int signal;  // 0: the display goes away
        Bytes content;
        const char* fileSizeLimit;
        bool saves;
        const char* stderrPart;
    };
    const Case cases[] = {{.name = "SIGTERM",
                           .signal = SIGTERM,
                           .content = {},
                           .fileSizeLimit = nullptr,
                           .saves = true,
                           .stderrPart = ""},
                          {.name = "SIGHUP",
                           .signal = SIGHUP,
                           .content = {},
                           .fileSizeLimit = nullptr,
                           .saves = true,
                           .stderrPart = ""},
                          {.name = "SIGINT",
                           .signal = SIGINT,
                           .content = {},
                           .fileSizeLimit = nullptr,
                           .saves = true,
                           .stderrPart = ""},
                          {.name = "SIGTERM while a start-up message is open",
                           .signal = SIGTERM,
                           .content = badPeriod,
                           .fileSizeLimit = nullptr,
                           .saves = true,
                           .stderrPart = ""},
                          {.name = "SIGTERM under a file-size limit below the record",
                           .signal = SIGTERM,
                           .content = saved,
                           .fileSizeLimit = "--fsize=100",
                           .saves = false,
                           .stderrPart = "The settings were not saved"},
                          {.name = "display gone",
                           .signal = 0,
                           .content = {},
                           .fileSizeLimit = nullptr,
                           .saves = true,
                           .stderrPart = ""},
                          {.name = "display gone during a start-up message: nothing half-applied is saved",
                           .signal = 0,
                           .content = badPeriod,
                           .fileSizeLimit = nullptr,
                           .saves = false,
                           .stderrPart = ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Child> display;
        std::vector<std::string> argv{"/usr/bin/env", "QT_QPA_PLATFORM=offscreen"};
        if (c.signal == 0) {
            if (::access("/usr/bin/Xvfb", X_OK) != 0) {
                ADD_FAILURE() << "Xvfb is missing: scripts/setup-debian.sh installs it";
                continue;
            }
            int free = 100 + ::getpid() % 800;
            while (fs::exists("/tmp/.X" + std::to_string(free) + "-lock")) {
                ++free;
            }
            const std::string number = std::to_string(free);
            display = std::make_unique<Child>(
                std::vector<std::string>{"/usr/bin/Xvfb", ":" + number, "-nolisten", "tcp"});
            ASSERT_TRUE(waitFor([&] { return fs::exists("/tmp/.X11-unix/X" + number); }, 10s));
            argv = {"/usr/bin/env", "QT_QPA_PLATFORM=xcb", "DISPLAY=:" + number};
        }
        TempDir dir;
        ScopedCurrentDirectory cwd(dir.path());
        if (!c.content.empty()) {
            writeBytes(dir / "quorvel.ini", c.content);
        }
        if (c.fileSizeLimit != nullptr) {
            argv.insert(argv.end(), {"prlimit", c.fileSizeLimit});
        }
        argv.push_back(VELTARA_PROGRAM);
        Child program(argv);
        ASSERT_TRUE(program.started());
        // The file is opened once the handlers are in place; give the window a moment to appear.
        ASSERT_TRUE(waitFor([&] { return fs::exists(dir / "quorvel.ini"); }, 10s));
        std::this_thread::sleep_for(500ms);
        if (c.signal != 0) {
            program.send(c.signal);
        } else {
            display->send(SIGTERM);  // the X server ends its clients' connections as it goes
            EXPECT_TRUE(display->finish(10s));
        }
        ASSERT_TRUE(program.finish(10s)) << program.output();
        EXPECT_EQ(program.signal(), 0);
        EXPECT_EQ(program.exitCode(), c.signal != 0 ? 128 + c.signal : 1) << program.output();
        EXPECT_EQ(readBytes(dir / "quorvel.ini"), c.saves ? savedByClosing(c.content) : c.content);
        EXPECT_NE(program.output().find(c.stderrPart), std::string::npos) << program.output();
    }
}

}  // namespace
}  // namespace veltara::test
