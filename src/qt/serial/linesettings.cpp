#include "linesettings.h"

#include <charconv>
#include <string>
#include <vector>

namespace veltara::qt {

namespace {

// Fast enough for any UART or USB adapter; a larger number is a typing slip, not a rate.
constexpr qint32 kMaxBaudRate = 4'000'000;

std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(
            text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

bool parseBaudRate(std::string_view field, qint32& baud) {
    if (field.empty() || field.front() < '0' || field.front() > '9') {
        return false;
    }
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), baud);
    return error == std::errc{} && end == field.data() + field.size() && baud > 0 && baud <= kMaxBaudRate;
}

bool parseParity(std::string_view field, QSerialPort::Parity& parity) {
    if (field.size() != 1) {
        return false;
    }
    switch (field.front()) {
        case 'N':
        case 'n':
            parity = QSerialPort::NoParity;
            return true;
        case 'E':
        case 'e':
            parity = QSerialPort::EvenParity;
            return true;
        case 'O':
        case 'o':
            parity = QSerialPort::OddParity;
            return true;
        case 'M':
        case 'm':
            parity = QSerialPort::MarkParity;
            return true;
        case 'S':
        case 's':
            parity = QSerialPort::SpaceParity;
            return true;
        default:
            return false;
    }
}

bool parseDataBits(std::string_view field, QSerialPort::DataBits& bits) {
    if (field.size() != 1 || field.front() < '5' || field.front() > '8') {
        return false;
    }
    bits = static_cast<QSerialPort::DataBits>(field.front() - '0');
    return true;
}

bool parseStopBits(std::string_view field, QSerialPort::StopBits& bits) {
    if (field == "1") {
        bits = QSerialPort::OneStop;
    } else if (field == "1.5") {
        bits = QSerialPort::OneAndHalfStop;
    } else if (field == "2") {
        bits = QSerialPort::TwoStop;
    } else {
        return false;
    }
    return true;
}

}  // namespace

core::Result<LineSettings> parseLineSettings(std::string_view text) {
    const std::vector<std::string_view> fields = splitFields(text);
    LineSettings line;
    if (fields.size() != 4 || !parseBaudRate(fields[0], line.baudRate) ||
        !parseParity(fields[1], line.parity) || !parseDataBits(fields[2], line.dataBits) ||
        !parseStopBits(fields[3], line.stopBits)) {
        return core::makeError(core::ErrorCode::InvalidArgument,
                               "Invalid line settings \"" + std::string(text) +
                                   "\": expected baud,parity,data bits,stop bits such as 9600,N,8,1");
    }
    return line;
}

}  // namespace veltara::qt
