#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "dialog/headlessdialog.h"
#include "factoryframe.h"
#include "fakes.h"
#include "platform/recordfile.h"
#include "settings/settingscodec.h"

namespace veltara::test {

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Runs the enclosed code in another current directory, as the program is started from one.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::filesystem::path& directory);
    ~ScopedCurrentDirectory();
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    std::filesystem::path m_previous;
};

// One run of the program without a window, as the command line runs the dialog: the real settings
// file in the current directory, every other service faked.
struct HeadlessSession : FakeServices {
    HeadlessSession() = default;
    explicit HeadlessSession(std::vector<int> presentPorts) { serial.present = std::move(presentPorts); }

    platform::RecordFile recordFile{"quorvel.ini"};
    core::HeadlessDialog headless{{.messages = messages,
                                   .serial = serial,
                                   .pump = pump,
                                   .clock = clock,
                                   .settingsFile = recordFile,
                                   .screen = &screen}};
    core::Dialog& dialog = headless.dialog();

    void start() { headless.start(); }
    void close() { headless.close(); }
    // Presses "Program Config" and returns the frame that went to the serial port.
    std::vector<std::uint8_t> programFrame();
};

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> slotBytes(const ConverterSettings& record, const SettingsFiller& filler = {});

// A record as a dialog with non-default settings captures it: COM3, 115200, 1000K, extended
// transmit, receive and input types, standard output type, protection on, "Single or Multi-bytes
// Transmit", periodic input every 1234, protection value 5A.
ConverterSettings savedRecord();

// Another saved record: COM2, and every other field but Reserved unlike savedRecord() too, so that
// switching between the two changes every setting.
ConverterSettings otherRecord();

// Puts otherRecord() into a dialog that shows savedRecord() (COM3) and savedRecord() into any other,
// as the user would; between the two records every setting but Reserved changes.
void flipSettings(Dialog& dialog);

// The factory frame that "Program Config" sends after "Default Config".
inline const std::vector<std::uint8_t>& factoryFrame() {
    return kFactoryFrame;
}

std::vector<std::string> rowTexts(const TextBox* boxes);

// Every setting the user can see, by object name: list indices, check and option values, texts.
std::map<std::string, std::string> visibleState(const Dialog& dialog);

}  // namespace veltara::test
