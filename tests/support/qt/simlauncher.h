#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <chrono>
#include <string>

namespace veltara::test {

// veltara-sim in its own process, as a user starts it: it serves one pseudo-terminal, prints a line for
// each frame and reply, and stops on SIGTERM. Stopped when the launcher goes.
class SimLauncher {
public:
    // Generous, as each wait ends at the line it is for: it only runs out when that line never comes.
    static constexpr std::chrono::seconds kDeadline{30};

    struct Start {
        QStringList arguments;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        int umask = -1;  // the file mode mask it starts with; -1 keeps the test's own
    };

    SimLauncher() = default;
    explicit SimLauncher(const QStringList& arguments) { start({.arguments = arguments}); }
    ~SimLauncher() { stop(); }
    SimLauncher(const SimLauncher&) = delete;
    SimLauncher& operator=(const SimLauncher&) = delete;

    // Starts it and waits for the line that names its device: that device, or empty when it did not come.
    QString start(const Start& how);
    const QString& device() const { return m_device; }

    // The next line it prints, without the line end, or empty when none comes before the deadline.
    std::string nextLine();
    // The next line that holds `text`, or empty when none comes before the deadline.
    std::string waitForLine(const std::string& text);

    // Waits for it to end by itself: its exit code, or -1 when it crashed or is still running.
    int waitForExit();
    // Asks it to stop as Ctrl-C would and waits: its exit code, or -1 when it crashed or had to be killed.
    int stop();
    QByteArray readAllStandardError() { return m_process.readAllStandardError(); }

private:
    QProcess m_process;
    QString m_device;
};

}  // namespace veltara::test
