#include "stderrmessageboxes.h"

#include "commandline/printable.h"

namespace veltara::cli {

void StderrMessageBoxes::show(const core::Message& message) {
    shown.push_back(message);
    if (quiet || (hidePortFailures && message.kind == core::MessageKind::PortFailure)) {
        return;
    }
    if (describe) {
        m_err << commandline::printable(describe(message)) << '\n';
        return;
    }
    m_err << commandline::printable(message.title + ": " + message.text) << '\n';
}

}  // namespace veltara::cli
