#include "application.h"

#include <QApplication>
#include <QLocale>

namespace veltara::qt {

Application::Application()
    : m_settingsFile("quorvel.ini"),
      m_dialog(core::DialogServices{m_messages, m_serial, m_pump, m_clock, m_screen, m_settingsFile}),
      m_window(m_dialog) {
    m_dialog.setDecimalSeparator(QString(QLocale::system().decimalPoint()).toStdString());
    m_messages.setWindow(&m_window);
    QObject::connect(&m_serial, &QtSerialControl::portFailed,
                     [this](const core::Error& failure) { m_dialog.portClosedByFailure(failure); });
}

int Application::run() {
    m_window.load();
    m_window.show();
    const int code = QApplication::exec();
    // The loop can also end without the window being closed (the session ends); save all the same.
    m_window.unload();
    return code;
}

}  // namespace veltara::qt
