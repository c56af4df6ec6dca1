#pragma once

#include <optional>
#include <string>

#include "dialog/dialog.h"

namespace veltara::core {

// The dialog run without a window, as the command line runs it and tests drive it: start-up on a
// settings file (or on none, for the factory values), the frame "Program Config" would send, shutdown.
// The services are handed in; the screen, which only a window needs, may be left to it.
class HeadlessDialog {
public:
    struct Services {
        MessageBoxes& messages;
        SerialControl& serial;
        EventPump& pump;
        MonotonicClock& clock;
        SettingsFile& settingsFile;
        // The file is only read (the command line): start-up says nothing of it not being writable.
        bool onlyReads = false;
        // Where the dialog is centred; a full-HD screen when none is given.
        Screen* screen = nullptr;
    };

    explicit HeadlessDialog(Services services);
    HeadlessDialog(const HeadlessDialog&) = delete;
    HeadlessDialog& operator=(const HeadlessDialog&) = delete;

    // Start-up, the dialog then counted as shown; with `factoryDefaults` "Default Config" after it.
    void start(bool factoryDefaults = false);
    // Why the settings file could not be opened or read at start-up, if it could not: the caller that
    // needs its settings must not go on with the defaults in their place.
    const std::optional<std::string>& fileFailure() const { return m_watched.failure; }
    // The frame as "Program Config" builds it from the controls now.
    Result<ConfigFrame> frame() { return m_dialog.buildConfigFrame(); }
    void close() { m_dialog.Form_Unload(); }

    Dialog& dialog() { return m_dialog; }

private:
    class FixedScreen final : public Screen {
    public:
        double widthTwips() const override { return 1920 * 15; }
        double heightTwips() const override { return 1080 * 15; }
    };

    // Passes everything through and notes the first failure to open or read.
    class WatchedFile final : public SettingsFile {
    public:
        WatchedFile(SettingsFile& inner, bool onlyReads) : m_inner(inner), m_onlyReads(onlyReads) {}
        Status open() override;
        Result<std::vector<std::uint8_t>> read(std::size_t maxBytes) override;
        Status write(std::span<const std::uint8_t> bytes) override { return m_inner.write(bytes); }
        Status close() override { return m_inner.close(); }
        bool isOpen() const override { return m_inner.isOpen(); }
        std::string readOnlyReason() const override {
            return m_onlyReads ? std::string() : m_inner.readOnlyReason();
        }
        bool lockedElsewhere() const override { return m_inner.lockedElsewhere(); }
        std::string displayName() const override { return m_inner.displayName(); }
        std::optional<std::string> failure;

    private:
        SettingsFile& m_inner;
        bool m_onlyReads;
    };

    FixedScreen m_screen;
    WatchedFile m_watched;
    Dialog m_dialog;
};

// No file at all: start-up finds an empty record and takes its start-up defaults.
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

}  // namespace veltara::core
