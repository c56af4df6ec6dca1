#pragma once

#include "common/result.h"
#include "dialog/control.h"

namespace veltara::core {

// A drop-down list without free text: ListIndex -1 means nothing is selected.
class ComboBox : public Control {
public:
    ComboBox() : Control(ControlKind::ComboBox) {}
    void initItems(std::vector<std::string> items) { m_items = std::move(items); }

    const std::vector<std::string>& items() const { return m_items; }
    int listIndex() const { return m_listIndex; }
    // Raises Click on every accepted write; refuses an index below -1 or beyond the list.
    Status setListIndex(int index);
    // The selected item's text, empty when nothing is selected.
    std::string text() const;

    std::function<void()> onClick;

private:
    std::vector<std::string> m_items;
    int m_listIndex = -1;
};

}  // namespace veltara::core
