#include "dialog/settingssession.h"

namespace veltara::core {

namespace {

std::string sentence(std::string text) {
    if (!text.empty() && text.back() != '.') {
        text += '.';
    }
    return text;
}

}  // namespace

std::string SettingsSession::fileName() const {
    return "\"" + m_file.displayName() + "\"";
}

void SettingsSession::load(const Say& say) {
    const Status opened = m_file.open();
    // Named only after the open: that is when the bare name is resolved against the current directory.
    if (!opened) {
        m_openProblem = opened.error().text;
        say("The settings file " + fileName() + " cannot be opened: " + sentence(opened.error().text));
    } else if (m_file.lockedElsewhere()) {
        say("The settings file " + fileName() +
            " is used by another window: the changes made in this window will not be saved.");
    } else if (!m_file.readOnlyReason().empty()) {
        m_openProblem = m_file.readOnlyReason();
        say("The settings file " + fileName() + " can be read but not written (" + m_file.readOnlyReason() +
            "): changes will not be saved when the dialog closes.");
    }
    if (auto read = m_file.read(kSettingsSlotSize); !read) {
        // The record was never seen, so saving the defaults would overwrite settings the file may
        // still hold (COM, Reserved, the bytes after the record): shutdown leaves it alone.
        m_unreadable = read.error().text;
        say("The settings file " + fileName() + " cannot be read: " + sentence(read.error().text) +
            " The dialog starts with its start-up defaults and will not save them.");
    } else {
        m_record = decodeSettingsRecord(read.value());
        m_filler = settingsFiller(read.value());
    }
    if (IsBlankSettings(m_record)) {
        FillStartupDefaults(m_record);
    }
}

void SettingsSession::save(const Say& say) {
    // Closing always goes through; a save that cannot happen is said once, never dropped silently.
    const std::string notSaved = "The settings were not saved: the settings file " + fileName() + " ";
    if (!m_file.isOpen()) {
        say(notSaved + (m_openProblem.empty() ? std::string("is not open.")
                                              : "could not be opened (" + m_openProblem + ")."));
        return;
    }
    if (m_file.lockedElsewhere()) {
        (void)m_file.close();  // said at start-up; the other window saves its own settings
        return;
    }
    if (m_unreadable) {
        say(notSaved + "could not be read at start-up (" + *m_unreadable + "), so it keeps what it holds.");
        (void)m_file.close();
        return;
    }
    const SettingsSlot slot = encodeSettingsRecord(m_record, m_filler);
    const Status written = m_file.write(slot);
    if (!written) {
        say(notSaved + "cannot be written: " + sentence(written.error().text));
    }
    // After a failed write the one message above is enough; after a good one a failing close still
    // puts the save in doubt.
    if (const Status closed = m_file.close(); !closed && written) {
        say("The settings file " + fileName() + " could not be closed: " + sentence(closed.error().text) +
            " The settings may not have been saved.");
    }
}

}  // namespace veltara::core
