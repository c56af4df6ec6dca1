#pragma once

#include <functional>

#include "common/result.h"
#include "link/serialcontrol.h"

namespace veltara::core {

inline constexpr const char* kLineSettings = "9600,N,8,1";
inline constexpr int kInBufferSize = 1024;

// Closes the port if open, points it at portNumber, opens it with empty buffers and sets 9600 8N1.
// Each failing step is reported through onStepFailed and the next step follows, except a refused port
// number: then the procedure ends with the port closed.
void runOpeningProcedure(SerialControl& serial, int portNumber,
                         const std::function<void(const Error&)>& onStepFailed);

}  // namespace veltara::core
