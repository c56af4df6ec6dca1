#pragma once

#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <string>
#include <vector>

namespace veltara::test {

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

class UnprivilegedHelper;

// How a test starts the program: its folder, its standard input, its configuration folder, and whether
// it runs as a user whom file modes hold back.
struct CliStart {
    std::filesystem::path directory = std::filesystem::temp_directory_path();
    std::string input;
    std::string configHome;  // XDG_CONFIG_HOME; empty keeps the test's own
    // Set last, as env(1) takes them: "NAME=value" sets, "-NAME" unsets (also for another user).
    std::vector<std::string> environment;
    const UnprivilegedHelper* unprivileged = nullptr;
};

CliRun runProgram(const QStringList& arguments, const CliStart& start);

inline CliRun runCli(const QStringList& arguments, const std::filesystem::path& directory) {
    CliStart start;
    start.directory = directory;
    return runProgram(arguments, start);
}

}  // namespace veltara::test
