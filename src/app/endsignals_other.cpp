#include "endsignals.h"

namespace veltara::app {

// Systems without POSIX signals end a session through the window system, which closes the window.
EndSignals::EndSignals(QObject* parent) : QObject(parent) {}

EndSignals::~EndSignals() = default;

void EndSignals::drain() {}

}  // namespace veltara::app
