#include "fakes.h"

#include <algorithm>

namespace veltara::test {

void FakeMessageBoxes::show(const Message& message) {
    shown.push_back(message);
    if (whileOpen) {
        whileOpen(message);
    }
}

std::vector<std::string> FakeMessageBoxes::texts() const {
    std::vector<std::string> result;
    for (const auto& m : shown) {
        result.push_back(m.text);
    }
    return result;
}

void FakeEventPump::yield() {
    yieldFor(step);
}

void FakeEventPump::yieldFor(std::chrono::nanoseconds maxWait) {
    ++yields;
    m_clock.time += std::min(
        step, std::max<std::chrono::nanoseconds>(std::chrono::ceil<std::chrono::milliseconds>(maxWait),
                                                 std::chrono::milliseconds(1)));
    if (onYield) {
        onYield();
    }
}

namespace {
Error closedPort() {
    return {ErrorCode::NotOpen, "Operation not valid when the port is closed"};
}
Error vanished() {
    return {ErrorCode::Io, "Input/output error"};
}
}  // namespace

Result<bool> FakeSerialControl::portOpen() const {
    if (failAllOperations) {
        return vanished();
    }
    return open;
}

Status FakeSerialControl::setPortOpen(bool value) {
    log.push_back(value ? "open" : "close");
    if (!value) {
        open = false;
        return {};
    }
    if (failAllOperations) {
        return vanished();
    }
    if (open) {
        return Error{ErrorCode::Busy, "Port already open"};
    }
    if (std::find(present.begin(), present.end(), commPort) == present.end()) {
        return Error{ErrorCode::NotFound, "No such file or directory"};
    }
    open = true;
    ++opens;
    return {};
}

Status FakeSerialControl::setCommPort(int port) {
    log.push_back("commport " + std::to_string(port));
    if (open) {
        return Error{ErrorCode::Refused, "Port already open"};
    }
    if (port < 1 || port > 8) {
        return Error{ErrorCode::InvalidArgument, "Invalid port number"};
    }
    commPort = port;
    return {};
}

Status FakeSerialControl::setInputLen(int length) {
    log.push_back("inputlen");
    inputLen = length;
    return {};
}

Status FakeSerialControl::setInBufferSize(int size) {
    log.push_back("inbuffersize");
    inBufferSize = size;
    return {};
}

Result<int> FakeSerialControl::inBufferCount() {
    if (failAllOperations) {
        return vanished();
    }
    if (!open) {
        return closedPort();
    }
    return static_cast<int>(received.size());
}

Status FakeSerialControl::setInBufferCount(int) {
    log.push_back("clear input");
    if (failAllOperations) {
        return vanished();
    }
    // Accepted while closed, as the opening procedure relies on: there is nothing to discard yet.
    received.clear();
    return {};
}

Result<int> FakeSerialControl::outBufferCount() {
    if (failAllOperations) {
        return vanished();
    }
    if (!open) {
        return closedPort();
    }
    const int count = pendingOutput;
    pendingOutput = std::max(0, pendingOutput - 11);
    return count;
}

Status FakeSerialControl::setOutBufferCount(int) {
    log.push_back("clear output");
    if (failAllOperations) {
        return vanished();
    }
    pendingOutput = 0;
    return {};
}

Status FakeSerialControl::setSettings(std::string_view value) {
    log.push_back("settings " + std::string(value));
    settings = value;
    return {};
}

Status FakeSerialControl::output(std::span<const std::uint8_t> bytes) {
    if (outputError) {
        return *outputError;
    }
    if (failAllOperations) {
        return vanished();
    }
    if (!open) {
        return closedPort();
    }
    sent.emplace_back(bytes.begin(), bytes.end());
    pendingOutput = static_cast<int>(bytes.size());
    return {};
}

Result<std::vector<std::uint8_t>> FakeSerialControl::input() {
    if (failAllOperations) {
        return vanished();
    }
    if (!open) {
        return closedPort();
    }
    std::vector<std::uint8_t> bytes(received.begin(), received.end());
    received.clear();
    return bytes;
}

Status MemorySettingsFile::open() {
    if (openError) {
        return *openError;
    }
    exists = true;
    isOpenNow = true;
    return {};
}

Result<std::vector<std::uint8_t>> MemorySettingsFile::read(std::size_t maxBytes) {
    if (!isOpenNow) {
        return Error{ErrorCode::NotOpen, "the file is not open"};
    }
    if (readError) {
        return *readError;
    }
    return std::vector<std::uint8_t>(bytes.begin(),
                                     bytes.begin() + static_cast<long>(std::min(maxBytes, bytes.size())));
}

Status MemorySettingsFile::write(std::span<const std::uint8_t> data) {
    if (!isOpenNow) {
        return Error{ErrorCode::NotOpen, "the file is not open"};
    }
    if (writeError) {
        return *writeError;
    }
    ++writes;
    if (bytes.size() < data.size()) {
        bytes.resize(data.size());
    }
    std::copy(data.begin(), data.end(), bytes.begin());
    return {};
}

Status MemorySettingsFile::close() {
    isOpenNow = false;
    if (closeError) {
        return *closeError;
    }
    return {};
}

DialogFixture::DialogFixture(RealServices real)
    : dialog(DialogServices{real.messages ? *real.messages : messages, real.serial ? *real.serial : serial,
                            real.pump ? *real.pump : pump, real.clock ? *real.clock : clock, screen,
                            real.file ? *real.file : file}) {}

void DialogFixture::start() {
    dialog.Form_Load();
    dialog.setShown(true);
    messages.clear();
}

void DialogFixture::typeInto(TextBox& box, const std::string& text) {
    box.setFocus();
    box.setSelStart(0);
    box.setSelLength(box.length());
    for (char c : text) {
        // A keystroke replaces a whole-text selection (as after select-all or a correction), else appends.
        const bool replace = box.selLength() > 0 && box.selLength() == box.length();
        box.setText(replace ? std::string(1, c) : box.text() + c);
    }
}

}  // namespace veltara::test
