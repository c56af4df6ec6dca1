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

}  // namespace veltara::core
