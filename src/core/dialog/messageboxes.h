#pragma once

#include <string>

namespace veltara::core {

enum class MessageIcon { None, Information, Warning };

struct Message {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
};

// Modal message boxes with a single OK button: show() returns when the user has closed the box.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const Message& message) = 0;
};

}  // namespace veltara::core
