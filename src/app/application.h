#pragma once

#include "dialog/dialog.h"
#include "endsignals.h"
#include "link/monotonicclock.h"
#include "platform/recordfile.h"
#include "serial/qteventpump.h"
#include "serial/qtserialcontrol.h"
#include "widgets/dialogwindow.h"
#include "widgets/qtmessageboxes.h"
#include "widgets/qtscreen.h"

namespace veltara::app {

// The program: the dialog with its real services and its window. Needs a QApplication.
class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Loads the dialog, shows it and runs the event loop until the window is closed and every
    // handler that was running (a programming exchange) has returned. The result is the exit code:
    // 128 plus the signal's number when an ending signal closed the window.
    int run();

    qt::DialogWindow& window() { return m_window; }

private:
    // A session that ends under the window (a signal, the display gone) saves as closing does.
    void endUnattended();
    static void saveAtExit();

    platform::RecordFile m_settingsFile;
    qt::QtSerialControl m_serial;
    qt::QtEventPump m_pump;
    core::SteadyClock m_clock;
    qt::QtScreen m_screen;
    qt::QtMessageBoxes m_messages;
    // Declared after the services it uses and before the window bound to it, so it outlives both
    // the window and any handler still on the stack when the window closes.
    core::Dialog m_dialog;
    qt::DialogWindow m_window;
    EndSignals m_endSignals;
    bool m_loaded = false;
};

}  // namespace veltara::app
