#include "dialog/control.h"

namespace veltara::core {

std::string Control::objectName() const {
    return m_design.index < 0 ? m_design.name : m_design.name + "_" + std::to_string(m_design.index);
}

bool Control::takesFocus() const {
    return m_kind != ControlKind::Label && m_kind != ControlKind::Frame;
}

void Control::setEnabled(bool enabled) {
    if (m_enabled == enabled) {
        return;
    }
    if (!enabled && hasFocus()) {
        // Before the views hear of it, so that they follow the model's move instead of making their own.
        m_focusHost->focusedControlDisabled(*this);
    }
    m_enabled = enabled;
    notify(Property::Enabled);
}

void Control::addObserver(Observer observer) {
    m_observers.push_back(std::move(observer));
}

bool Control::hasFocus() const {
    return m_focusHost && m_focusHost->focusedControl() == this;
}

bool Control::setFocus() {
    return m_focusHost && m_focusHost->requestFocus(*this);
}

void Control::notify(Property property) {
    for (const auto& observer : m_observers) {
        observer(*this, property);
    }
}

void CommandButton::click() {
    if (onClick) {
        onClick();
    }
}

}  // namespace veltara::core
