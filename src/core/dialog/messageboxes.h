#pragma once

#include <string>

namespace veltara::core {

enum class MessageIcon { None, Information, Warning };

// What a message is about, for callers that treat some messages apart (the command-line tool reports
// a port failure itself, with the system's reason) without reading the text.
enum class MessageKind { General, PortFailure };

struct Message {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    MessageKind kind = MessageKind::General;
    // The control the message is about (its object name, e.g. "txtCANTrID1_2"); empty when none.
    // The window shows the box itself; a caller without a window names the field from it.
    std::string field{};
};

// Modal message boxes with a single OK button: show() returns when the user has closed the box.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const Message& message) = 0;
};

}  // namespace veltara::core
