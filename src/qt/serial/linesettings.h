#pragma once

#include <QSerialPort>
#include <string_view>

#include "common/result.h"

namespace veltara::qt {

// A line setting as the dialog writes it, "9600,N,8,1": baud rate, parity, data bits, stop bits.
struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    bool operator==(const LineSettings&) const = default;
};

// Parity is one of N, E, O, M, S (either case), data bits 5..8, stop bits 1, 1.5 or 2. Anything else,
// spaces included, is refused with ErrorCode::InvalidArgument.
core::Result<LineSettings> parseLineSettings(std::string_view text);

}  // namespace veltara::qt
