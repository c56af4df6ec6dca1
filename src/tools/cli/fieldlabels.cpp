#include "fieldlabels.h"

#include <string_view>

namespace veltara::cli {

namespace {

// The label beside each control that has no caption of its own.
struct LabelBeside {
    std::string_view control;
    std::string_view label;
};

constexpr LabelBeside kLabelsBeside[] = {
    {"CmbCOM", "Label1"},           {"CmbRS232BaudRate", "Label2"},  {"CmbCANBaudRate", "Label4"},
    {"cmbCANtrFrmType", "Label5"},  {"txtCANTrID1", "Label6"},       {"cmbCANRecFrmType", "Label8"},
    {"txtCANMask1", "Label9"},      {"txtCANFilter1", "Label10"},    {"txtCANFilter2", "Label11"},
    {"cmbInputFrmType", "Label12"}, {"txtInputID1", "Label13"},      {"cmbOutputFrmType", "Label15"},
    {"txtOutputID1", "Label16"},    {"txtPeriodmsCount", "Label18"}, {"txtOutputProtectValue", "Label19"},
};

// Captions end in ':' or spaces here and there ("Mask: "); the name reads better without.
std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == ':' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

std::string fieldLabel(const core::Dialog& dialog, const std::string& objectName) {
    const core::Control* control = objectName.empty() ? nullptr : dialog.findControl(objectName);
    if (control == nullptr) {
        return {};
    }
    std::string name = control->caption();
    for (const LabelBeside& beside : kLabelsBeside) {
        if (beside.control == control->name()) {
            if (const core::Control* label = dialog.findControl(std::string(beside.label))) {
                name = label->caption();
            }
        }
    }
    name = trimmed(name);
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
