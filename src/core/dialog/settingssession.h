#pragma once

#include <functional>
#include <optional>
#include <string>

#include "settings/convertersettings.h"
#include "settings/settingscodec.h"
#include "settings/settingsfile.h"

namespace veltara::core {

// The settings file for the dialog's life: opened and its record read at start-up, the record written
// back in place at shutdown. Whatever keeps it from being read or saved is said once, through `say`,
// and a record that was never read is never overwritten.
class SettingsSession {
public:
    using Say = std::function<void(const std::string&)>;

    explicit SettingsSession(SettingsFile& file) : m_file(file) {}

    // Opens the file and reads its record; a blank record gets the start-up defaults.
    void load(const Say& say);
    // Writes the record back (the filler as it was read) and closes the file.
    void save(const Say& say);

    ConverterSettings& record() { return m_record; }
    const ConverterSettings& record() const { return m_record; }

private:
    std::string fileName() const;

    SettingsFile& m_file;
    ConverterSettings m_record;
    SettingsFiller m_filler{};
    std::string m_openProblem;
    std::optional<std::string> m_unreadable;  // why the record could not be read
};

}  // namespace veltara::core
