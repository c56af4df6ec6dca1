#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <optional>

#include "linesettings.h"
#include "link/serialcontrol.h"
#include "portauthority.h"
#include "serialdriver.h"

namespace veltara::qt {

// The dialog's serial control on QSerialPort: COMn opens the device that the port authority resolves it to,
// binary, without flow control, with DTR and RTS as the driver sets them. The counts include what the driver
// still holds, so the reply window starts once the frame is on the line. A port that fails under the
// dialog (adapter unplugged) is closed at its first read, write or resource error and reported once.
class QtSerialControl final : public QObject, public core::SerialControl {
    Q_OBJECT

public:
    explicit QtSerialControl(QObject* parent = nullptr);
    ~QtSerialControl() override;

    core::Result<bool> portOpen() const override;
    core::Status setPortOpen(bool open) override;
    core::Status setCommPort(int port) override;
    core::Status setInputLen(int length) override;
    core::Status setInBufferSize(int size) override;
    core::Result<int> inBufferCount() override;
    core::Status setInBufferCount(int count) override;
    core::Result<int> outBufferCount() override;
    core::Status setOutBufferCount(int count) override;
    core::Status setSettings(std::string_view settings) override;
    core::Status output(std::span<const std::uint8_t> bytes) override;
    core::Result<std::vector<std::uint8_t>> input() override;
    std::string deviceName(int port) const override;

    int commPort() const { return m_commPort; }
    // Opens this device (or COM name) whatever the port number says (the command-line tool's --port);
    // empty restores the port number.
    void setDeviceOverride(const QString& device) { m_deviceOverride = device; }
    const LineSettings& lineSettings() const { return m_line; }

signals:
    // The open port failed (device gone, I/O error) and has been closed; the text is the system's words.
    void portFailed(const core::Error& failure);

private:
    void onErrorOccurred(QSerialPort::SerialPortError error);
    core::Status usable() const;
    core::Error openFailure(const QString& device) const;
    core::Status applyLineSettings();
    core::Result<int> driverQueue(driver::Direction direction);
    void pushPending();
    void fail(const core::Error& failure);

    ports::ResolvedPort resolve(int port) const;

    QSerialPort* m_port;

    int m_commPort = kDefaultCommPort;
    QString m_deviceOverride;
    int m_inputLen = 0;
    int m_inBufferSize = kDefaultInBufferSize;
    LineSettings m_line;
    // Why the port closed itself; operations report it until the port is opened or closed again.
    std::optional<core::Error> m_failure;

    static constexpr int kDefaultCommPort = 1;
    static constexpr int kDefaultInBufferSize = 1024;
};

}  // namespace veltara::qt
