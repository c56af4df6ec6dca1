// One headless run of the program in the directory named on the command line, printing what the
// user would see, so that a test can run it as a user whom the file's permissions apply to.
#include <cstdio>
#include <filesystem>

#include "session.h"

namespace {

void print(const char* phase, const veltara::test::FakeMessageBoxes& messages) {
    for (const auto& m : messages.shown) {
        std::printf("%s\t%s\t%s\n", phase, m.title.c_str(), m.text.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    std::error_code ec;
    std::filesystem::current_path(argv[1], ec);
    if (ec) {
        std::fprintf(stderr, "%s: %s\n", argv[1], ec.message().c_str());
        return 2;
    }
    veltara::test::HeadlessSession session;
    session.start();
    print("load", session.messages);
    std::printf("COM\t%d\n", session.dialog.CmbCOM.listIndex());
    session.messages.clear();
    session.close();
    print("unload", session.messages);
    return 0;
}
