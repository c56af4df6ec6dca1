#include "common/systemerror.h"

#include <cerrno>
#include <system_error>

namespace veltara::core {

Error systemError(int errorNumber) {
    ErrorCode code = ErrorCode::Io;
    switch (errorNumber) {
        case ENOENT:
        case ENOTDIR:
        case ENODEV:
        case ENXIO:
            code = ErrorCode::NotFound;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            code = ErrorCode::PermissionDenied;
            break;
        case EBUSY:
            code = ErrorCode::Busy;
            break;
        default:
            break;
    }
    return {code, std::generic_category().message(errorNumber)};
}

}  // namespace veltara::core
