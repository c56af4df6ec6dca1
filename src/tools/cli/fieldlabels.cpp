#include "fieldlabels.h"

#include "dialog/layout.h"

namespace veltara::cli {

std::string fieldLabel(const core::Dialog& dialog, const std::string& objectName) {
    const core::Control* control = objectName.empty() ? nullptr : dialog.findControl(objectName);
    if (control == nullptr) {
        return {};
    }
    const core::Control* label = dialog.labelOf(*control);
    std::string name = core::plainCaption((label != nullptr ? label : control)->caption());
    if (const core::Control* frame = control->container()) {
        name = frame->caption() + " > " + name;
    }
    if (control->index() >= 0) {
        // Index 0 is the rightmost box; people count from the left.
        name += ", box " + std::to_string(4 - control->index()) + " of 4";
    }
    return name;
}

}  // namespace veltara::cli
