#include "programreport.h"

#include <QDateTime>
#include <QJsonArray>
#include <QSysInfo>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "commands.h"
#include "dialog/dialog.h"
#include "hexbytes.h"
#include "jsontext.h"

namespace veltara::cli {

using namespace core;

namespace {

// Enough to tell an echo of the frame from noise without filling the line.
constexpr std::size_t kReplyBytesShown = 8;

std::string byteText(std::uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

long long millisOf(std::chrono::nanoseconds duration) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
}

// "2026-12-08T14:03:38.375+01:00": the offset always written out, also for UTC, so that lines from
// stations in different zones sort and compare without guessing.
QString isoTimeWithOffset(const QDateTime& time) {
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString("yyyy-MM-ddTHH:mm:ss.zzz") + (offset < 0 ? '-' : '+') +
           QString("%1:%2").arg(minutes / 60, 2, 10, QChar('0')).arg(minutes % 60, 2, 10, QChar('0'));
}

}  // namespace

std::string verdictReason(const ExchangeResult& result) {
    const auto& reply = result.reply;
    switch (result.verdict) {
        case Verdict::Accepted:
            return "answered " + byteText(kAcknowledge);
        case Verdict::Silent:
            return "no answer within the window";
        case Verdict::WrongReply:
            return "answered " + byteText(reply.empty() ? 0 : reply.front());
        case Verdict::ExtraBytes: {
            const std::size_t shown = std::min(reply.size(), kReplyBytesShown);
            return "answered " + std::to_string(reply.size()) + " bytes (" +
                   formatHexBytes(std::span(reply).first(shown)) + (shown < reply.size() ? " ..." : "") + ")";
        }
        case Verdict::AnsweredLate:
            return "answered late, " + std::to_string(millisOf(result.late)) + " ms after the window";
        case Verdict::Paused:
            return "paused during the window (stopped or suspended), so when an answer came is unknown";
        case Verdict::SettingsRefused:
            return "settings refused before sending";
        case Verdict::PortNotOpen:
            return "could not open: " + result.failure.text;
        case Verdict::LinkFailed:
            return "the port failed during the exchange: " + result.failure.text;
        case Verdict::Stopped:
            return "stopped before the converter was judged";
        case Verdict::NotRun:
        case Verdict::PortChanged:
            break;
    }
    return "not tried";
}

const char* verdictMessage(Verdict verdict) {
    switch (verdict) {
        case Verdict::Accepted:
            return Dialog::kConfigSucceeds;
        case Verdict::PortNotOpen:
            // What the window says when "Program Config" finds no open port.
            return Dialog::kPortFailure;
        default:
            return Dialog::kConfigFails;
    }
}

int verdictExitCode(Verdict verdict) {
    switch (verdict) {
        case Verdict::Accepted:
            return kExitSuccess;
        case Verdict::Silent:
        case Verdict::WrongReply:
        case Verdict::ExtraBytes:
        case Verdict::AnsweredLate:
        case Verdict::Paused:
            return kExitConverterSaidNo;
        case Verdict::NotRun:
        case Verdict::SettingsRefused:
        case Verdict::PortNotOpen:
        case Verdict::LinkFailed:
        case Verdict::PortChanged:
        case Verdict::Stopped:
            break;
    }
    return kExitUsageOrIo;
}

std::string resultLine(const PortReport& report) {
    return report.target.name + " (" + report.target.device.toStdString() +
           "): " + verdictMessage(report.result.verdict) + " " + verdictReason(report.result) + ", " +
           std::to_string(millisOf(report.result.elapsed)) + " ms";
}

void addText(QJsonObject& object, const QString& key, std::string_view bytes) {
    object[key] = QString::fromStdString(readableUtf8(bytes));
    if (!isUtf8(bytes)) {
        object[key + "_hex"] = QString::fromStdString(
            formatHexBytes(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())));
    }
}

QJsonObject resultJson(const PortReport& report) {
    const ExchangeResult& result = report.result;
    QJsonObject object;
    addText(object, "port", report.target.name);
    object["device"] = report.target.device;
    object["verdict"] = QString::fromUtf8(verdictKey(result.verdict));
    object["accepted"] = result.verdict == Verdict::Accepted;
    object["message"] = verdictMessage(result.verdict);
    addText(object, "reason", verdictReason(result));
    object["reply"] = QString::fromStdString(formatHexBytes(result.reply));
    object["reply_bytes"] = static_cast<qint64>(result.reply.size());
    object["elapsed_ms"] = millisOf(result.elapsed);
    if (result.verdict == Verdict::AnsweredLate) {
        object["late_ms"] = millisOf(result.late);
    }
    return object;
}

QJsonObject logEntry(const PortReport& report, std::string_view frameHex,
                     const std::vector<qt::SerialDevice>& devices) {
    QJsonObject entry = resultJson(report);
    entry["time"] = isoTimeWithOffset(QDateTime::currentDateTime());
    entry["host"] = QSysInfo::machineHostName();
    entry["frame"] = QString::fromUtf8(frameHex.data(), static_cast<qsizetype>(frameHex.size()));
    entry["version"] = VELTARA_VERSION;
    const auto device = qt::findSerialDevice(devices, report.target.device.toStdString());
    entry["by_id"] = device && !device->byId.empty() ? QJsonValue(QString::fromStdString(device->byId))
                                                     : QJsonValue(QJsonValue::Null);
    entry["usb_serial"] = device && !device->serialNumber.empty()
                              ? QJsonValue(QString::fromStdString(device->serialNumber))
                              : QJsonValue(QJsonValue::Null);
    return entry;
}

}  // namespace veltara::cli
