#include "qtserialcontrol.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>
#include <utility>

#include "common/systemerror.h"
#include "portauthority.h"
#include "serialdriver.h"

namespace veltara::qt {

namespace {

using core::Error;
using core::ErrorCode;

// The counts are 16-bit properties.
constexpr qint64 kMaxCount = std::numeric_limits<std::int16_t>::max();
// Input keeps taking from the driver while it holds more; a device that sends faster than we read
// must not keep us here.
constexpr int kMaxPullRounds = 64;

Error notOpen() {
    return {ErrorCode::NotOpen, "The port is not open"};
}

}  // namespace

QtSerialControl::QtSerialControl(QObject* parent) : QObject(parent), m_port(new QSerialPort(this)) {
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    (void)applyLineSettings();  // a closed port only stores them
    connect(m_port, &QSerialPort::errorOccurred, this, &QtSerialControl::onErrorOccurred);
}

QtSerialControl::~QtSerialControl() {
    // Closing below must not report to a half-destroyed object.
    disconnect(m_port, nullptr, this, nullptr);
    m_port->close();
}

core::Result<bool> QtSerialControl::portOpen() const {
    return m_port->isOpen();
}

core::Status QtSerialControl::setPortOpen(bool open) {
    if (!open) {
        m_failure.reset();
        if (m_port->isOpen()) {
            m_port->close();
        }
        return {};
    }
    if (m_port->isOpen()) {
        return Error{ErrorCode::Refused, "The port is already open"};
    }
    m_failure.reset();
    const ports::ResolvedPort resolved = resolve(m_commPort);
    if (resolved.problem) {
        return *resolved.problem;
    }
    // Checked here and not left to Qt: its lock file handling follows links, blocks on a FIFO, reads
    // without limit and breaks any lock older than 30 seconds, whoever holds it.
    if (core::Status usable = ports::checkBeforeOpen(resolved.device); !usable) {
        return usable;
    }
    const QString device = QString::fromStdString(resolved.device);
    m_port->setPortName(device);
    m_port->setReadBufferSize(m_inBufferSize);
    if (!m_port->open(QIODevice::ReadWrite)) {
        const Error error = openFailure(device);
        m_port->clearError();
        return error;
    }
    return {};
}

core::Error QtSerialControl::openFailure(const QString& device) const {
    switch (m_port->error()) {
        case QSerialPort::DeviceNotFoundError:
            return {ErrorCode::NotFound, m_port->errorString().toStdString()};
        case QSerialPort::PermissionError: {
            core::Error error = driver::permissionFailure(device);
            return error.code == ErrorCode::Busy ? ports::busyError(device.toStdString()) : error;
        }
        default:
            return {ErrorCode::Io, m_port->errorString().toStdString()};
    }
}

core::Status QtSerialControl::setCommPort(int port) {
    if (m_port->isOpen()) {
        return Error{ErrorCode::Refused, "The port is open; close it before choosing another"};
    }
    if (port < ports::kFirstCommPort || port > ports::kLastCommPort) {
        return Error{ErrorCode::InvalidArgument,
                     "Invalid port number " + std::to_string(port) + " (COM1 to COM8)"};
    }
    m_commPort = port;
    return {};
}

core::Status QtSerialControl::setInputLen(int length) {
    if (length < 0 || length > kMaxCount) {
        return Error{ErrorCode::InvalidArgument, "Invalid input length " + std::to_string(length)};
    }
    m_inputLen = length;
    return {};
}

core::Status QtSerialControl::setInBufferSize(int size) {
    if (size < 1 || size > kMaxCount) {
        return Error{ErrorCode::InvalidArgument, "Invalid receive buffer size " + std::to_string(size)};
    }
    m_inBufferSize = size;
    // Qt stops reading when its buffer is full and the driver's queue takes the rest, so a device that
    // streams while nobody reads cannot grow our memory without bound.
    m_port->setReadBufferSize(size);
    return {};
}

core::Status QtSerialControl::usable() const {
    if (m_failure) {
        return *m_failure;
    }
    if (!m_port->isOpen()) {
        return notOpen();
    }
    return {};
}

core::Result<int> QtSerialControl::driverQueue(driver::Direction direction) {
    const core::Result<int> queued = driver::queued(m_port->handle(), direction);
    if (!queued) {
        fail(queued.error());
        return *m_failure;
    }
    return queued;
}

core::Result<int> QtSerialControl::inBufferCount() {
    if (const core::Status status = usable(); !status) {
        return status.error();
    }
    // Bytes that arrived since the event loop last ran are still in the driver; they count as well.
    const core::Result<int> queued = driverQueue(driver::Direction::Receive);
    if (!queued) {
        return queued.error();
    }
    return static_cast<int>(std::min(kMaxCount, m_port->bytesAvailable() + queued.value()));
}

core::Status QtSerialControl::setInBufferCount(int count) {
    if (count != 0) {
        return Error{ErrorCode::InvalidArgument, "Only 0 can be written to the receive count (discard)"};
    }
    if (!m_port->isOpen()) {
        return {};  // a closed port holds nothing to discard; opening starts empty anyway
    }
    m_port->clear(QSerialPort::Input);
    // A full buffer makes Qt stop watching the port until a read asks for more, and discarding empties
    // the buffer without asking. Without this a port flooded once would no longer notice a device that
    // vanishes while idle. The read takes nothing: Qt's buffer is empty and it never reads the device here.
    char none = 0;
    (void)m_port->read(&none, 1);
    return usable();
}

core::Result<int> QtSerialControl::outBufferCount() {
    if (const core::Status status = usable(); !status) {
        return status.error();
    }
    pushPending();
    if (m_failure) {
        return *m_failure;
    }
    // The kernel's queue counts too: a byte handed to the driver is not yet on the line.
    const core::Result<int> queued = driverQueue(driver::Direction::Transmit);
    if (!queued) {
        return queued.error();
    }
    return static_cast<int>(std::min(kMaxCount, m_port->bytesToWrite() + queued.value()));
}

core::Status QtSerialControl::setOutBufferCount(int count) {
    if (count != 0) {
        return Error{ErrorCode::InvalidArgument, "Only 0 can be written to the transmit count (discard)"};
    }
    if (!m_port->isOpen()) {
        return {};  // a closed port holds nothing to discard; opening starts empty anyway
    }
    m_port->clear(QSerialPort::Output);
    return usable();
}

core::Status QtSerialControl::setSettings(std::string_view settings) {
    core::Result<LineSettings> parsed = parseLineSettings(settings);
    if (!parsed) {
        return parsed.error();
    }
    m_line = parsed.value();
    return applyLineSettings();
}

core::Status QtSerialControl::applyLineSettings() {
    // Only what changed: every setter rewrites the line, and a pseudo-terminal refuses parity and
    // data-bit changes even to the values it already has.
    const bool applied = (m_port->baudRate() == m_line.baudRate || m_port->setBaudRate(m_line.baudRate)) &&
                         (m_port->parity() == m_line.parity || m_port->setParity(m_line.parity)) &&
                         (m_port->dataBits() == m_line.dataBits || m_port->setDataBits(m_line.dataBits)) &&
                         (m_port->stopBits() == m_line.stopBits || m_port->setStopBits(m_line.stopBits));
    if (applied) {
        return {};
    }
    if (m_failure) {
        return *m_failure;
    }
    Error error{ErrorCode::Refused, m_port->errorString().toStdString()};
    m_port->clearError();
    return error;
}

void QtSerialControl::pushPending() {
    if (m_port->bytesToWrite() == 0) {
        return;
    }
    // Qt writes from the event loop; without waiting for it the frame starts at once. Only when the
    // driver has room, so a full queue is a wait and not a write error.
    if (driver::writable(m_port->handle())) {
        m_port->flush();
    }
}

core::Status QtSerialControl::output(std::span<const std::uint8_t> bytes) {
    if (const core::Status status = usable(); !status) {
        return status;
    }
    const auto size = static_cast<qint64>(bytes.size());
    const qint64 written = m_port->write(reinterpret_cast<const char*>(bytes.data()), size);
    if (m_failure) {
        return *m_failure;
    }
    if (written != size) {
        return Error{ErrorCode::Io, m_port->errorString().toStdString()};
    }
    pushPending();
    return usable();
}

core::Result<std::vector<std::uint8_t>> QtSerialControl::input() {
    if (const core::Status status = usable(); !status) {
        return status.error();
    }
    const qint64 limit = m_inputLen == 0 ? kMaxCount : m_inputLen;
    QByteArray taken = m_port->read(limit);
    for (int round = 0; round < kMaxPullRounds && taken.size() < limit && !m_failure; ++round) {
        const core::Result<int> queued = driverQueue(driver::Direction::Receive);
        if (!queued || queued.value() == 0 || !m_port->waitForReadyRead(0)) {
            break;
        }
        taken += m_port->read(limit - taken.size());
    }
    if (m_failure) {
        return *m_failure;
    }
    // A zero wait that found nothing is not a fault of the port.
    if (m_port->error() == QSerialPort::TimeoutError) {
        m_port->clearError();
    }
    return std::vector<std::uint8_t>(taken.begin(), taken.end());
}

ports::ResolvedPort QtSerialControl::resolve(int port) const {
    return m_deviceOverride.isEmpty() ? ports::resolvePort(port)
                                      : ports::resolvePort(m_deviceOverride.toStdString());
}

std::string QtSerialControl::deviceName(int port) const {
    return resolve(port).device;
}

void QtSerialControl::fail(const Error& failure) {
    if (m_failure) {
        return;
    }
    m_failure = failure;
    // A vanished device keeps raising errors for as long as the port stays open.
    m_port->close();
    emit portFailed(failure);
}

void QtSerialControl::onErrorOccurred(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::ResourceError:
            break;
        default:
            // Open failures are reported by setPortOpen; a zero-time wait raises TimeoutError; a
            // pseudo-terminal refuses the modem-line ioctls with UnsupportedOperationError.
            return;
    }
    if (m_port->isOpen()) {
        fail(driver::hungUp(m_port->handle()) ? core::systemError(EIO)
                                              : Error{ErrorCode::Io, m_port->errorString().toStdString()});
    }
}

}  // namespace veltara::qt
