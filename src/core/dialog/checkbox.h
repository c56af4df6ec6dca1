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

}  // namespace veltara::core
