#include "serialdriver.h"

#include <windows.h>

#include "common/systemerror.h"

namespace veltara::qt::driver {

namespace {

core::Error lastError() {
    return core::windowsError(::GetLastError());
}

}  // namespace

core::Result<int> queued(Handle handle, Direction direction) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(static_cast<HANDLE>(handle), &errors, &status)) {
        return lastError();
    }
    return static_cast<int>(direction == Direction::Receive ? status.cbInQue : status.cbOutQue);
}

// A removed USB adapter makes the driver's calls fail, which queued() reports; there is no separate
// hang-up state to ask for.
bool hungUp(Handle handle) {
    DWORD errors = 0;
    return !::ClearCommError(static_cast<HANDLE>(handle), &errors, nullptr);
}

// WriteFile on a COM port queues into the driver; it takes bytes whenever the port is open.
bool writable(Handle) {
    return true;
}

// Windows opens COM ports exclusively: "access denied" almost always means another program holds it.
core::Error permissionFailure(const QString& device) {
    const std::wstring name = QStringLiteral("\\\\.\\%1").arg(device).toStdWString();
    const HANDLE probe =
        ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        ::CloseHandle(probe);
        return core::Error{core::ErrorCode::Busy, "The port is in use by another program"};
    }
    const DWORD error = ::GetLastError();
    core::Error failure = core::windowsError(error);
    if (error == ERROR_ACCESS_DENIED) {
        failure.code = core::ErrorCode::Busy;
    }
    return failure;
}

}  // namespace veltara::qt::driver
