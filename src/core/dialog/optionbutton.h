#pragma once

#include <vector>

#include "dialog/control.h"

namespace veltara::core {

// Option buttons in one container form a group: selecting one clears the others.
class OptionButton : public Control {
public:
    OptionButton() : Control(ControlKind::OptionButton) {}
    void initValue(bool value) { m_value = value; }

    bool value() const { return m_value; }
    // true clears the partners and raises Click; false only clears this button.
    void setValue(bool value);
    void setGroup(std::vector<OptionButton*> partners) { m_partners = std::move(partners); }

    std::function<void()> onClick;

private:
    void store(bool value);

    bool m_value = false;
    std::vector<OptionButton*> m_partners;
};

}  // namespace veltara::core
