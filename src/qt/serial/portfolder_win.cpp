#include "portfolder.h"

namespace veltara::qt {

// Windows names its COM ports itself: there is no port folder to trust or to change.
namespace {

core::Error noPortFolder() {
    return core::Error{core::ErrorCode::Refused,
                       "COM names are the system's own on Windows (Device Manager sets them)"};
}

}  // namespace

std::string portFolderProblem() {
    return {};
}

std::string portEntryProblem(int) {
    return {};
}

core::Status makePortFolder() {
    return noPortFolder();
}

core::Status assignPort(int, const std::string&) {
    return noPortFolder();
}

core::Status unassignPort(int) {
    return noPortFolder();
}

}  // namespace veltara::qt
