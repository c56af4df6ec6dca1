// One headless run of the program on the real settings file in DIRECTORY, printing what the user
// would see, so that a test can run it as a user whom the file's permissions apply to. With "flip" it
// changes every setting before closing (to the other of two saved records); it says "closing" just
// before shutdown writes, so that a drill can kill it there.
//
// Usage: settings_session_helper DIRECTORY [flip]
#include <cstdio>
#include <cstring>

#include "helperprogram.h"
#include "session.h"

int main(int argc, char** argv) {
    using namespace veltara::test;
    const bool flip = argc == 3 && std::strcmp(argv[2], "flip") == 0;
    if (argc != 2 && !flip) {
        std::fprintf(stderr, "usage: %s DIRECTORY [flip]\n", argv[0]);
        return 2;
    }
    if (!enterDirectory(argv[1])) {
        return 2;
    }
    HeadlessSession session;
    session.start();
    printMessages("load", session.messages);
    std::printf("COM\t%d\n", session.dialog.CmbCOM.listIndex());
    if (flip) {
        flipSettings(session.dialog);
        printMessages("flip", session.messages);
    }
    std::printf("closing\n");
    std::fflush(stdout);
    session.close();
    printMessages("unload", session.messages);
    std::printf("closed\n");
    return 0;
}
