#include "serialdriver.h"

#include <windows.h>

namespace veltara::qt::driver {

namespace {

core::Error lastError(core::ErrorCode fallback = core::ErrorCode::Io) {
    const DWORD error = ::GetLastError();
    wchar_t* text = nullptr;
    ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString words = text != nullptr ? QString::fromWCharArray(text).trimmed() : QString::number(error);
    ::LocalFree(text);
    if (words.endsWith('.')) {
        words.chop(1);
    }
    core::ErrorCode code = fallback;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        code = core::ErrorCode::NotFound;
    } else if (error == ERROR_SHARING_VIOLATION) {
        code = core::ErrorCode::Busy;
    }
    return core::Error{code, words.toStdString()};
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
    return lastError(::GetLastError() == ERROR_ACCESS_DENIED ? core::ErrorCode::Busy : core::ErrorCode::Io);
}

}  // namespace veltara::qt::driver
