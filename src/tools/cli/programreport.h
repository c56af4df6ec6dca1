#pragma once

#include <QJsonObject>
#include <string>
#include <string_view>
#include <vector>

#include "gangprogrammer.h"
#include "serial/serialdevices.h"

namespace veltara::cli {

// Why a port got its verdict, as a production line reads it: "no answer within the window".
std::string verdictReason(const core::ExchangeResult& result);
// The window's words for the verdict: its success message, or its one failure message.
const char* verdictMessage(core::Verdict verdict);
// 0 accepted, 1 the converter said no or could not be judged, 2 the port failed.
int verdictExitCode(core::Verdict verdict);

// "COM1 (/dev/ttyUSB0): Configuration fails! no answer within the window, 1032 ms"
std::string resultLine(const PortReport& report);
// One element of the results: port as typed, device, verdict, reason, reply and time.
QJsonObject resultJson(const PortReport& report);
// The same with what traces the board: time, host, by-id name, serial number, frame, version.
QJsonObject logEntry(const PortReport& report, std::string_view frameHex,
                     const std::vector<qt::SerialDevice>& devices);

// A text member from bytes that need not be UTF-8: the readable text, and the bytes in hex beside it
// under `key_hex` when the text alone would lose some.
void addText(QJsonObject& object, const QString& key, std::string_view bytes);

}  // namespace veltara::cli
