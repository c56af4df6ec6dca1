#include "framejson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>

#include "dialog/dialogfields.h"
#include "link/framefields.h"

namespace veltara::cli {

using namespace core;

namespace {

FieldValue fieldValue(const QJsonValue& value) {
    switch (value.type()) {
        case QJsonValue::Null:
            return std::monostate{};
        case QJsonValue::Bool:
            return value.toBool();
        case QJsonValue::Double: {
            const double number = value.toDouble();
            // Exactly an integer a frame field can hold; anything else is shown back as it was given.
            if (std::trunc(number) == number && std::fabs(number) < 9.0e15) {
                return static_cast<std::int64_t>(number);
            }
            break;
        }
        case QJsonValue::String:
            return value.toString().toStdString();
        default:
            break;
    }
    QJsonObject wrapper{{"v", value}};
    std::string json = QJsonDocument(wrapper).toJson(QJsonDocument::Compact).toStdString();
    return OtherJson{json.substr(5, json.size() - 6)};  // {"v":...}
}

// The value as a person would type it into the window.
std::optional<std::string> typed(const FieldValue& value) {
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? "true" : "false";
    }
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
        return std::to_string(*number);
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    return std::nullopt;
}

}  // namespace

std::variant<FrameJson, std::string> parseFrameJson(const std::string& text) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    if (error.error != QJsonParseError::NoError) {
        return "not JSON (" + error.errorString().toStdString() + " at character " +
               std::to_string(error.offset) + ")";
    }
    if (!document.isObject()) {
        return std::string("not a JSON object; encode --from-json reads what decode --json prints");
    }
    const QJsonObject object = document.object();
    FieldValues values;
    for (auto member = object.begin(); member != object.end(); ++member) {
        values.emplace(member.key().toStdString(), fieldValue(member.value()));
    }
    const Result<ConfigFrame> frame = frameFromFields(values);
    if (!frame) {
        return frame.error().text;
    }
    FrameJson result{frame.value(), {}};
    for (const auto& [key, value] : values) {
        // The mask and filters take their frame type from the receive list, as in the window.
        const bool receiveType = key.ends_with("_frame_type") && key != "can_receive_frame_type" &&
                                 (key.starts_with("can_mask") || key.starts_with("can_filter"));
        if (isDialogFieldKey(key) && !receiveType) {
            if (auto typedValue = typed(value)) {
                result.dialogFields.emplace_back(key, std::move(*typedValue));
            }
        }
    }
    return result;
}

std::vector<FieldDifference> differingFields(const ConfigFrame& frame, const ConfigFrame& other) {
    const auto mine = describeFrame(FrameView(frame));
    const auto theirs = describeFrame(FrameView(other));
    std::vector<FieldDifference> differences;
    for (std::size_t i = 0; i < mine.size() && i < theirs.size(); ++i) {
        if (mine[i].field->kind != FieldKind::Checksum && mine[i].text != theirs[i].text) {
            differences.push_back({std::string(mine[i].field->key), std::string(mine[i].field->label),
                                   mine[i].text, theirs[i].text});
        }
    }
    return differences;
}

}  // namespace veltara::cli
