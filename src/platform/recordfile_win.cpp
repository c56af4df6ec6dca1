#include "recordfile.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "common/systemerror.h"

namespace veltara::platform {

using core::Error;
using core::ErrorCode;
using core::Result;
using core::Status;

namespace {

// Paths arrive as UTF-8 on every platform; a name that is not valid UTF-8 cannot name a Windows file.
bool toWide(const std::string& text, std::wstring& wide) {
    wide.clear();
    if (text.empty()) {
        return true;
    }
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) {
        return false;
    }
    wide.resize(static_cast<std::size_t>(size));
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                          wide.data(), size);
    return true;
}

Error systemError(DWORD error) {
    return core::windowsError(error);
}

Error lastError() {
    return systemError(::GetLastError());
}

// Win32 refuses to open a folder as a file with "access denied", which would send the user after
// permissions; say what is really there.
bool isDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Error directoryError() {
    return {ErrorCode::Io, "it is a directory, not a file"};
}

OVERLAPPED at(std::size_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    return position;
}

DWORD chunk(std::size_t remaining) {
    return static_cast<DWORD>(std::min<std::size_t>(remaining, 1u << 30));
}

}  // namespace

Status RecordFile::open() {
    if (m_handle != nullptr) {
        return {};
    }
    std::wstring path;
    if (!toWide(m_path, path)) {
        return Error{ErrorCode::InvalidArgument, "the file name is not valid UTF-8"};
    }
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(std::filesystem::path(path), ec);
    m_absolutePath = ec ? m_path : core::utf8FromWide(absolute.wstring());

    // Readers are let in; other writers are not, so nobody changes the record under an open dialog and
    // the share mode is the lock that keeps a second window from saving over the first. A reader must
    // share writing, as the dialog's handle writes.
    constexpr DWORD kReaderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const auto openForReading = [&] {
        return ::CreateFileW(path.c_str(), GENERIC_READ, kReaderShare, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    };

    m_writable = m_absent = m_lockedElsewhere = false;
    m_readOnlyReason.clear();
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (m_readOnlyRequested) {
        handle = openForReading();
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (isDirectory(path)) {
                return directoryError();
            }
            m_absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
            if (m_absent) {
                return {};  // A missing file reads as an empty record and is never created here.
            }
            return systemError(error);
        }
    } else {
        // OPEN_ALWAYS creates a missing file and never truncates an existing one.
        handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        m_writable = handle != INVALID_HANDLE_VALUE;
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD writeError = ::GetLastError();
            if (isDirectory(path)) {
                return directoryError();
            }
            if (writeError != ERROR_ACCESS_DENIED && writeError != ERROR_WRITE_PROTECT &&
                writeError != ERROR_SHARING_VIOLATION) {
                return systemError(writeError);
            }
            // Still worth reading: the dialog starts with the saved settings and says they will not be saved.
            handle = openForReading();
            if (handle == INVALID_HANDLE_VALUE) {
                return systemError(writeError);
            }
            m_lockedElsewhere = writeError == ERROR_SHARING_VIOLATION;
            m_readOnlyReason = m_lockedElsewhere ? "another window uses it" : systemError(writeError).text;
        }
    }
    m_handle = handle;
    return {};
}

Result<std::vector<std::uint8_t>> RecordFile::read(std::size_t maxBytes) {
    if (m_handle == nullptr) {
        // Only a file that is not there reads as empty; one that failed to open stays a failure.
        if (m_absent) {
            return std::vector<std::uint8_t>{};
        }
        return notOpen();
    }
    std::vector<std::uint8_t> bytes(maxBytes);
    std::size_t total = 0;
    while (total < maxBytes) {
        // The offset travels with each call, as with pread: no shared file position to go wrong.
        OVERLAPPED position = at(total);
        DWORD n = 0;
        if (!::ReadFile(m_handle, bytes.data() + total, chunk(maxBytes - total), &n, &position)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                break;
            }
            return systemError(error);
        }
        if (n == 0) {
            break;
        }
        total += n;
    }
    bytes.resize(total);
    return bytes;
}

Status RecordFile::write(std::span<const std::uint8_t> bytes) {
    if (m_handle == nullptr) {
        return notOpen();
    }
    if (!m_writable) {
        return Error{ErrorCode::PermissionDenied,
                     m_readOnlyReason.empty() ? "the file is open for reading only" : m_readOnlyReason};
    }
    // In place at offset 0: the file keeps its length, its identity and whatever lies beyond the record.
    std::size_t total = 0;
    while (total < bytes.size()) {
        OVERLAPPED position = at(total);
        DWORD n = 0;
        if (!::WriteFile(m_handle, bytes.data() + total, chunk(bytes.size() - total), &n, &position)) {
            return lastError();
        }
        if (n == 0) {
            // Nothing taken and no error: retrying would spin, so report the record as not written.
            return systemError(ERROR_WRITE_FAULT);
        }
        total += n;
    }
    if (!::FlushFileBuffers(m_handle)) {
        return lastError();
    }
    return {};
}

Status RecordFile::close() {
    if (m_handle == nullptr) {
        return {};
    }
    HANDLE handle = m_handle;
    m_handle = nullptr;
    if (!::CloseHandle(handle)) {
        return lastError();
    }
    return {};
}

}  // namespace veltara::platform
