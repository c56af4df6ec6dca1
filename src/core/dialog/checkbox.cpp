#include "dialog/checkbox.h"

namespace veltara::core {

Status CheckBox::setValue(int value) {
    if (value < kUnchecked || value > kGrayed) {
        return makeError(ErrorCode::Refused, "Invalid property value");
    }
    if (value == m_value) {
        return {};
    }
    m_value = value;
    notify(Property::Value);
    if (onClick) {
        onClick();
    }
    return {};
}

void OptionButton::store(bool value) {
    if (m_value != value) {
        m_value = value;
        notify(Property::Value);
    }
}

void OptionButton::setValue(bool value) {
    if (!value) {
        store(false);
        return;
    }
    for (OptionButton* partner : m_partners) {
        partner->store(false);
    }
    store(true);
    if (onClick) {
        onClick();
    }
}

}  // namespace veltara::core
