#pragma once

#include <string>
#include <utility>
#include <variant>

namespace veltara::core {

// What went wrong, in words a user can act on; the code lets callers branch without parsing text.
enum class ErrorCode {
    Refused,   // a control or device did not accept a value
    NotOpen,   // the port or file is not open
    NotFound,  // the device or file does not exist
    PermissionDenied,
    Busy,  // held by another process
    Io,    // the system reported a read or write failure
    InvalidArgument,
    Checksum,
    Untrusted,  // another user owns or may change what decides where we send
};

struct Error {
    ErrorCode code = ErrorCode::Refused;
    std::string text;
    bool operator==(const Error&) const = default;
};

// A value or an error; no exceptions cross the core's interfaces.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return std::get<T>(m_state); }
    T& value() & { return std::get<T>(m_state); }
    T&& value() && { return std::get<T>(std::move(m_state)); }
    const Error& error() const { return std::get<Error>(m_state); }

private:
    std::variant<T, Error> m_state;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_failed(true) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return m_error; }

private:
    Error m_error;
    bool m_failed = false;
};

using Status = Result<void>;

inline Error makeError(ErrorCode code, std::string text) {
    return Error{code, std::move(text)};
}

}  // namespace veltara::core
