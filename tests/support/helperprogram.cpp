#include "helperprogram.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace veltara::test {

void printMessages(const char* phase, FakeMessageBoxes& messages) {
    for (const auto& m : messages.shown) {
        std::printf("%s\t%s\t%s\n", phase, m.title.c_str(), m.text.c_str());
    }
    messages.clear();
}

bool enterDirectory(const char* directory) {
    std::error_code ec;
    std::filesystem::current_path(directory, ec);
    if (ec) {
        std::fprintf(stderr, "%s: %s\n", directory, ec.message().c_str());
        return false;
    }
    return true;
}

std::string runuserPath() {
    for (const char* path : {"/usr/sbin/runuser", "/sbin/runuser", "/usr/bin/runuser", "/bin/runuser"}) {
        if (::access(path, X_OK) == 0) {
            return path;
        }
    }
    return {};
}

}  // namespace veltara::test
