#include "headlessdialog.h"

#include <iostream>
#include <memory>

#include "dialog/identifierrows.h"
#include "platform/recordfile.h"

namespace veltara::cli {

using namespace core;

void StderrMessageBoxes::show(const Message& message) {
    shown.push_back(message);
    if (quiet || (hidePortFailures && message.kind == MessageKind::PortFailure)) {
        return;
    }
    if (describe) {
        std::cerr << describe(message) << '\n';
        return;
    }
    std::cerr << message.title << ": " << message.text << '\n';
}

Status OfflineSerialControl::setPortOpen(bool open) {
    m_open = open;
    return {};
}

Status OfflineSerialControl::output(std::span<const std::uint8_t>) {
    return Error{ErrorCode::Refused, "no converter is attached when only encoding"};
}

namespace {

class FixedScreen final : public Screen {
public:
    double widthTwips() const override { return 1920 * 15; }
    double heightTwips() const override { return 1080 * 15; }
};

// No file at all: the dialog starts with its start-up defaults.
class NoSettingsFile final : public SettingsFile {
public:
    Status open() override { return {}; }
    Result<std::vector<std::uint8_t>> read(std::size_t) override { return std::vector<std::uint8_t>{}; }
    Status write(std::span<const std::uint8_t>) override { return {}; }
    Status close() override { return {}; }
    bool isOpen() const override { return true; }
    std::string readOnlyReason() const override { return {}; }
    std::string displayName() const override { return "(factory values)"; }
};

// Watches the file adapter so that a file that cannot be read is a file error, not a silent default.
class WatchedFile final : public SettingsFile {
public:
    explicit WatchedFile(SettingsFile& inner) : m_inner(inner) {}
    Status open() override { return note(m_inner.open()); }
    Result<std::vector<std::uint8_t>> read(std::size_t n) override {
        auto result = m_inner.read(n);
        if (!result && failure.empty()) {
            failure = result.error().text;
        }
        return result;
    }
    Status write(std::span<const std::uint8_t> bytes) override { return m_inner.write(bytes); }
    Status close() override { return m_inner.close(); }
    bool isOpen() const override { return m_inner.isOpen(); }
    std::string readOnlyReason() const override { return {}; }
    std::string displayName() const override { return m_inner.displayName(); }
    std::string failure;

private:
    Status note(Status status) {
        if (!status && failure.empty()) {
            failure = status.error().text;
        }
        return status;
    }
    SettingsFile& m_inner;
};

}  // namespace

struct HeadlessDialog::Parts {
    explicit Parts(const SettingsSource& source)
        : recordFile(source.file, /*readOnly=*/true), watched(recordFile) {}
    SteadyClock clock;
    FixedScreen screen;
    platform::RecordFile recordFile;
    NoSettingsFile noFile;
    WatchedFile watched;
};

HeadlessDialog::HeadlessDialog(const SettingsSource& source, SerialControl& serial, EventPump& pump,
                               MessageBoxes& messages)
    : m_parts(std::make_unique<Parts>(source)), m_factoryDefaults(source.factoryDefaults) {
    SettingsFile& file = m_factoryDefaults ? static_cast<SettingsFile&>(m_parts->noFile) : m_parts->watched;
    m_dialog = std::make_unique<Dialog>(
        DialogServices{messages, serial, pump, m_parts->clock, m_parts->screen, file});
}

HeadlessDialog::~HeadlessDialog() = default;

EncodeResult HeadlessDialog::load() {
    m_dialog->Form_Load();
    if (m_factoryDefaults) {
        m_dialog->btnDefaultConfig_Click();
    }
    EncodeResult result;
    if (!m_parts->watched.failure.empty()) {
        result.fileError = true;
        result.error = "cannot read " + m_parts->recordFile.displayName() + ": " + m_parts->watched.failure;
        return result;
    }
    const Result<ConfigFrame> built = m_dialog->buildConfigFrame();
    if (!built) {
        result.error = built.error().text;
        return result;
    }
    result.frame = built.value();
    return result;
}

}  // namespace veltara::cli
