#include "displaychoice.h"

namespace veltara::app {

// Windows and macOS have one window system, which Qt finds by itself.
DisplayChoice chooseDisplayHere(const CommandLine&) {
    return {};
}

}  // namespace veltara::app
