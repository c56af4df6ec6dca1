#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "dialog/messageboxes.h"

namespace veltara::cli {

// Messages the dialog would show, printed as one line each on stderr ("title: text" unless `describe`
// words them otherwise).
class StderrMessageBoxes final : public core::MessageBoxes {
public:
    explicit StderrMessageBoxes(std::ostream& err) : m_err(err) {}
    void show(const core::Message& message) override;
    std::vector<core::Message> shown;
    bool quiet = false;             // record only; the caller reports the outcome itself
    bool hidePortFailures = false;  // the caller reports a port failure with the system's reason
    // The field a correction is about, as the window labels it; start-up repeats one message for many.
    std::function<std::string(const core::Message&)> describe;

private:
    std::ostream& m_err;
};

}  // namespace veltara::cli
