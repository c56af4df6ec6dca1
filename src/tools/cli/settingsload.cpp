#include "settingsload.h"

namespace veltara::cli {

using namespace core;

SettingsLoad::SettingsLoad(const SettingsSource& source, SerialControl& serial, EventPump& pump,
                           MessageBoxes& messages)
    : m_recordFile(source.file, /*readOnly=*/true),
      m_factoryDefaults(source.factoryDefaults),
      m_headless({.messages = messages,
                  .serial = serial,
                  .pump = pump,
                  .clock = m_clock,
                  .settingsFile = m_factoryDefaults ? static_cast<SettingsFile&>(m_noFile) : m_recordFile,
                  .onlyReads = true}) {}

EncodeResult SettingsLoad::load() {
    m_headless.start(m_factoryDefaults);
    EncodeResult result;
    // A file that cannot be read is a file error, not a silent start on the defaults.
    if (const auto& failure = m_headless.fileFailure()) {
        result.fileError = true;
        result.error = "cannot read " + m_recordFile.displayName() + ": " + *failure;
        return result;
    }
    const Result<ConfigFrame> built = m_headless.frame();
    if (!built) {
        result.error = built.error().text;
        return result;
    }
    result.frame = built.value();
    return result;
}

}  // namespace veltara::cli
