#pragma once

#include "common/result.h"
#include "dialog/control.h"

namespace veltara::core {

// Value 0 clear, 1 checked, 2 greyed; Click fires only when the value changes.
class CheckBox : public Control {
public:
    static constexpr int kUnchecked = 0;
    static constexpr int kChecked = 1;
    static constexpr int kGrayed = 2;

    CheckBox() : Control(ControlKind::CheckBox) {}
    void initValue(int value) { m_value = value; }

    int value() const { return m_value; }
    Status setValue(int value);

    std::function<void()> onClick;

private:
    int m_value = kUnchecked;
};

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
