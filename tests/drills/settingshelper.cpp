// One headless run of the program on the real settings file in DIRECTORY, printing what the user
// would see. With "flip" it changes every setting before closing (to the other of two saved
// records) and says "closing" just before shutdown writes, so that a drill can kill it there.
//
// Usage: drill_settings_helper DIRECTORY [flip]
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "flip.h"
#include "session.h"

namespace {

void print(const char* phase, veltara::test::FakeMessageBoxes& messages) {
    for (const auto& m : messages.shown) {
        std::printf("%s\t%s\t%s\n", phase, m.title.c_str(), m.text.c_str());
    }
    messages.clear();
}

}  // namespace

int main(int argc, char** argv) {
    const bool flip = argc == 3 && std::strcmp(argv[2], "flip") == 0;
    if (argc != 2 && !flip) {
        std::fprintf(stderr, "usage: %s DIRECTORY [flip]\n", argv[0]);
        return 2;
    }
    std::error_code ec;
    std::filesystem::current_path(argv[1], ec);
    if (ec) {
        std::fprintf(stderr, "%s: %s\n", argv[1], ec.message().c_str());
        return 2;
    }
    using namespace veltara::test;
    HeadlessSession session;
    session.start();
    print("load", session.messages);
    std::printf("COM\t%d\n", session.dialog.CmbCOM.listIndex());
    if (flip) {
        flipSettings(session.dialog);
        print("flip", session.messages);
    }
    std::printf("closing\n");
    std::fflush(stdout);
    session.close();
    print("unload", session.messages);
    std::printf("closed\n");
    return 0;
}
