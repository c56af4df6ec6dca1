#include "dialog/combobox.h"

namespace veltara::core {

Status ComboBox::setListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(m_items.size())) {
        return makeError(ErrorCode::Refused, "Invalid property value");
    }
    const bool changed = index != m_listIndex;
    m_listIndex = index;
    if (changed) {
        notify(Property::ListIndex);
    }
    if (onClick) {
        onClick();
    }
    return {};
}

std::string ComboBox::text() const {
    return m_listIndex < 0 ? std::string() : m_items[static_cast<std::size_t>(m_listIndex)];
}

}  // namespace veltara::core
