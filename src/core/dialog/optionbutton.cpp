#include "dialog/optionbutton.h"

namespace veltara::core {

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
