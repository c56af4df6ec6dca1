#pragma once

#include <QObject>

class QSocketNotifier;

namespace veltara::app {

// The signals that end a desktop program without its window being closed (SIGTERM at logout, SIGHUP
// when its terminal goes, SIGINT for Ctrl-C), delivered on the event loop, where the window can be
// closed as the user closes it. A second one ends the program at once. SIGXFSZ is ignored, so that a
// write beyond the file-size limit fails with an error the user is told of instead of killing us.
class EndSignals final : public QObject {
    Q_OBJECT

public:
    explicit EndSignals(QObject* parent = nullptr);
    ~EndSignals() override;

    // The first ending signal that arrived, 0 before any.
    int received() const { return m_received; }

signals:
    void ending(int signalNumber);

private:
    void drain();

    QSocketNotifier* m_notifier = nullptr;
    int m_received = 0;
};

}  // namespace veltara::app
