// veltara-cli: programs a converter and reads frames without the window, for production lines and scripts.
#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return veltara::cli::run(args, std::cout, std::cerr);
}
