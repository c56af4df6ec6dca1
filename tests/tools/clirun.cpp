#include "clirun.h"

#include <QProcessEnvironment>
#include <algorithm>

#include "helperprogram.h"

namespace veltara::test {

CliRun runProgram(const QStringList& arguments, const CliStart& start) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!start.configHome.empty()) {
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(start.configHome));
    }
    process.setProcessEnvironment(environment);
    std::vector<std::string> command{VELTARA_CLI_PATH};
    for (const QString& a : arguments) {
        command.push_back(a.toStdString());
    }
    if (start.unprivileged != nullptr) {
        command = start.unprivileged->command({command.begin() + 1, command.end()});
    }
    if (!start.environment.empty()) {
        // runuser sets HOME itself: env, run after it, has the last word.
        std::vector<std::string> env{"/usr/bin/env"};
        for (const std::string& e : start.environment) {
            if (e.starts_with('-')) {
                env.insert(env.end(), {"-u", e.substr(1)});
            } else {
                env.push_back(e);
            }
        }
        const auto program = start.unprivileged != nullptr && command.front() != VELTARA_CLI_PATH
                                 ? std::find(command.begin(), command.end(), "--") + 1
                                 : command.begin();
        command.insert(program, env.begin(), env.end());
    }
    process.setProgram(QString::fromStdString(command.front()));
    QStringList rest;
    for (std::size_t i = 1; i < command.size(); ++i) {
        rest << QString::fromStdString(command[i]);
    }
    process.setArguments(rest);
    process.setWorkingDirectory(QString::fromStdString(start.directory.string()));
    process.start();
    if (!start.input.empty()) {
        process.write(start.input.data(), static_cast<qint64>(start.input.size()));
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

}  // namespace veltara::test
