#include "firstpaint.h"

#include <sys/resource.h>

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace veltara::bench {

namespace {

class FirstPaintWatcher final : public QObject {
public:
    explicit FirstPaintWatcher(QWidget& window) : QObject(&window), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // The window paints first and its children after it, in the same pass; a zero timer
            // fires once that pass (and the flush to the screen) is done.
            QTimer::singleShot(0, &m_window, [this] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                rusage usage{};
                ::getrusage(RUSAGE_SELF, &usage);
                const long long cpuUs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL +
                                        usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
                std::printf(
                    "first-paint-ns %lld cpu-us %lld window %dx%d platform %s\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                    cpuUs, m_window.width(), m_window.height(), qPrintable(QGuiApplication::platformName()));
                std::fflush(stdout);
                m_window.close();
            });
        }
        return false;
    }

private:
    QWidget& m_window;
    bool m_seen = false;
};

}  // namespace

void reportFirstPaintThenClose(QWidget& window) {
    window.installEventFilter(new FirstPaintWatcher(window));
}

}  // namespace veltara::bench
