#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "helperprogram.h"
#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct HelperRun {
    int status = -1;
    std::string output;
    std::vector<std::string> load;    // message texts at start-up
    std::vector<std::string> unload;  // message texts at shutdown
    std::string com;
};

std::string shellQuoted(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// The session helper, started in `directory` as a user whom the modes set below hold back.
HelperRun runUnprivileged(const UnprivilegedHelper& helper, const fs::path& directory) {
    std::string command;
    for (const std::string& word : helper.command({directory.string()})) {
        command += shellQuoted(word) + " ";
    }
    command += "2>&1";
    HelperRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        run.output += buffer;
    }
    run.status = ::pclose(pipe);
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const auto tab = line.find('\t');
        const std::string phase = line.substr(0, tab);
        const std::string rest = line.substr(tab + 1);
        if (phase == "COM") {
            run.com = rest;
        } else if (phase == "load" || phase == "unload") {
            EXPECT_EQ(rest.substr(0, rest.find('\t')), "Veltara") << line;
            (phase == "load" ? run.load : run.unload).push_back(rest.substr(rest.find('\t') + 1));
        }
    }
    return run;
}

TEST(FilePermissions, AFileThatCannotBeWrittenIsReportedAndKeptAsItWas) {
    const UnprivilegedHelper helper(VELTARA_SESSION_HELPER);
    ASSERT_EQ(helper.problem(), "");
    struct Case {
        const char* name;
        bool fileExists;
        mode_t fileMode;
        std::vector<std::string> load;  // a part of each start-up message, in order
        std::string unload;
        std::string com;  // "2": the saved COM3 was read; "0": start-up defaults
    };
    const Case cases[] = {{.name = "read-only file",
                           .fileExists = true,
                           .fileMode = 0444,
                           .load = {"can be read but not written (Permission denied)"},
                           .unload = "cannot be written: Permission denied",
                           .com = "2"},
                          {.name = "unreadable file",
                           .fileExists = true,
                           .fileMode = 0000,
                           .load = {"cannot be opened: Permission denied", "cannot be read"},
                           .unload = "could not be opened (Permission denied)",
                           .com = "0"},
                          {.name = "no file in a read-only directory",
                           .fileExists = false,
                           .fileMode = 0,
                           .load = {"cannot be opened: Permission denied", "cannot be read"},
                           .unload = "could not be opened (Permission denied)",
                           .com = "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path file = dir / "quorvel.ini";
        const Bytes saved = slotBytes(savedRecord());
        if (c.fileExists) {
            writeBytes(file, saved);
            ASSERT_EQ(::chmod(file.c_str(), c.fileMode), 0);
        }
        ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);

        const HelperRun run = runUnprivileged(helper, dir.path());
        ASSERT_EQ(run.status, 0) << run.output;
        ASSERT_EQ(run.load.size(), c.load.size()) << run.output;
        for (std::size_t i = 0; i < c.load.size(); ++i) {
            EXPECT_NE(run.load[i].find(file.string()), std::string::npos) << run.load[i];
            EXPECT_NE(run.load[i].find(c.load[i]), std::string::npos) << run.load[i];
        }
        EXPECT_EQ(run.com, c.com) << run.output;
        ASSERT_EQ(run.unload.size(), 1u) << run.output;
        EXPECT_NE(run.unload[0].find("The settings were not saved"), std::string::npos) << run.unload[0];
        EXPECT_NE(run.unload[0].find(file.string()), std::string::npos) << run.unload[0];
        EXPECT_NE(run.unload[0].find(c.unload), std::string::npos) << run.unload[0];

        if (c.fileExists) {
            EXPECT_EQ(readBytes(file), saved);
        } else {
            EXPECT_FALSE(fs::exists(file));
        }
    }
}

}  // namespace
}  // namespace veltara::test
