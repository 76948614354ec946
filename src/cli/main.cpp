// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliApp.h"
#include "Interrupt.h"

#include <iostream>

int main(int argc, char** argv) {
    // First, before any thread starts, so that every thread leaves Ctrl-C to the watch.
    quillory::cli::InterruptWatch interrupt;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return quillory::cli::runCli(arguments, std::cin, std::cout, std::cerr, interrupt.token());
}
