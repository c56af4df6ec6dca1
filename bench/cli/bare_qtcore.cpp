// The floor for a command-line start-up: a Qt Core program that creates its application object, prints
// one line and ends.
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::puts("ready");
    return 0;
}
