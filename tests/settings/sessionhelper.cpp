// One headless run of the program in the directory named on the command line, printing what the
// user would see, so that a test can run it as a user whom the file's permissions apply to.
#include <cstdio>

#include "helperprogram.h"
#include "session.h"

int main(int argc, char** argv) {
    using namespace veltara::test;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    if (!enterDirectory(argv[1])) {
        return 2;
    }
    HeadlessSession session;
    session.start();
    printMessages("load", session.messages);
    std::printf("COM\t%d\n", session.dialog.CmbCOM.listIndex());
    session.close();
    printMessages("unload", session.messages);
    return 0;
}
