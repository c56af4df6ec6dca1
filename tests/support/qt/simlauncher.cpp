#include "simlauncher.h"

#include <QDeadlineTimer>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace veltara::test {

QString SimLauncher::start(const Start& how) {
    m_process.setProgram(QStringLiteral(VELTARA_SIM_PATH));
    m_process.setArguments(how.arguments);
    m_process.setProcessEnvironment(how.environment);
#ifdef Q_OS_UNIX
    if (how.umask >= 0) {
        const auto mask = static_cast<mode_t>(how.umask);
        m_process.setChildProcessModifier([mask] { ::umask(mask); });
    }
#endif
    m_process.start();
    if (!m_process.waitForStarted(static_cast<int>(std::chrono::milliseconds(kDeadline).count()))) {
        return {};
    }
    // Its first line, before it touches a port folder.
    if (const std::string line = nextLine(); line.starts_with("device ")) {
        m_device = QString::fromStdString(line.substr(7));
    }
    return m_device;
}

std::string SimLauncher::nextLine() {
    const QDeadlineTimer deadline(kDeadline);
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return {};
        }
    }
    return m_process.readLine().trimmed().toStdString();
}

std::string SimLauncher::waitForLine(const std::string& text) {
    const QDeadlineTimer deadline(kDeadline);
    for (;;) {
        while (!m_process.canReadLine()) {
            if (deadline.hasExpired() ||
                !m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
                return {};
            }
        }
        if (std::string line = m_process.readLine().trimmed().toStdString();
            line.find(text) != std::string::npos) {
            return line;
        }
    }
}

int SimLauncher::waitForExit() {
    if (m_process.state() != QProcess::NotRunning &&
        !m_process.waitForFinished(static_cast<int>(std::chrono::milliseconds(kDeadline).count()))) {
        return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

int SimLauncher::stop() {
    if (m_process.state() == QProcess::NotRunning) {
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    m_process.terminate();
    if (!m_process.waitForFinished(static_cast<int>(std::chrono::milliseconds(kDeadline).count()))) {
        m_process.kill();
        m_process.waitForFinished();
        return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

}  // namespace veltara::test
