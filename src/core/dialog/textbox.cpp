#include "dialog/textbox.h"

#include <algorithm>

namespace veltara::core {

int utf8Length(const std::string& text) {
    return static_cast<int>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

int TextBox::length() const {
    return utf8Length(m_text);
}

void TextBox::setText(std::string text) {
    if (text == m_text) {
        return;
    }
    m_text = std::move(text);
    // A new text collapses the selection to the start, as a text box does on assignment.
    m_selStart = 0;
    m_selLength = 0;
    notify(Property::Text);
    if (onChange) {
        onChange();
    }
}

void TextBox::setSelStart(int start) {
    m_selStart = std::clamp(start, 0, length());
    m_selLength = std::min(m_selLength, length() - m_selStart);
    notify(Property::Selection);
}

void TextBox::setSelLength(int length) {
    m_selLength = std::clamp(length, 0, this->length() - m_selStart);
    notify(Property::Selection);
}

}  // namespace veltara::core
