#include "invariants.h"

#include <cstdio>
#include <cstdlib>

#include "dialog/identifierrows.h"
#include "validation/textconversion.h"

namespace veltara::fuzz {

using namespace core;

std::string checkDialogInvariants(const Dialog& d) {
    for (const IdentifierRowSpec& row : kIdentifierRows) {
        const IdBytes& bytes = d.*row.bytes;
        for (std::size_t i = 0; i < 4; ++i) {
            const TextBox& box = (d.*row.boxes)[i];
            const auto value = parseHexByte(trimSpaces(box.text()));
            if (!value) {
                return box.objectName() + " holds \"" + box.text() + "\", which does not convert";
            }
            if (*value != bytes[i]) {
                return box.objectName() + " shows " + std::to_string(*value) + " but its byte holds " +
                       std::to_string(bytes[i]);
            }
        }
    }
    if (d.PeriodmsCountValue < 1 || d.PeriodmsCountValue > 65535) {
        return "PeriodmsCountValue is " + std::to_string(d.PeriodmsCountValue);
    }
    if (!parseDecimalInt32(trimSpaces(d.txtPeriodmsCount.text()))) {
        return "txtPeriodmsCount holds \"" + d.txtPeriodmsCount.text() + "\"";
    }
    const auto protect = parseHexByte(trimSpaces(d.txtOutputProtectValue.text()));
    if (!protect || *protect != d.ConfigFrameBytes[frame::kProtectValue]) {
        return "txtOutputProtectValue \"" + d.txtOutputProtectValue.text() + "\" does not match byte 27";
    }
    return {};
}

void require(const std::string& problem) {
    if (!problem.empty()) {
        std::fprintf(stderr, "invariant broken: %s\n", problem.c_str());
        std::abort();
    }
}

}  // namespace veltara::fuzz
