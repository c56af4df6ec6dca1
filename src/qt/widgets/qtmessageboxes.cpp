#include "qtmessageboxes.h"

#include <QMessageBox>
#include <cstdio>

namespace veltara::qt {

namespace {

QMessageBox::Icon toQtIcon(core::MessageIcon icon) {
    switch (icon) {
        case core::MessageIcon::Information:
            return QMessageBox::Information;
        case core::MessageIcon::Warning:
            return QMessageBox::Warning;
        case core::MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageBoxes::show(const core::Message& message) {
    if (m_unattended) {
        std::fprintf(stderr, "%s: %s\n", message.title.c_str(), message.text.c_str());
        return;
    }
    QWidget* parent = m_window && m_window->isVisible() ? m_window.data() : nullptr;
    QMessageBox box(toQtIcon(message.icon), QString::fromStdString(message.title),
                    QString::fromStdString(message.text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setObjectName(QStringLiteral("message"));
    m_open = &box;
    box.exec();
}

void QtMessageBoxes::setUnattended() {
    m_unattended = true;
    if (m_open) {
        m_open->done(QMessageBox::Ok);
    }
}

}  // namespace veltara::qt
