#include "dialog/headlessdialog.h"

namespace veltara::core {

HeadlessDialog::HeadlessDialog(Services services)
    : m_watched(services.settingsFile, services.onlyReads),
      m_dialog(DialogServices{services.messages, services.serial, services.pump, services.clock,
                              services.screen != nullptr ? *services.screen : m_screen, m_watched}) {}

void HeadlessDialog::start(bool factoryDefaults) {
    m_dialog.Form_Load();
    m_dialog.setShown(true);
    if (factoryDefaults) {
        m_dialog.btnDefaultConfig_Click();
    }
}

Status HeadlessDialog::WatchedFile::open() {
    Status opened = m_inner.open();
    if (!opened && !failure) {
        failure = opened.error().text;
    }
    return opened;
}

Result<std::vector<std::uint8_t>> HeadlessDialog::WatchedFile::read(std::size_t maxBytes) {
    auto result = m_inner.read(maxBytes);
    if (!result && !failure) {
        failure = result.error().text;
    }
    return result;
}

}  // namespace veltara::core
