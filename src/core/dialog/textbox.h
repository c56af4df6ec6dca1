#pragma once

#include "dialog/control.h"

namespace veltara::core {

// A single-line text box: Text raises Change whenever it changes; the dialog raises LostFocus.
class TextBox : public Control {
public:
    TextBox() : Control(ControlKind::TextBox) {}
    // The design-time text, set without raising Change.
    void initText(std::string text) { m_text = std::move(text); }

    const std::string& text() const { return m_text; }
    // Stores the text and raises Change before returning, unless the text is the same.
    void setText(std::string text);

    // Selection in characters; clamped to the text.
    int selStart() const { return m_selStart; }
    int selLength() const { return m_selLength; }
    void setSelStart(int start);
    void setSelLength(int length);
    int length() const;

    std::function<void()> onChange;
    std::function<void()> onLostFocus;

private:
    std::string m_text;  // UTF-8
    int m_selStart = 0;
    int m_selLength = 0;
};

// Length in characters of a UTF-8 text.
int utf8Length(const std::string& text);

}  // namespace veltara::core
