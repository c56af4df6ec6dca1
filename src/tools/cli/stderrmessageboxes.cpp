#include "stderrmessageboxes.h"

#include <iostream>

namespace veltara::cli {

void StderrMessageBoxes::show(const core::Message& message) {
    shown.push_back(message);
    if (quiet || (hidePortFailures && message.kind == core::MessageKind::PortFailure)) {
        return;
    }
    if (describe) {
        std::cerr << describe(message) << '\n';
        return;
    }
    std::cerr << message.title << ": " << message.text << '\n';
}

}  // namespace veltara::cli
