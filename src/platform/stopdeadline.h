#pragma once

// Once a stop signal (SIGINT, SIGTERM, SIGHUP) has arrived, the program has one second to act on it. A
// program blocked in a system call that no signal ends on its own (a FIFO planted where a lock file
// belongs, a device that never answers) is ended then, with the status the signal asks for (128 + its
// number), as the default action would have ended it.
namespace veltara::platform {

// From the signal handler: async-signal-safe. Only the first signal starts the second.
void armStopDeadline(int signalNumber);
// The program is acting on the signal and may take its time (a shutdown that shows a message).
void disarmStopDeadline();

}  // namespace veltara::platform
