#include "porttooltip.h"

#include "serial/portauthority.h"

namespace veltara::qt {

namespace {

constexpr const char* kDialoutHint =
    "your user must be in the dialout group (or the group that owns the device)";
// A tooltip names a few adapters; `veltara-cli ports` lists them all.
constexpr std::size_t kMaxNamedAdapters = 3;

QString described(const core::Error& error, const PortAdapters& adapters) {
    QString text = QString::fromStdString(error.text);
    if (error.code == core::ErrorCode::PermissionDenied) {
        text += QLatin1String(": ") + QString::fromStdString(adapters.permissionHint.empty()
                                                                 ? std::string(kDialoutHint)
                                                                 : adapters.permissionHint);
    }
    return text;
}

QString assignCommand(const std::string& entry, const SerialDevice& adapter) {
    return QString::fromStdString(ports::assignCommand(entry, adapter));
}

}  // namespace

QString portToolTip(const std::string& entry, const std::string& device,
                    const std::optional<core::Error>& openingError, const PortAdapters& adapters) {
    if (entry.empty()) {
        return QStringLiteral("No port selected");
    }
    const QString name = QString::fromStdString(entry);
    QString tip = device.empty() ? name + QStringLiteral(": no device is known for this port")
                                 : name + QStringLiteral(" is ") + QString::fromStdString(device);
    if (adapters.selected && !adapterText(*adapters.selected).empty()) {
        tip += QStringLiteral(", ") + QString::fromStdString(adapterText(*adapters.selected));
        if (!adapters.linked && !adapters.selected->byId.empty()) {
            // A fixed ttyUSBn name moves to another adapter when they are plugged in another order.
            tip += QStringLiteral("\nTo keep %1 on this adapter: %2")
                       .arg(name, assignCommand(entry, *adapters.selected));
        }
    }
    if (openingError) {
        tip += QStringLiteral("\nOpening it failed: ") + described(*openingError, adapters);
    }
    if (!adapters.selected) {
        for (std::size_t i = 0; i < adapters.unnamed.size() && i < kMaxNamedAdapters; ++i) {
            const SerialDevice& adapter = adapters.unnamed[i];
            const std::string text = adapterText(adapter);
            tip += QStringLiteral("\n%1 has no COM name; map it to %2: %3")
                       .arg(QString::fromStdString(text.empty() ? adapter.device : text), name,
                            assignCommand(entry, adapter));
        }
    }
    return tip;
}

}  // namespace veltara::qt
