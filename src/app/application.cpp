#include "application.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>
#include <cstdlib>

namespace veltara::app {

namespace {

Application* g_running = nullptr;

}  // namespace

Application::Application()
    : m_settingsFile("quorvel.ini"),
      m_dialog(core::DialogServices{m_messages, m_serial, m_pump, m_clock, m_screen, m_settingsFile}),
      m_window(m_dialog) {
    m_dialog.setDecimalSeparator(QString(QLocale::system().decimalPoint()).toStdString());
    m_messages.setWindow(&m_window);
    QObject::connect(&m_serial, &qt::QtSerialControl::portFailed,
                     [this](const core::Error& failure) { m_dialog.portClosedByFailure(failure); });
    QObject::connect(&m_endSignals, &EndSignals::ending, [this](int) { endUnattended(); });
    // The X11 plug-in ends the program with exit() when the display goes away, in a Wayland session
    // when the compositor takes XWayland with it; the settings are saved on the way out, as closing
    // the window saves them.
    if (g_running == nullptr) {
        g_running = this;
        std::atexit(&Application::saveAtExit);
    }
}

Application::~Application() {
    if (g_running == this) {
        g_running = nullptr;
    }
}

void Application::endUnattended() {
    m_messages.setUnattended();
    // Posted, so that a handler the signal interrupted (a message box's wait) returns first.
    QTimer::singleShot(0, &m_window, [this] { m_window.close(); });
}

void Application::saveAtExit() {
    // An exit during start-up (a message box was open) would save a half-applied record: not then.
    if (g_running != nullptr && g_running->m_loaded && !g_running->m_window.isUnloaded()) {
        g_running->m_messages.setUnattended();
        g_running->m_window.unload();
    }
}

int Application::run() {
    m_window.load();
    m_loaded = true;
    int code = 0;
    if (m_endSignals.received() == 0) {
        m_window.show();
        code = QApplication::exec();
    }
    // The loop can also end without the window being closed (the session ends); save all the same.
    m_window.unload();
    return m_endSignals.received() == 0 ? code : 128 + m_endSignals.received();
}

}  // namespace veltara::app
